// The page as a person uses it, in headless Chromium: the dialog on the canvas, a click or a key
// starting the show full screen with its music, Escape or leaving full screen bringing the
// dialog back, another show after it; a missing music file; the picture letterboxed 4:3 in the
// page and full screen. Screenshots are kept in build/web-shots.
import { launch, look, openPage, pageReady, pictureBox, serve, site, waitUntil } from './web_lib.mjs';
import assert from 'node:assert/strict';
import { after, before, test } from 'node:test';

let server, silentServer, browser;
before(async () => {
  server = await serve([site]);
  silentServer = await serve([site], ['qx-331b_051224.ogg']);
  browser = await launch();
});
after(async () => {
  await browser?.close();
  await server?.close();
  await silentServer?.close();
});

// The dialog's box in page pixels: 280 x 32 canvas pixels in the middle of the picture.
async function dialogBox(page) {
  const b = await pictureBox(page);
  const s = b.width / 640;
  return { x: b.x + 180 * s, y: b.y + 224 * s, width: 280 * s, height: 32 * s, picture: b };
}
const rect = (r) => [Math.round(r.x), Math.round(r.y), Math.round(r.width), Math.round(r.height)];

// The dialog on screen: its grey face and red text, and nothing else lit above it.
async function dialogShown(page, name) {
  const d = await dialogBox(page);
  const above = { x: d.picture.x, y: d.picture.y, width: d.picture.width, height: d.y - d.picture.y - 4 };
  const [face, rest] = await look(page, name, rect(d), rect(above));
  return face.lit > 0.6 && face.red > 0.02 && rest.lit < 0.01 ? { face, rest } : false;
}

// The show's picture between its letterbox rows: the middle fifth of the picture lit.
async function pictureShown(page, name) {
  const b = await pictureBox(page);
  const [middle] = await look(page, name, rect({ x: b.x, y: b.y + 0.4 * b.height, width: b.width, height: 0.2 * b.height }));
  return middle.lit > 0.3 ? middle : false;
}

// The spectrum the show read last: its largest value.
const spectrumPeak = (page) => page.evaluate(() => Math.max(...new Float32Array(Module.HEAPF32.buffer, Module._glaxenSpectrum(), 1024)));

test('dialog, a click, the show with its music, Escape, again, and leaving full screen', async () => {
  const { page, console } = await openPage(browser, server.url);
  await pageReady(page);
  await waitUntil(30, 'the dialog on the canvas', () => dialogShown(page, 'dialog'));
  assert.deepEqual(console.filter((m) => m.type === 'error' || m.type === 'pageerror'), [], 'console errors while loading');

  const d = await dialogBox(page);
  await page.mouse.click(d.x + d.width / 2, d.y + d.height / 2);  // on "merry xmas"
  await waitUntil(30, 'full screen', () => page.evaluate(() => document.fullscreenElement !== null));
  await waitUntil(30, 'the audio context running', () => page.evaluate(() => glaxenPage.audio?.context.state === 'running'));
  await waitUntil(30, 'the picture between the letterbox rows', () => pictureShown(page, 'show'));
  await waitUntil(30, 'the spectrum of the music', async () => (await spectrumPeak(page)) > 0.001);

  await page.keyboard.press('Escape');
  await waitUntil(30, 'the dialog back after Escape', () => dialogShown(page, 'dialog-after-escape'));
  await waitUntil(30, 'full screen left after the show', () => page.evaluate(() => document.fullscreenElement === null));

  // A second show: a new stream, heard from its first seconds, and its spectrum.
  await page.keyboard.press('Enter');
  await waitUntil(30, 'the second show', () => pictureShown(page, 'show-again'));
  const heard = await waitUntil(30, 'the second show\'s music playing', () => page.evaluate(() => {
    const audio = glaxenPage.audio;
    return audio?.source && audio.context.state === 'running' ? audio.context.currentTime - audio.start : false;
  }));
  assert.ok(heard < 10, `the second show's music starts ${heard} s in`);
  await waitUntil(30, 'the second show\'s spectrum', async () => (await spectrumPeak(page)) > 0.001);
  await waitUntil(30, 'full screen for the second show', () => page.evaluate(() => document.fullscreenElement !== null));
  await page.evaluate(() => document.exitFullscreen());
  await waitUntil(30, 'the dialog back after leaving full screen', () => dialogShown(page, 'dialog-after-fullscreen'));

  await page.keyboard.press('Escape');  // a page has no exit: the dialog stays
  await page.keyboard.press('Space');
  await waitUntil(30, 'a show started with Space after Escape at the dialog', () => pictureShown(page, 'show-space'));

  // Behind another tab, the show puts no frames on the canvas; in front again, it does.
  const shown = () => page.evaluate(() => glaxenPage.shownFrames);
  const other = await page.context().newPage();
  await other.bringToFront();
  // (Headless Chromium stops the page's animation frames but keeps calling it visible.)
  let hiddenFrom = await shown();
  await waitUntil(30, 'no frames while behind another tab', async () => {
    await other.waitForTimeout(500);
    const now = await shown();
    const paused = now === hiddenFrom;
    hiddenFrom = now;
    return paused;
  });
  await other.waitForTimeout(1000);
  const hiddenFrames = (await shown()) - hiddenFrom;
  assert.ok(hiddenFrames <= 1, `${hiddenFrames} frames put on the canvas in a second behind another tab`);
  await other.close();
  await page.bringToFront();
  await waitUntil(30, 'frames again in front', async () => (await shown()) > hiddenFrom + hiddenFrames + 10);
  assert.deepEqual(console.filter((m) => m.type === 'error' || m.type === 'pageerror'), [], 'console errors');
  await page.close();
});

// Without the music file, or without Web Audio at all: the show runs, silent, and says why once.
for (const [name, noWebAudio, line] of [
  ['without its music file', false, 'glaxen: cannot play qx-331b_051224.ogg: not found beside the page; the show runs silent'],
  ['without Web Audio', true, 'glaxen: no audio device; the show runs silent'],
]) {
  test(`${name} the show runs silent, with one console line`, async () => {
    const removeWebAudio = () => { delete globalThis.AudioContext; delete globalThis.webkitAudioContext; };
    const { page, console } = await openPage(browser, (noWebAudio ? server : silentServer).url, undefined,
      noWebAudio ? removeWebAudio : null);
    await pageReady(page);
    const shot = name.replaceAll(' ', '-');
    await waitUntil(30, 'the dialog', () => dialogShown(page, `dialog-${shot}`));
    await page.keyboard.press('Enter');
    await waitUntil(30, 'the silent show\'s picture', () => pictureShown(page, `show-${shot}`));
    assert.deepEqual(console.map((m) => m.text).filter((text) => text.startsWith('glaxen:')), [line]);
    assert.equal(await spectrumPeak(page), 0, 'a spectrum without music');
    await page.close();
  });
}

// At 1280 x 720 the 4:3 picture is 960 x 720 full screen, with bars left and right; in the page
// (full screen refused) it fills the canvas's height below the warning, bars beside it too.
test('the picture is letterboxed 4:3 at 1280 x 720, full screen and in the page', async () => {
  for (const fullscreen of [true, false]) {
    const name = fullscreen ? 'letterbox-fullscreen' : 'letterbox-page';
    const { page } = await openPage(browser, server.url, { width: 1280, height: 720 });
    await pageReady(page);
    if (!fullscreen) await page.evaluate(() => { Element.prototype.requestFullscreen = () => Promise.reject(new Error('refused')); });
    await waitUntil(30, 'the dialog', () => dialogShown(page, `${name}-dialog`));
    await page.keyboard.press('Enter');
    await waitUntil(30, `the picture (${name})`, () => pictureShown(page, name));
    assert.equal(await page.evaluate(() => document.fullscreenElement !== null), fullscreen, 'full screen');
    const b = await pictureBox(page);
    assert.ok(Math.abs(b.width / b.height - 4 / 3) < 0.01, `${name}: picture ${b.width} x ${b.height}`);
    if (fullscreen) assert.deepEqual([b.x, b.y, b.width, b.height], [160, 0, 960, 720], 'the full-screen picture');
    const band = { y: b.y + 0.4 * b.height, height: 0.2 * b.height };
    const [left, inside, right] = await look(page, name,
      rect({ x: 0, width: b.x - 2, ...band }), rect({ x: b.x + 2, width: b.width - 4, ...band }),
      rect({ x: b.x + b.width + 2, width: 1280 - b.x - b.width - 2, ...band }));
    assert.ok(left.lit < 0.01 && right.lit < 0.01, `${name}: bars lit ${left.lit}, ${right.lit}`);
    assert.ok(inside.lit > 0.3, `${name}: picture lit ${inside.lit}`);
    await page.close();
  }
});
