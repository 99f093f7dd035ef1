// The page on a phone (touch emulated at 390 x 844 and 844 x 390): the instructions speak of
// taps, a tap anywhere on the picture starts the show, the picture is as large as the screen
// allows, the screen is kept awake (a stub of the Screen Wake Lock API records the page's asks)
// and a tap ends the show, letting the screen sleep. And in a 120 x 90 window the picture is
// still there, below a warning that gives way.
import { audioRunning, dialogShown, engines, launch, pageReady, pictureBox, serve, site, waitUntil } from './web_lib.mjs';
import assert from 'node:assert/strict';
import { after, before, describe, test } from 'node:test';

// Records the page's wake lock asks and releases in globalThis.wakeLocks.
function wakeLockStub() {
  globalThis.wakeLocks = [];
  const request = async (type) => {
    wakeLocks.push(`request ${type}`);
    return { release: async () => { wakeLocks.push('release'); } };
  };
  Object.defineProperty(Navigator.prototype, 'wakeLock', { value: { request }, configurable: true });
}

// The picture's box against the largest 4:3 box the view holds, centred.
async function pictureFillsView(page) {
  const [width, height] = await page.eval(() => [innerWidth, innerHeight]);
  const scale = Math.min(width / 640, height / 480);
  const want = [(width - 640 * scale) / 2, (height - 480 * scale) / 2, 640 * scale, 480 * scale];
  const b = await pictureBox(page);
  const got = [b.x, b.y, b.width, b.height];
  return got.every((v, i) => Math.abs(v - want[i]) < 1) || `picture ${got} in ${width} x ${height}`;
}

for (const engine of engines) {
  describe(engine, () => {
    let server, phone, desktop;
    before(async () => {
      server = await serve([site]);
      desktop = await launch(engine);
      if (engine !== 'webkit') phone = await launch(engine, { phone: true });
    });
    after(async () => {
      await phone?.close();
      await desktop?.close();
      await server?.close();
    });

    for (const [width, height] of [[390, 844], [844, 390]]) {
      test(`a phone at ${width} x ${height}: taps start and end the show, the picture fills the screen, the screen stays awake`, async (t) => {
        if (!phone) return t.diagnostic(`${engine}: WebKitGTK's driver has no touch input: the phone not checked`);
        const page = await phone.open(server.url, { viewport: { width, height }, init: wakeLockStub });
        await pageReady(page);
        const instructions = await page.eval(() => document.getElementById('warning').innerText);
        assert.match(instructions, /tap/i, 'the instructions');
        await waitUntil(30, 'the dialog', () => dialogShown(page, `phone-${width}-dialog`));
        const b = await pictureBox(page);
        await page.tap(b.x + b.width / 4, b.y + b.height / 4);  // well away from "merry xmas"
        await waitUntil(30, 'the show', () => page.eval(() => glaxenPage.phase === 'show'));
        await waitUntil(30, 'the audio context running', () => audioRunning(page));
        await waitUntil(30, 'the picture as large as the screen allows', () => pictureFillsView(page).then((r) => r === true));
        assert.deepEqual(await page.eval(() => wakeLocks), ['request screen'], 'the wake lock during the show');
        const shown = await pictureBox(page);
        await page.tap(shown.x + shown.width / 2, shown.y + shown.height / 2);
        await waitUntil(30, 'the dialog after a tap', () => page.eval(() => glaxenPage.phase === 'dialog'));
        await waitUntil(30, 'the wake lock released', () => page.eval(() => wakeLocks.join() === 'request screen,release'));
        await page.close();
      });
    }

    test('in a 120 x 90 window the picture is still there', async (t) => {
      const page = await desktop.open(server.url, { viewport: { width: 120, height: 90 } });
      if (page.cannot.viewport) t.diagnostic(`${engine}: ${page.cannot.viewport}: checked at that size`);
      await pageReady(page);
      const [picture, view] = await page.eval(() => [document.getElementById('screen').getBoundingClientRect().toJSON(), [innerWidth, innerHeight]]);
      assert.ok(picture.height >= view[1] / 3 && picture.width >= view[0] / 2 && picture.bottom <= view[1] + 1,
        `the canvas ${JSON.stringify(picture)} in ${view}`);
      await page.close();
    });
  });
}
