// The page computes the very frames glaxen-render computes: in the page's test mode (seed,
// virtual clock at 60 fps, no waits), the canvas pixels of frames 0, 300, 5460 and 5461 (the
// last frame without the text and the first with it) equal glaxen-render's --raw frames for
// the same seed, silent and with a scripted spectrum, and in gentle mode (the page's &gentle,
// glaxen-render's --gentle), bit for bit but bits 31-24.
import { launch, native, openPage, serve, site, waitUntil } from './web_lib.mjs';
import assert from 'node:assert/strict';
import { execFileSync, spawn } from 'node:child_process';
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import { after, before, test } from 'node:test';

const kSeed = 2412;
const kFrameBytes = 640 * 480 * 4;
const kCaptures = [0, 300, 5460, 5461];

const work = fs.mkdtempSync(path.join(os.tmpdir(), 'glaxen-web-frames-'));
let server, browser;
before(async () => {
  execFileSync(path.join(native, 'tests/same_show/show_digest'), ['--write-spectrum', path.join(work, 'spectra'), '3000']);
  server = await serve([site, work]);
  browser = await launch();
});
after(async () => {
  await browser?.close();
  await server?.close();
  fs.rmSync(work, { recursive: true, force: true });
});

// glaxen-render's frames first..last (--raw to a pipe), those of kCaptures kept, by index.
async function renderedFrames(spectrumOptions, from, to) {
  const child = spawn(path.join(native, 'run/glaxen-render'),
    ['--seed', String(kSeed), ...spectrumOptions, '--from', from, '--to', to, '--raw', '-'],
    { stdio: ['ignore', 'pipe', 'inherit'] });
  const kept = new Map();
  let pending = Buffer.alloc(0), k = firstFrame(from);
  for await (const chunk of child.stdout) {
    pending = Buffer.concat([pending, chunk]);
    for (; pending.length >= kFrameBytes; ++k, pending = pending.subarray(kFrameBytes))
      if (kCaptures.includes(k)) kept.set(k, Buffer.from(pending.subarray(0, kFrameBytes)));
  }
  const code = await new Promise((resolve) => child.on('close', resolve));
  assert.equal(code, 0, 'glaxen-render failed');
  return kept;
}
// The first frame at or after the time S (as glaxen-render counts: k at floor(k * 1000 / 60)).
function firstFrame(seconds) {
  let k = 0;
  while (Math.floor((k * 1000) / 60) < seconds * 1000) ++k;
  return k;
}

// The page's kept canvases, as RGBA bytes, by index.
async function pageFrames(spectrum) {
  const { page } = await openPage(browser, `${server.url}?test&seed=${kSeed}&spectrum=${spectrum}&capture=${kCaptures}`);
  await waitUntil(600, 'the page to compute frame 5461', () => page.evaluate(() => globalThis.glaxenPage?.done === true));
  const frames = new Map();
  for (const k of kCaptures) {
    const base64 = await page.evaluate((k) => {
      const bytes = glaxenPage.captured[k];
      if (!bytes) return null;
      let text = '';
      for (let i = 0; i < bytes.length; i += 0x8000) text += String.fromCharCode(...bytes.subarray(i, i + 0x8000));
      return btoa(text);
    }, k);
    if (base64 !== null) frames.set(k, Buffer.from(base64, 'base64'));
  }
  await page.close();
  return frames;
}

// Canvas RGBA against the frame's 0x00RRGGBB words (bytes blue, green, red, unused).
function firstDifference(rgba, words) {
  for (let i = 0; i < 640 * 480; ++i) {
    const got = [rgba[4 * i], rgba[4 * i + 1], rgba[4 * i + 2]];
    const want = [words[4 * i + 2], words[4 * i + 1], words[4 * i]];
    if (got.some((v, c) => v !== want[c]) || rgba[4 * i + 3] !== 255)
      return `pixel (${i % 640}, ${Math.floor(i / 640)}): page rgba ${[...got, rgba[4 * i + 3]]}, glaxen-render rgb ${want}`;
  }
  return null;
}

for (const [name, pageSpectrum, renderOptions] of [
  ['silent', 'silent', ['--silent']],
  ['scripted spectrum', 'spectra', ['--spectrum', path.join(work, 'spectra')]],
  ['gentle mode', 'spectra&gentle', ['--gentle', '--spectrum', path.join(work, 'spectra')]],
]) {
  test(`the page's frames are glaxen-render's: ${name}`, async () => {
    const got = await pageFrames(pageSpectrum);
    const want = new Map([...(await renderedFrames(renderOptions, '0', '5')), ...(await renderedFrames(renderOptions, '91', '91.02'))]);
    let lit = 0;
    for (const k of kCaptures) {
      assert.ok(got.has(k), `the page kept no canvas for frame ${k}`);
      assert.ok(want.has(k), `glaxen-render gave no frame ${k}`);
      assert.equal(firstDifference(got.get(k), want.get(k)), null, `frame ${k}`);
      lit += want.get(k).some((b) => b !== 0) ? 1 : 0;
    }
    assert.ok(lit >= 3, `only ${lit} of the compared frames have anything lit: a comparison of black frames`);
  });
}
