// What the page's tests share: a static server on 127.0.0.1 for the built site (a file may be
// missing, held back or answered wrongly once), the three engines driven the same way (Debian's
// Chromium and Firefox ESR through puppeteer-core, WebKitGTK's MiniBrowser under Xvfb through
// WebDriver), waits for states with bounds, and screenshots read as a person would see them
// (the desktop tests' shot_stats). No autoplay switch or pref: the page's audio starts from the
// input the tests give it, as from a person's.
// Needs: GLAXEN_WEB (the built site), GLAXEN_NATIVE (a native build: glaxen-render, shot_stats,
// decode_music); GLAXEN_WEB_ENGINES picks engines (default: chromium,firefox,webkit).
import puppeteer from 'puppeteer-core';
import { Builder, Key } from 'selenium-webdriver';
import { execFileSync, spawn } from 'node:child_process';
import fs from 'node:fs';
import http from 'node:http';
import net from 'node:net';
import os from 'node:os';
import path from 'node:path';

export const site = process.env.GLAXEN_WEB;
export const native = process.env.GLAXEN_NATIVE;
export const shots = path.join(site, '..', 'web-shots');  // kept for a person to look at
export const engines = (process.env.GLAXEN_WEB_ENGINES || 'chromium,firefox,webkit').split(',');
fs.mkdirSync(shots, { recursive: true });

const types = { '.html': 'text/html', '.js': 'text/javascript', '.wasm': 'application/wasm' };

// Serves the files of the folders given, the first that has a name winning. Options, by file
// name: missing (answered 404), held (a promise the answer waits for), wrongOnce (an HTML page
// answered with 200 to the first request). requests counts the requests for each name.
export async function serve(folders, { missing = [], held = {}, wrongOnce = [] } = {}) {
  const requests = {};
  const server = http.createServer(async (request, response) => {
    const name = decodeURIComponent(new URL(request.url, 'http://x').pathname).replace(/^\/+/, '') || 'index.html';
    requests[name] = (requests[name] || 0) + 1;
    const file = folders.map((f) => path.join(f, name)).find((f) => fs.existsSync(f) && fs.statSync(f).isFile());
    if (!file || missing.includes(name) || name.includes('..')) {
      response.writeHead(404).end();
      return;
    }
    if (wrongOnce.includes(name) && requests[name] === 1) {
      response.writeHead(200, { 'Content-Type': 'text/html' }).end('<!doctype html><title>Oops</title><p>Not here.</p>');
      return;
    }
    if (held[name]) await held[name];
    response.writeHead(200, { 'Content-Type': types[path.extname(file)] || 'application/octet-stream',
                              'Content-Length': fs.statSync(file).size });
    fs.createReadStream(file).pipe(response);
  });
  await new Promise((resolve) => server.listen(0, '127.0.0.1', resolve));
  return {
    url: `http://127.0.0.1:${server.address().port}/`,
    requests,
    close: () => new Promise((r) => { server.closeAllConnections(); server.close(r); }),
  };
}

// A port nothing listens on now.
async function freePort() {
  const probe = net.createServer();
  await new Promise((resolve) => probe.listen(0, '127.0.0.1', resolve));
  const { port } = probe.address();
  await new Promise((resolve) => probe.close(resolve));
  return port;
}

// Polls check (an async function) until it gives a true value, for at most seconds; the error
// names what was awaited and the last value seen.
export async function waitUntil(seconds, what, check) {
  const end = Date.now() + seconds * 1000;
  let last;
  for (;;) {
    last = await check();
    if (last) return last;
    if (Date.now() > end) throw new Error(`waited ${seconds} s for ${what} (last: ${JSON.stringify(last)})`);
    await new Promise((resolve) => setTimeout(resolve, 200));
  }
}

export const sleep = (ms) => new Promise((resolve) => setTimeout(resolve, ms));

// ---------------------------------------------------------------- the engines

// A page in one of the engines, driven the same way whatever the engine. What an engine cannot
// do here is named in cannot (a test says so in one line and checks the rest).
class Page {
  constructor(engine, cannot) {
    this.engine = engine;
    this.cannot = cannot;  // what it cannot do and why, by name: init, touch, tabs, ...
  }
  // The program's console lines (what it writes to standard error).
  lines() {
    return this.eval(() => glaxenPage.lines);
  }
}

// Chromium and Firefox through puppeteer-core.
class PuppeteerPage extends Page {
  constructor(engine, page, cannot) {
    super(engine, cannot);
    this.page = page;
    this.errors = [];  // console errors and uncaught exceptions
    page.on('console', (message) => { if (message.type() === 'error') this.errors.push(message.text()); });
    page.on('pageerror', (error) => this.errors.push(error.message));
  }
  eval(fn, ...args) { return this.page.evaluate(fn, ...args); }
  click(x, y) { return this.page.mouse.click(x, y); }
  press(key) { return this.page.keyboard.press(key === 'Space' ? ' ' : key); }
  tap(x, y) { return this.page.touchscreen.tap(x, y); }
  screenshot(file) { return this.page.screenshot({ path: file }); }
  async close() { await this.page.close(); }
  // Another tab in front of this one, until the function given returns.
  async behindAnotherTab(during) {
    const other = await this.page.browser().newPage();
    await other.bringToFront();
    try { return await during(); } finally { await other.close(); await this.page.bringToFront(); }
  }
}

// WebKitGTK's MiniBrowser through WebDriver.
class WebDriverPage extends Page {
  constructor(driver) {
    super('webkit', {
      init: 'WebKitGTK\'s driver runs no script before the page\'s own',
      touch: 'WebKitGTK\'s driver has no touch input',
      tabs: 'WebKitGTK\'s driver opens a window, not a tab, and the page stays visible',
      consoleErrors: 'WebKitGTK\'s driver does not pass the console on',
      throttle: 'only Chromium slows its CPU on request',
    });
    this.driver = driver;
    this.errors = [];
  }
  eval(fn, ...args) {
    return this.driver.executeScript(`return (${fn}).apply(null, arguments);`, ...args);
  }
  click(x, y) {
    return this.driver.actions().move({ x: Math.round(x), y: Math.round(y), origin: 'viewport' }).click().perform();
  }
  press(key) {
    const keys = { Enter: Key.ENTER, Escape: Key.ESCAPE, Space: ' ' };
    return this.driver.actions().sendKeys(keys[key]).perform();
  }
  async screenshot(file) { fs.writeFileSync(file, Buffer.from(await this.driver.takeScreenshot(), 'base64')); }
  async close() { await this.driver.get('about:blank'); }
}

// One engine's browser: pages opened at an address with a viewport; phone: a touch screen.
export async function launch(engine, { phone = false } = {}) {
  if (engine === 'webkit') return launchWebKit();
  const root = process.getuid && process.getuid() === 0;
  const options = engine === 'chromium'
    ? { browser: 'chrome', executablePath: '/usr/bin/chromium', headless: true, args: root ? ['--no-sandbox'] : [] }
    : { browser: 'firefox', executablePath: '/usr/bin/firefox-esr', headless: true,
        extraPrefsFirefox: {
          'media.cubeb.force_mock_context': true,  // an audio output without a sound card
          ...(phone ? { 'dom.w3c_touch_events.legacy_apis.enabled': true, 'dom.maxtouchpoints.testing.value': 5 } : {}),
        } };
  const browser = await puppeteer.launch(options);
  const cannot = engine === 'chromium' ? {} : { throttle: 'only Chromium slows its CPU on request' };
  return {
    engine,
    // throttle (Chromium): the CPU slowed that many times from the page's first byte on.
    async open(url, { viewport = { width: 800, height: 640 }, init = null, throttle = 1 } = {}) {
      const page = await browser.newPage();
      await page.setViewport(phone ? { ...viewport, isMobile: true, hasTouch: true, deviceScaleFactor: 3 } : viewport);
      if (init) await page.evaluateOnNewDocument(init);
      if (throttle !== 1) await (await page.createCDPSession()).send('Emulation.setCPUThrottlingRate', { rate: throttle });
      await page.goto(url);
      return new PuppeteerPage(engine, page, cannot);
    },
    pid: () => browser.process().pid,
    close: () => browser.close(),
  };
}

// MiniBrowser under an Xvfb of its own, through WebKitWebDriver. The window's size is set so
// that the page's viewport is the one asked for.
async function launchWebKit() {
  const xvfb = spawn('Xvfb', ['-displayfd', '3', '-screen', '0', '1920x1200x24', '-nolisten', 'tcp'],
                     { stdio: ['ignore', 'ignore', 'ignore', 'pipe'] });
  const display = await new Promise((resolve, reject) => {
    xvfb.stdio[3].once('data', (data) => resolve(`:${String(data).trim()}`));
    xvfb.once('exit', () => reject(new Error('Xvfb did not start')));
  });
  const port = await freePort();
  const driverProcess = spawn('WebKitWebDriver', [`--port=${port}`], { env: { ...process.env, DISPLAY: display }, stdio: 'ignore' });
  const stop = () => { driverProcess.kill(); xvfb.kill(); };
  let driver;
  try {
    await waitUntil(30, 'WebKitWebDriver to listen', () => new Promise((resolve) => {
      const socket = net.connect(port, '127.0.0.1', () => { socket.end(); resolve(true); });
      socket.on('error', () => resolve(false));
    }));
    driver = await new Builder().usingServer(`http://127.0.0.1:${port}`).withCapabilities({
      browserName: 'MiniBrowser',
      'webkitgtk:browserOptions': { binary: '/usr/lib/x86_64-linux-gnu/webkit2gtk-4.1/MiniBrowser', args: ['--automation'] },
    }).build();
  } catch (error) {
    stop();
    throw error;
  }
  return {
    engine: 'webkit',
    async open(url, { viewport = { width: 800, height: 640 }, init = null, throttle = 1 } = {}) {
      if (init || throttle !== 1) throw new Error('WebKitGTK\'s driver runs no script before the page\'s own, nor slows its CPU');
      const window = driver.manage().window();
      await window.setRect({ width: 800, height: 640 });
      await driver.get('about:blank');
      const inner = await driver.executeScript('return [innerWidth, innerHeight]');
      await window.setRect({ width: viewport.width + 800 - inner[0], height: viewport.height + 640 - inner[1] });
      await driver.get(url);
      const page = new WebDriverPage(driver);
      const got = await page.eval(() => [innerWidth, innerHeight]);
      if (got[0] !== viewport.width || got[1] !== viewport.height)
        page.cannot.viewport = `WebKitGTK's window gives a view of ${got.join(' x ')} at the least`;
      return page;
    },
    pid: () => driverProcess.pid,
    async close() {
      try { await driver.quit(); } finally { stop(); }
    },
  };
}

// A process and all its descendants (started from any of their threads).
function processTree(pid) {
  const tree = [];
  for (const queue = [pid]; queue.length;) {
    const p = queue.shift();
    tree.push(p);
    try {
      for (const task of fs.readdirSync(`/proc/${p}/task`))
        queue.push(...fs.readFileSync(`/proc/${p}/task/${task}/children`, 'utf8').split(' ').filter(Boolean).map(Number));
    } catch (error) { /* gone meanwhile */ }
  }
  return tree;
}

// The memory of a process and all its descendants: the sum of their proportional set sizes.
export function treeMemory(pid) {
  let bytes = 0;
  for (const p of processTree(pid)) {
    try {
      bytes += 1024 * Number(fs.readFileSync(`/proc/${p}/smaps_rollup`, 'utf8').match(/^Pss:\s+(\d+)/m)[1]);
    } catch (error) { /* gone meanwhile */ }
  }
  return bytes;
}

// The CPU time each process of the tree has spent on its main thread, in ms, by pid: the page's
// own thread is the one of them that spends most while the page runs.
export function mainThreadTimes(pid) {
  const times = new Map();
  for (const p of processTree(pid)) {
    try {
      const fields = fs.readFileSync(`/proc/${p}/task/${p}/stat`, 'utf8').split(') ')[1].split(' ');
      times.set(p, 10 * (Number(fields[11]) + Number(fields[12])));  // user and system, in 1/100 s
    } catch (error) { /* gone meanwhile */ }
  }
  return times;
}

// ---------------------------------------------------------------- what the page shows

// A screenshot of the page, saved as NAME.png, and what a person sees in each rectangle
// ([x, y, w, h]): { lit, red, mean } per rectangle.
export async function look(page, name, ...rectangles) {
  const png = path.join(shots, `${page.engine}-${name}.png`);
  await page.screenshot(png);
  const scale = fs.readFileSync(png).readUInt32BE(16) / await page.eval(() => innerWidth);  // device pixels
  const ppm = path.join(os.tmpdir(), `glaxen-web-${process.pid}.ppm`);
  execFileSync('convert', [png, `ppm:${ppm}`]);
  try {
    return rectangles.map((r) => {
      const pixels = r.map((v) => String(Math.round(v * scale)));
      const line = execFileSync(path.join(native, 'tests/e2e/shot_stats'), [ppm, ...pixels]).toString();
      const [, lit, red, mean] = line.match(/lit=([\d.]+) red=([\d.]+) mean=([\d.]+)/);
      return { lit: +lit, red: +red, mean: +mean };
    });
  } finally {
    fs.rmSync(ppm, { force: true });
  }
}

// The box the page gives the 640 x 480 picture (letterboxed inside the canvas), in page pixels.
export function pictureBox(page) {
  return page.eval(() => {
    const box = document.getElementById('screen').getBoundingClientRect();
    const scale = Math.min(box.width / 640, box.height / 480);
    const width = 640 * scale, height = 480 * scale;
    return { x: box.x + (box.width - width) / 2, y: box.y + (box.height - height) / 2, width, height };
  });
}

const rect = (r) => [Math.round(r.x), Math.round(r.y), Math.round(r.width), Math.round(r.height)];

// The dialog's box in page pixels: 280 x 32 canvas pixels in the middle of the picture.
export async function dialogBox(page) {
  const b = await pictureBox(page);
  const s = b.width / 640;
  return { x: b.x + 180 * s, y: b.y + 224 * s, width: 280 * s, height: 32 * s, picture: b };
}

// The dialog on screen: its grey face and red text, and nothing else lit above it.
export async function dialogShown(page, name) {
  const d = await dialogBox(page);
  const above = { x: d.picture.x, y: d.picture.y, width: d.picture.width, height: d.y - d.picture.y - 4 };
  const [face, rest] = await look(page, name, rect(d), rect(above));
  return face.lit > 0.6 && face.red > 0.02 && rest.lit < 0.01 ? { face, rest } : false;
}

// The show's picture between its letterbox rows: the middle fifth of the picture lit.
export async function pictureShown(page, name) {
  const b = await pictureBox(page);
  const [middle] = await look(page, name, rect({ x: b.x, y: b.y + 0.4 * b.height, width: b.width, height: 0.2 * b.height }));
  return middle.lit > 0.3 ? middle : false;
}

// The page's program is running (its main routine has set the canvas up).
export function pageReady(page) {
  return waitUntil(30, 'the page to start the program', () => page.eval(() => Boolean(globalThis.glaxenPage && glaxenPage.context)));
}

// The spectrum the show read last: its largest value.
export const spectrumPeak = (page) => page.eval(() => Math.max(...new Float32Array(Module.HEAPF32.buffer, Module._glaxenSpectrum(), 1024)));

// The page's audio context is running.
export const audioRunning = (page) => page.eval(() => Boolean(glaxenPage.audio && glaxenPage.audio.context.state === 'running'));
