// The web page's figures, in headless Chromium: the sizes of glaxen.wasm and glaxen.js (raw
// and gzip); page load to the dialog on the canvas and a click to the first frame of the show;
// frames per second and the time the show takes to compute a frame after its animation frame
// (median and 95th percentile); and the spectrum's delay behind the output, from a stream of
// clicks served as the music: when the click's bin peaks against when the output's timestamp
// says the click's first frame is heard. The timestamp is the one the page's audio layer reads
// by, so this measures when the show's reads see a click, not the timestamp's own accuracy.
// Usage: GLAXEN_WEB=build/web GLAXEN_NATIVE=build/release node bench/web_bench.mjs
import { launch, native, openPage, pageReady, pictureBox, serve, site, waitUntil } from '../tests/web/web_lib.mjs';
import { execFileSync } from 'node:child_process';
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import zlib from 'node:zlib';

const quantile = (values, q) => [...values].sort((a, b) => a - b)[Math.min(values.length - 1, Math.floor(q * values.length))];
const ms = (v) => `${v.toFixed(1)} ms`;

for (const name of ['glaxen.wasm', 'glaxen.js']) {
  const bytes = fs.readFileSync(path.join(site, name));
  console.log(`${name}: ${bytes.length} bytes, ${zlib.gzipSync(bytes, { level: 9 }).length} gzipped`);
}

const browser = await launch();

// Start-up and frames, with the music.
{
  const server = await serve([site]);
  const { page } = await openPage(browser, `${server.url}?timings`);
  await pageReady(page);
  // When the canvas's pixel (x, y) first has a red above minRed, watched every animation frame.
  const watch = (x, y, minRed) => page.evaluate(([x, y, minRed]) => new Promise((resolve) => {
    const context = document.getElementById('screen').getContext('2d');
    const check = () => {
      if (context.getImageData(x, y, 1, 1).data[0] > minRed) resolve(performance.now());
      else requestAnimationFrame(check);
    };
    check();
  }), [x, y, minRed]);
  const dialogAt = await watch(320, 240, 100);  // the dialog's grey face
  console.log(`page load to the dialog: ${ms(dialogAt)}`);
  await page.evaluate(() => document.getElementById('screen').addEventListener('click', (event) => {
    globalThis.clickedAt = event.timeStamp;
  }, { once: true }));
  const box = await pictureBox(page);
  await page.mouse.click(box.x + box.width / 2, box.y + box.height / 2);
  const firstFrameAt = await watch(320, 200, 0);  // anything lit where the dialog was not
  const clickedAt = await page.evaluate(() => globalThis.clickedAt);
  console.log(`click to the first frame of the show: ${ms(firstFrameAt - clickedAt)}`);
  await page.waitForTimeout(10000);
  const { putTimes, computeTimes } = await page.evaluate(() => ({ putTimes: glaxenPage.putTimes, computeTimes: glaxenPage.computeTimes }));
  const recent = putTimes.slice(-300);
  const fps = (recent.length - 1) / ((recent.at(-1) - recent[0]) / 1000);
  const compute = computeTimes.slice(-300);
  console.log(`show: ${fps.toFixed(1)} frames a second; a frame computed in ${ms(quantile(compute, 0.5))} (median), ${ms(quantile(compute, 0.95))} (95th percentile)`);
  await page.close();
  await server.close();
}

// The spectrum's delay behind the output.
{
  const work = fs.mkdtempSync(path.join(os.tmpdir(), 'glaxen-web-bench-'));
  const clicks = JSON.parse(execFileSync(path.join(native, 'bench/audio/audio_latency'),
    ['--write-clicks', path.join(work, 'qx-331b_051224.ogg')]).toString());
  const server = await serve([work, site]);
  const { page } = await openPage(browser, server.url);
  await pageReady(page);
  await page.keyboard.press('Enter');
  await waitUntil(30, 'the music playing', () => page.evaluate(() => glaxenPage.audio?.context.state === 'running'));
  // Every animation frame: the time, the click bin's level, and the stream second the output
  // plays now by its timestamp.
  const readings = await page.evaluate(({ seconds, bin }) => new Promise((resolve) => {
    const readings = [];
    const read = () => {
      const audio = glaxenPage.audio;
      if (!audio?.source) return resolve(readings);
      const stamp = audio.context.getOutputTimestamp();
      const now = performance.now();
      const heard = stamp.contextTime + (now - stamp.performanceTime) / 1000 - audio.start;
      const level = new Float32Array(Module.HEAPF32.buffer, Module._glaxenSpectrum(), 1024)[bin];
      readings.push([now, level, heard]);
      if (heard > seconds) resolve(readings); else requestAnimationFrame(read);
    };
    read();
  }), { seconds: clicks.first + clicks.spacing * clicks.count + 0.2, bin: clicks.bin });
  const delays = [];
  for (let i = 0; i < clicks.count; ++i) {
    const at = clicks.first + clicks.spacing * i;
    const near = readings.filter(([, , heard]) => heard > at - 0.2 && heard < at + 0.3);
    const peak = near.reduce((best, r) => (r[1] > best[1] ? r : best), near[0]);
    const index = readings.findIndex(([, , heard]) => heard >= at);  // the output reaches the click
    if (index < 1 || near.length === 0) continue;  // no reading before it: not measurable
    const heardAt = readings[index], before = readings[index - 1];
    const t = before[0] + ((at - before[2]) / (heardAt[2] - before[2])) * (heardAt[0] - before[0]);
    delays.push(peak[0] - t);
  }
  const frameMs = quantile(readings.slice(1).map((r, i) => r[0] - readings[i][0]), 0.5);
  console.log(`spectrum behind the output: ${delays.map((d) => d.toFixed(1)).join(' ')} ms; mean ${ms(delays.reduce((a, b) => a + b) / delays.length)} (the page reads once a frame, every ${ms(frameMs)})`);
  await page.close();
  await server.close();
  fs.rmSync(work, { recursive: true, force: true });
}
await browser.close();
