// The web page's figures, in each engine: the sizes of glaxen.wasm and glaxen.js (raw and
// gzip); the page's load to the dialog (median of three loads), at 1x and, in Chromium, with
// the CPU slowed 6x as a phone's; during the show, the frames a second, the time a frame takes
// after its animation frame (median and 95th percentile), part by part (the core's frame, the
// spectrum read, the RGBA pass, putImageData), the page's thread's CPU time a frame (which a
// busy machine does not stretch), and the memory (the WebAssembly heap, and every process of the
// browser's, proportional set sizes summed); ASYNCIFY's cost: the CPU time a frame of the same
// work in a loop the browser drives (web_frame_loop) and in a blocking loop ASYNCIFY suspends
// (web_frame_wait), and of the page without music;
// and the spectrum's delay behind the output, from a stream of clicks served as the music: when
// the click's bin peaks against when the page's heard position reaches the click's first frame.
// Usage: GLAXEN_WEB=build/web GLAXEN_NATIVE=build/release node bench/web_bench.mjs
// (GLAXEN_WEB_ENGINES picks engines, as for the tests.)
import { engines, launch, mainThreadTimes, native, pageReady, serve, site, sleep, treeMemory, waitUntil } from '../tests/web/web_lib.mjs';
import { execFileSync } from 'node:child_process';
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import zlib from 'node:zlib';

const quantile = (values, q) => [...values].sort((a, b) => a - b)[Math.min(values.length - 1, Math.floor(q * values.length))];
const ms = (v) => `${v.toFixed(v < 10 ? 2 : 0)} ms`;
const mb = (bytes) => `${(bytes / 1e6).toFixed(1)} MB`;
const spread = (values) => `${ms(quantile(values, 0.5))} median, ${ms(quantile(values, 0.95))} p95`;

for (const name of ['glaxen.wasm', 'glaxen.js']) {
  const bytes = fs.readFileSync(path.join(site, name));
  console.log(`${name}: ${bytes.length} bytes, ${zlib.gzipSync(bytes, { level: 9 }).length} gzipped`);
}

const server = await serve([site]);
const work = fs.mkdtempSync(path.join(os.tmpdir(), 'glaxen-web-bench-'));
const clicks = JSON.parse(execFileSync(path.join(native, 'bench/audio/audio_latency'),
  ['--write-clicks', path.join(work, 'qx-331b_051224.ogg')]).toString());
const clickServer = await serve([work, site]);
const silentServer = await serve([site], { missing: ['qx-331b_051224.ogg'] });
const loopFolder = path.join(site, '..', 'web-cmake', 'bench');
for (const loop of ['web_frame_loop', 'web_frame_wait'])
  fs.writeFileSync(path.join(work, `${loop}.html`), `<!doctype html><body style="margin:0"><script src="${loop}.js"></script>`);
const loopServer = await serve([work, loopFolder]);

// The CPU time the page's thread spends a frame over seconds, the frames counted by frames().
async function cpuPerFrame(browser, frames, seconds) {
  const before = mainThreadTimes(browser.pid()), shownBefore = await frames();
  await sleep(seconds * 1000);
  const after = mainThreadTimes(browser.pid()), shown = (await frames()) - shownBefore;
  const spent = Math.max(...[...after].map(([pid, ms]) => ms - (before.get(pid) ?? ms)));
  return spent / shown;
}

for (const engine of engines) {
  const browser = await launch(engine);
  try {
    for (const throttle of engine === 'chromium' ? [1, 6] : [1]) {
      const at = `${engine}, ${throttle}x`;
      // Load to the dialog, three times; the last page then runs a show for its frames.
      const loads = [];
      let page;
      for (let i = 0; i < 3; ++i) {
        await page?.close();
        page = await browser.open(`${server.url}?timings`, { throttle });
        loads.push(await waitUntil(60, 'the dialog', () => page.eval(() => glaxenPage.dialogAt)));
      }
      console.log(`${at}: page load to the dialog: ${ms(quantile(loads, 0.5))} (of ${loads.map((v) => v.toFixed(0)).join(', ')})`);
      const dialogMemory = treeMemory(browser.pid());
      await page.press('Enter');
      await waitUntil(60, 'the show', () => page.eval(() => glaxenPage.phase === 'show'));
      await sleep(2000);
      const cpu = await cpuPerFrame(browser, () => page.eval(() => glaxenPage.shownFrames), 10);
      const { frames, heap, js } = await page.eval(() => ({
        frames: glaxenPage.frames.slice(-600), heap: Module.HEAPU8.length,
        js: performance.memory ? performance.memory.usedJSHeapSize : 0 }));
      const showMemory = treeMemory(browser.pid());
      const times = frames.map((f) => f[4]);
      const fps = (times.length - 1) / ((times.at(-1) - times[0]) / 1000);
      const thread = throttle === 1 ? `; the page's thread: ${ms(cpu)} of CPU a frame` : '';  // slowed, it spins
      console.log(`${at}: ${fps.toFixed(1)} frames a second; a frame: ${spread(frames.map((f) => f[0]))}${thread}`);
      console.log(`${at}:   the core's frame ${spread(frames.map((f) => f[0] - f[1] - f[2] - f[3]))}; the spectrum ${spread(frames.map((f) => f[1]))}; ` +
                  `the RGBA pass ${spread(frames.map((f) => f[2]))}; putImageData ${spread(frames.map((f) => f[3]))}`);
      console.log(`${at}: memory: WebAssembly heap ${mb(heap)}${js ? `, JavaScript heap ${mb(js)} in use` : ''}; ` +
                  `the browser's processes ${mb(dialogMemory)} at the dialog, ${mb(showMemory)} during the show`);
      await page.close();
    }
    if (engine !== 'chromium') console.log(`${engine}: only Chromium slows its CPU on request: no 6x figures`);

    // ASYNCIFY's cost: the same frame's work in the two loops, and the page without music.
    const silent = await browser.open(silentServer.url);
    await pageReady(silent);
    await silent.press('Enter');
    await waitUntil(60, 'the silent show', () => silent.eval(() => glaxenPage.phase === 'show'));
    await sleep(2000);
    const pageCpu = await cpuPerFrame(browser, () => silent.eval(() => glaxenPage.shownFrames), 10);
    await silent.close();
    // The two loops take turns, five runs each, so that a busy moment of the machine's does not
    // land on one of them alone.
    const loops = { web_frame_loop: [], web_frame_wait: [] };
    for (let run = 0; run < 5; ++run) {
      for (const name of Object.keys(loops)) {
        const loop = await browser.open(`${loopServer.url}${name}.html`);
        await waitUntil(60, name, () => loop.eval(() => globalThis.frameLoop && frameLoop.frames > 0));
        await sleep(1500);
        loops[name].push(await cpuPerFrame(browser, () => loop.eval(() => frameLoop.frames), 6));
        await loop.close();
      }
    }
    const runs = (values) => `${ms(quantile(values, 0.5))} (of ${values.map((v) => v.toFixed(2)).join(', ')})`;
    console.log(`${engine}: a frame without music, the page's thread's CPU, median of five runs: ${runs(loops.web_frame_loop)} ` +
                `in a loop the browser drives, ${runs(loops.web_frame_wait)} in one ASYNCIFY suspends; the page ${ms(pageCpu)}`);

    // The spectrum's delay behind the output.
    const page = await browser.open(clickServer.url);
    await pageReady(page);
    await page.press('Enter');
    await waitUntil(60, 'the music playing', () => page.eval(() => glaxenPage.audioHeardFrame() > 0));
    // Every animation frame: the time, the click bin's level, and the stream second heard.
    const readings = await page.eval(({ seconds, bin }) => new Promise((resolve) => {
      const readings = [];
      const read = () => {
        const heard = glaxenPage.audioHeardFrame() / 44100;
        const level = new Float32Array(Module.HEAPF32.buffer, Module._glaxenSpectrum(), 1024)[bin];
        readings.push([performance.now(), level, heard]);
        if (heard > seconds || glaxenPage.phase !== 'show') resolve(readings); else requestAnimationFrame(read);
      };
      read();
    }), { seconds: clicks.first + clicks.spacing * clicks.count + 0.2, bin: clicks.bin });
    const delays = [];
    for (let i = 0; i < clicks.count; ++i) {
      const click = clicks.first + clicks.spacing * i;
      const near = readings.filter(([, , heard]) => heard > click - 0.2 && heard < click + 0.3);
      const peak = near.reduce((best, r) => (r[1] > best[1] ? r : best), near[0]);
      const index = readings.findIndex(([, , heard]) => heard >= click);  // the output reaches the click
      if (index < 1 || near.length === 0) continue;  // no reading before it: not measurable
      const reached = readings[index], before = readings[index - 1];
      const t = before[0] + ((click - before[2]) / (reached[2] - before[2])) * (reached[0] - before[0]);
      delays.push(peak[0] - t);
    }
    const frameMs = quantile(readings.slice(1).map((r, i) => r[0] - readings[i][0]), 0.5);
    console.log(`${engine}: spectrum behind the heard position: ${delays.map((d) => d.toFixed(1)).join(' ')} ms; ` +
                `mean ${ms(delays.reduce((a, b) => a + b, 0) / delays.length)} (read once a frame, every ${ms(frameMs)})`);
    await page.close();
  } finally {
    await browser.close();
  }
}
await server.close();
await clickServer.close();
await silentServer.close();
await loopServer.close();
fs.rmSync(work, { recursive: true, force: true });
