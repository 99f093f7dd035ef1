// The page computes the very frames glaxen-render computes, in each engine: in the page's test
// mode (seed, virtual clock at 60 fps, no waits), the canvas pixels of frames 0, 300, 5460 and
// 5461 (the last frame without the text and the first with it) equal glaxen-render's --raw
// frames for the same seed, silent, with a scripted spectrum fetched from a folder and in gentle
// mode (the page's &gentle, glaxen-render's --gentle), bit for bit but bits 31-24. The test
// mode reads its parameters whole and refuses, with a line and before any request, what it
// cannot use.
import { engines, launch, native, serve, site, waitUntil } from './web_lib.mjs';
import assert from 'node:assert/strict';
import { execFileSync, spawn } from 'node:child_process';
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import { after, before, describe, test } from 'node:test';

const kSeed = 2412;
const kFrameBytes = 640 * 480 * 4;
const kCaptures = [0, 300, 5460, 5461];

const work = fs.mkdtempSync(path.join(os.tmpdir(), 'glaxen-web-frames-'));
fs.mkdirSync(path.join(work, 'scripted'));
const spectra = path.join(work, 'scripted', 'spectra');
execFileSync(path.join(native, 'tests/same_show/show_digest'), ['--write-spectrum', spectra, '3000']);

// glaxen-render's frames first..last (--raw to a pipe), those of captures kept, by index.
async function renderedFrames(options, from, to, captures) {
  const child = spawn(path.join(native, 'run/glaxen-render'), [...options, '--from', from, '--to', to, '--raw', '-'],
    { stdio: ['ignore', 'pipe', 'inherit'] });
  const kept = new Map();
  let pending = Buffer.alloc(0), k = firstFrame(from);
  for await (const chunk of child.stdout) {
    pending = Buffer.concat([pending, chunk]);
    for (; pending.length >= kFrameBytes; ++k, pending = pending.subarray(kFrameBytes))
      if (captures.includes(k)) kept.set(k, Buffer.from(pending.subarray(0, kFrameBytes)));
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

// The test mode at the parameters given, run to its end: the frames it kept, those of them
// asked for as RGBA bytes by index, and its console lines.
async function testMode(browser, url, parameters, read = kCaptures) {
  const page = await browser.open(`${url}?test&${parameters}`);
  await waitUntil(600, 'the test mode to end', () => page.eval(() => globalThis.glaxenPage && glaxenPage.done === true));
  const kept = await page.eval(() => Object.keys(glaxenPage.captured).map(Number));
  const frames = new Map();
  for (const k of kept.filter((k) => read.includes(k))) {
    const base64 = await page.eval((k) => {
      const bytes = glaxenPage.captured[k];
      let text = '';
      for (let i = 0; i < bytes.length; i += 0x8000) text += String.fromCharCode(...bytes.subarray(i, i + 0x8000));
      return btoa(text);
    }, k);
    frames.set(k, Buffer.from(base64, 'base64'));
  }
  const lines = await page.lines();
  await page.close();
  return { kept, frames, lines };
}

const wanted = {};  // glaxen-render's frames, by spectrum, made once
for (const engine of engines) {
  describe(engine, () => {
    let server, elsewhere, browser;
    before(async () => {
      server = await serve([site, work]);
      elsewhere = await serve([work]);
      browser = await launch(engine);
    });
    after(async () => {
      await browser?.close();
      await server?.close();
      await elsewhere?.close();
    });

    for (const [name, pageSpectrum, renderOptions] of [
      ['silent', 'silent', ['--silent']],
      ['scripted spectrum', 'scripted/spectra', ['--spectrum', spectra]],
      ['gentle mode', 'scripted/spectra&gentle', ['--gentle', '--spectrum', spectra]],
    ]) {
      test(`the page's frames are glaxen-render's: ${name}`, async () => {
        const { frames: got } = await testMode(browser, server.url, `seed=${kSeed}&spectrum=${pageSpectrum}&capture=${kCaptures}`);
        const options = ['--seed', String(kSeed), ...renderOptions];
        wanted[name] ??= new Map([...(await renderedFrames(options, '0', '5', kCaptures)),
                                  ...(await renderedFrames(options, '91', '91.02', kCaptures))]);
        let lit = 0;
        for (const k of kCaptures) {
          assert.ok(got.has(k), `the page kept no canvas for frame ${k}`);
          assert.ok(wanted[name].has(k), `glaxen-render gave no frame ${k}`);
          assert.equal(firstDifference(got.get(k), wanted[name].get(k)), null, `frame ${k}`);
          lit += wanted[name].get(k).some((b) => b !== 0) ? 1 : 0;
        }
        assert.ok(lit >= 3, `only ${lit} of the compared frames have anything lit: a comparison of black frames`);
      });
    }

    // A seed of 300 zeros and a 7 is seed 7; a capture list of 500 bytes is every frame in it.
    test('the test mode reads its parameters whole', async () => {
      const captures = [1000, 1001, 1002, 1003, 1004];
      const list = ['0', ...captures.map((k) => String(k).padStart(98, '0'))].join(',');
      const { kept, frames, lines } = await testMode(browser, server.url, `seed=${'0'.repeat(300)}7&spectrum=silent&capture=${list}`, [0]);
      assert.deepEqual(lines, []);
      assert.deepEqual(kept.sort((a, b) => a - b), [0, ...captures], 'frames kept');
      const [want] = (await renderedFrames(['--seed', '7', '--silent'], '0', '0.01', [0])).values();
      assert.equal(firstDifference(frames.get(0), want), null, 'frame 0 of seed 7');
    });

    // Each refused with its line, and nothing fetched from elsewhere.
    test('the test mode refuses what it cannot use, before any request', async () => {
      const other = `${elsewhere.url}scripted/spectra`;
      for (const [parameters, line] of [
        ['seed=4294967296&capture=1', 'glaxen: test mode: seed= needs a number up to 4294967295: 4294967296'],
        ['seed=1&capture=99999999999999999999999', 'glaxen: test mode: capture= needs frame numbers, K,K,...: 99999999999999999999999'],
        ['seed=1&capture=1,,2', 'glaxen: test mode: capture= needs frame numbers, K,K,...: 1,,2'],
        ['seed=1&fps=18446744073709551617&capture=1', 'glaxen: test mode: fps= needs a whole number from 1 to 1000: 18446744073709551617'],
        [`seed=1&capture=1&spectrum=${encodeURIComponent(other)}`, `glaxen: test mode: the spectrum file is not on the page's own origin: ${other}`],
        [`seed=1&capture=1&spectrum=${encodeURIComponent(other.replace('http:', ''))}`, `glaxen: test mode: the spectrum file is not on the page's own origin: ${other.replace('http:', '')}`],
        ['seed=1&capture=1&spectrum=scripted/none', 'glaxen: test mode: the spectrum file is not there: scripted/none'],
      ]) {
        const { kept, lines } = await testMode(browser, server.url, parameters);
        assert.deepEqual(lines, [line], parameters);
        assert.deepEqual(kept, [], `${parameters}: frames kept`);
      }
      assert.deepEqual(elsewhere.requests, {}, 'requests to another origin');
    });
  });
}

process.on('exit', () => fs.rmSync(work, { recursive: true, force: true }));
