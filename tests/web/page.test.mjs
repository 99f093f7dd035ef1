// The page as a person uses it, in each engine: the dialog on the canvas, a click or a key
// starting the show full screen with its music, Escape or leaving full screen bringing the
// dialog back, another show after it; a missing music file, a wrong answer for it, and no Web
// Audio; music that comes late, with a start pressed before it (or before the dialog); the
// picture letterboxed 4:3; and what the page plays, sample for sample. Screenshots are kept in
// build/web-shots.
import {
  audioRunning, dialogBox, dialogShown, engines, launch, look, native, pageReady, pictureBox,
  pictureShown, serve, site, sleep, spectrumPeak, waitUntil,
} from './web_lib.mjs';
import assert from 'node:assert/strict';
import { execFileSync } from 'node:child_process';
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import { after, before, describe, test } from 'node:test';

const music = 'qx-331b_051224.ogg';
const kRate = 44100;
const fullscreen = (page) => page.eval(() => document.fullscreenElement !== null);
const phase = (page) => page.eval(() => glaxenPage.phase);

// One line for what an engine cannot do here; the test checks the rest.
function cannot(t, page, what, why) {
  t.diagnostic(`${page.engine}: ${why}: ${what} not checked`);
}

// The page's console has no error (where the engine passes its console on).
function noErrors(t, page) {
  if (page.cannot.consoleErrors) return cannot(t, page, 'console errors', page.cannot.consoleErrors);
  assert.deepEqual(page.errors, [], 'console errors');
}

// Clicks "merry xmas".
async function clickStart(page) {
  const d = await dialogBox(page);
  await page.click(d.x + d.width / 2, d.y + d.height / 2);
}

for (const engine of engines) {
  describe(engine, () => {
    let server, browser;
    before(async () => {
      server = await serve([site]);
      browser = await launch(engine);
    });
    after(async () => {
      await browser?.close();
      await server?.close();
    });

    test('dialog, a click, the show with its music, Escape, again, and leaving full screen', async (t) => {
      const page = await browser.open(server.url);
      await pageReady(page);
      await waitUntil(30, 'the dialog on the canvas', () => dialogShown(page, 'dialog'));
      noErrors(t, page);

      await clickStart(page);
      await waitUntil(30, 'full screen', () => fullscreen(page));
      await waitUntil(30, 'the audio context running', () => audioRunning(page));
      await waitUntil(30, 'the picture between the letterbox rows', () => pictureShown(page, 'show'));
      await waitUntil(30, 'the spectrum of the music', async () => (await spectrumPeak(page)) > 0.001);

      await page.press('Escape');
      await waitUntil(30, 'the dialog back after Escape', () => dialogShown(page, 'dialog-after-escape'));
      await waitUntil(30, 'full screen left after the show', async () => !(await fullscreen(page)));

      // A second show: a new stream, heard from its first seconds, and its spectrum.
      await page.press('Enter');
      await waitUntil(30, 'the second show', () => pictureShown(page, 'show-again'));
      const heard = await waitUntil(30, 'the second show\'s music playing', () => page.eval(() => {
        const frame = glaxenPage.audioHeardFrame();
        return frame > 0 && frame;
      }));
      assert.ok(heard < 10 * kRate, `the second show's music heard ${heard / kRate} s in`);
      await waitUntil(30, 'the second show\'s spectrum', async () => (await spectrumPeak(page)) > 0.001);
      await waitUntil(30, 'full screen for the second show', () => fullscreen(page));
      await page.eval(() => document.exitFullscreen());
      await waitUntil(30, 'the dialog back after leaving full screen', () => dialogShown(page, 'dialog-after-fullscreen'));

      await page.press('Escape');  // a page has no exit: the dialog stays
      await page.press('Space');
      await waitUntil(30, 'a show started with Space after Escape at the dialog', () => pictureShown(page, 'show-space'));

      noErrors(t, page);
      await page.close();
    });

    // Behind another tab, the show puts no frames on the canvas; in front again, it does. (Full
    // screen is refused: a browser leaves full screen for another tab, and that ends the show.)
    test('behind another tab the show pauses', async (t) => {
      const page = await browser.open(server.url);
      if (page.cannot.tabs) return cannot(t, page, 'the show paused behind another tab', page.cannot.tabs);
      await pageReady(page);
      await page.eval(() => { Element.prototype.requestFullscreen = () => Promise.reject(new Error('refused')); });
      await waitUntil(30, 'the dialog', () => dialogShown(page, 'dialog-tabs'));
      await page.press('Enter');
      await waitUntil(30, 'the picture', () => pictureShown(page, 'show-tabs'));
      const shown = () => page.eval(() => glaxenPage.shownFrames);
      let hiddenFrom = await shown(), hiddenFrames = 0;
      await page.behindAnotherTab(async () => {
        await waitUntil(30, 'no frames while behind another tab', async () => {
          await sleep(500);
          const now = await shown();
          const paused = now === hiddenFrom;
          hiddenFrom = now;
          return paused;
        });
        await sleep(1000);
        hiddenFrames = (await shown()) - hiddenFrom;
      });
      assert.ok(hiddenFrames <= 1, `${hiddenFrames} frames put on the canvas in a second behind another tab`);
      await waitUntil(30, 'frames again in front', async () => (await shown()) > hiddenFrom + hiddenFrames + 10);
      noErrors(t, page);
      await page.close();
    });

    // Without the music file, with a wrong answer for it, or without Web Audio: the show runs
    // silent and says why once; a wrong answer is fetched again, and the next show has its music.
    for (const [name, options, line, again] of [
      ['without its music file', { missing: [music] }, `glaxen: cannot play ${music}: not found beside the page; the show runs silent`, false],
      ['with a web page for its music', { wrongOnce: [music] }, `glaxen: cannot play ${music}: not Ogg Vorbis; the show runs silent`, true],
      ['without Web Audio', {}, 'glaxen: no audio device; the show runs silent', false],
    ]) {
      test(`${name} the show runs silent, with one console line`, async (t) => {
        const noWebAudio = name === 'without Web Audio';
        if (noWebAudio && engine === 'webkit') return cannot(t, { engine }, 'a page without Web Audio', 'WebKitGTK\'s driver runs no script before the page\'s own');
        const removeWebAudio = () => { delete globalThis.AudioContext; delete globalThis.webkitAudioContext; };
        const own = await serve([site], options);
        try {
          const page = await browser.open(own.url, { init: noWebAudio ? removeWebAudio : null });
          await pageReady(page);
          const shot = name.replaceAll(' ', '-');
          await waitUntil(30, 'the dialog', () => dialogShown(page, `dialog-${shot}`));
          await page.press('Enter');
          await waitUntil(30, 'the silent show\'s picture', () => pictureShown(page, `show-${shot}`));
          assert.deepEqual((await page.lines()).filter((text) => text.startsWith('glaxen:')), [line]);
          assert.equal(await spectrumPeak(page), 0, 'a spectrum without music');
          if (again) {
            await page.press('Escape');
            await waitUntil(30, 'the dialog after the silent show', () => dialogShown(page, `dialog-again-${shot}`));
            await page.press('Enter');
            await waitUntil(30, 'the next show\'s music', async () => (await spectrumPeak(page)) > 0.001);
            assert.equal(own.requests[music], 2, 'requests for the music');
            assert.equal((await page.lines()).length, 1, 'lines after the second show');
          }
          await page.close();
        } finally {
          await own.close();
        }
      });
    }

    // The music held back 5 s by the server: the dialog within 1 s of the page's load with the
    // loading line, Enter pressed then starts the show once the music is here, from its first
    // frame. With the program held back instead, an Enter pressed before the dialog does the same.
    for (const [name, held, seconds] of [['the music', music, 5], ['the program', 'glaxen.wasm', 3]]) {
      test(`${name} late: a start pressed before it counts, and the music plays from its first frame`, async () => {
        let release;
        const own = await serve([site], { held: { [held]: new Promise((resolve) => { release = resolve; }) } });
        const releaseAt = Date.now() + seconds * 1000;
        const timer = setTimeout(release, seconds * 1000);
        try {
          const page = await browser.open(own.url);
          if (held === music) {
            await pageReady(page);
            const { dialogAfterLoad } = await waitUntil(30, 'the dialog', () => page.eval(() => {
              const load = performance.getEntriesByType('navigation')[0].loadEventStart;
              return glaxenPage.dialogAt > 0 && { dialogAfterLoad: glaxenPage.dialogAt - load };
            }));
            assert.ok(dialogAfterLoad <= 1000, `the dialog ${dialogAfterLoad} ms after the page's load`);
            assert.ok(await dialogShown(page, 'dialog-music-late'), 'the dialog on the canvas');
            const line = await page.eval(() => document.getElementById('status').textContent);
            assert.match(line, /Loading the music/, 'the loading line');
          }
          await page.press('Enter');
          assert.notEqual(await phase(page), 'show', 'the show before the late file');
          await waitUntil(30, 'the show', async () => (await phase(page)) === 'show');
          assert.ok(Date.now() >= releaseAt, 'the show started before the late file came');
          const startedAt = await page.eval(() => glaxenPage.audioHeardFrame());
          assert.ok(startedAt < 0.25 * kRate, `the music heard from ${startedAt / kRate} s when the show starts`);
          await waitUntil(30, 'the picture', () => pictureShown(page, `show-${held}-late`));
          await waitUntil(30, 'the spectrum of the music', async () => (await spectrumPeak(page)) > 0.001);
          await page.close();
        } finally {
          clearTimeout(timer);
          release();
          await own.close();
        }
      });
    }

    // At 1280 x 720 the 4:3 picture is as large as the view allows, with bars beside it, full
    // screen (the screen's size) and in the page (full screen refused: the picture fills the view).
    test('the picture is letterboxed 4:3, as large as the view, full screen and in the page', async () => {
      for (const allowed of [true, false]) {
        const name = allowed ? 'letterbox-fullscreen' : 'letterbox-page';
        const page = await browser.open(server.url, { viewport: { width: 1280, height: 720 } });
        await pageReady(page);
        if (!allowed) await page.eval(() => { Element.prototype.requestFullscreen = () => Promise.reject(new Error('refused')); });
        await waitUntil(30, 'the dialog', () => dialogShown(page, `${name}-dialog`));
        await page.press('Enter');
        await waitUntil(30, `the picture (${name})`, () => pictureShown(page, name));
        assert.equal(await fullscreen(page), allowed, 'full screen');
        const [width, height] = await page.eval(() => [innerWidth, innerHeight]);
        const scale = Math.min(width / 640, height / 480);
        const b = await pictureBox(page);
        const want = [(width - 640 * scale) / 2, (height - 480 * scale) / 2, 640 * scale, 480 * scale];
        assert.ok([b.x, b.y, b.width, b.height].every((v, i) => Math.abs(v - want[i]) < 1),
          `${name}: picture ${JSON.stringify(b)} in ${width} x ${height}`);
        const band = { y: b.y + 0.4 * b.height, height: 0.2 * b.height };
        const r = (x, w) => [Math.round(x), Math.round(band.y), Math.round(w), Math.round(band.height)];
        const [left, inside, right] = await look(page, name, r(0, b.x - 2), r(b.x + 2, b.width - 4),
          r(b.x + b.width + 2, width - b.x - b.width - 2));
        assert.ok(left.lit < 0.01 && right.lit < 0.01, `${name}: bars lit ${left.lit}, ${right.lit}`);
        assert.ok(inside.lit > 0.3, `${name}: picture lit ${inside.lit}`);
        await page.close();
      }
    });

    // What the page plays, recorded inside it by an audio worklet on its output from the first
    // frame (the music is held back until the recorder is in place), is the music as the audio
    // core decodes it, sample for sample, across every piece's seam, for 20 s.
    test('the music heard is the decoded music, sample for sample', async () => {
      const seconds = 20;
      const work = fs.mkdtempSync(path.join(os.tmpdir(), 'glaxen-web-heard-'));
      execFileSync(path.join(native, 'tests/web/decode_music'), [path.join(site, music), path.join(work, 'decoded.raw'), String(seconds + 1)]);
      let release;
      const own = await serve([site, work], { held: { [music]: new Promise((resolve) => { release = resolve; }) } });
      try {
        const page = await browser.open(own.url);
        await pageReady(page);
        await waitUntil(30, 'the dialog', () => dialogShown(page, 'dialog-recorded'));
        await clickStart(page);
        await waitUntil(30, 'the audio context', () => audioRunning(page));
        await page.eval(async () => {
          const tap = `registerProcessor('tap', class extends AudioWorkletProcessor {
            process(inputs) {
              const input = inputs[0];
              this.port.postMessage(input.length ? [input[0].slice(), input[1].slice()] : null);
              return true;
            }
          });`;
          const audio = glaxenPage.audio;
          await audio.context.audioWorklet.addModule(URL.createObjectURL(new Blob([tap], { type: 'text/javascript' })));
          const node = new AudioWorkletNode(audio.context, 'tap', { numberOfOutputs: 0, channelCount: 2, channelCountMode: 'explicit' });
          globalThis.recorded = [];
          node.port.onmessage = (event) => recorded.push(event.data || [new Float32Array(128), new Float32Array(128)]);
          audio.gain.connect(node);
          globalThis.recorder = node;
        });
        release();
        const blocks = Math.ceil(((seconds + 2) * kRate) / 128);
        await waitUntil(seconds + 60, `${seconds} s of the music recorded`, () => page.eval((blocks) => recorded.length >= blocks, blocks));
        const result = await page.eval(async (seconds) => {
          const want = new Float32Array(await (await fetch('decoded.raw')).arrayBuffer());
          const got = new Float32Array(recorded.length * 256);
          recorded.forEach(([left, right], i) => left.forEach((v, j) => { got[2 * (128 * i + j)] = v; got[2 * (128 * i + j) + 1] = right[j]; }));
          const firstSound = (samples) => samples.findIndex((v) => v !== 0) >> 1;
          const offset = firstSound(got) - firstSound(want);
          let worst = 0, worstAt = 0;
          const count = Math.min(2 * seconds * 44100, want.length, got.length - 2 * offset);
          for (let i = 0; i < count; ++i) {
            const d = Math.abs(got[2 * offset + i] - want[i]);
            if (d > worst) { worst = d; worstAt = i >> 1; }
          }
          return { offset, frames: count / 2, worst, worstAt };
        }, seconds);
        assert.ok(result.offset >= 0, `the music starts ${result.offset} frames before the recording`);
        assert.equal(result.frames, seconds * kRate, 'frames compared');
        assert.ok(result.worst <= 1e-6, `frame ${result.worstAt} differs by ${result.worst}`);
        await page.close();
      } finally {
        release();
        await own.close();
        fs.rmSync(work, { recursive: true, force: true });
      }
    });
  });
}
