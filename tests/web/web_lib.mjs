// What the page's tests share: a static server on 127.0.0.1 for the built site, headless
// Chromium through playwright-core, the page's console, waits for states with bounds, and
// screenshots read as a person would see them (the desktop tests' shot_stats).
// Needs: GLAXEN_WEB (the built site), GLAXEN_NATIVE (a native build: glaxen-render, shot_stats).
import { chromium } from 'playwright-core';
import { execFileSync } from 'node:child_process';
import fs from 'node:fs';
import http from 'node:http';
import os from 'node:os';
import path from 'node:path';

export const site = process.env.GLAXEN_WEB;
export const native = process.env.GLAXEN_NATIVE;
export const shots = path.join(site, '..', 'web-shots');  // kept for a person to look at
fs.mkdirSync(shots, { recursive: true });

const types = { '.html': 'text/html', '.js': 'text/javascript', '.wasm': 'application/wasm' };

// Serves the files of the folders given, the first that has a name winning; `missing` names
// files answered with 404.
export async function serve(folders, missing = []) {
  const server = http.createServer((request, response) => {
    const name = decodeURIComponent(new URL(request.url, 'http://x').pathname).replace(/^\/+/, '') || 'index.html';
    const file = folders.map((f) => path.join(f, name)).find((f) => fs.existsSync(f) && fs.statSync(f).isFile());
    if (!file || missing.includes(name) || name.includes('..')) {
      response.writeHead(404).end();
      return;
    }
    response.writeHead(200, { 'Content-Type': types[path.extname(file)] || 'application/octet-stream' });
    fs.createReadStream(file).pipe(response);
  });
  await new Promise((resolve) => server.listen(0, '127.0.0.1', resolve));
  return { url: `http://127.0.0.1:${server.address().port}/`, close: () => new Promise((r) => server.close(r)) };
}

// Headless Chromium, Debian's own.
export function launch() {
  return chromium.launch({ executablePath: '/usr/bin/chromium', headless: true });
}

// A page at the size given, in a context of its own (other tabs may join it), with everything it
// says on its console kept; init runs in the page before its own scripts.
export async function openPage(browser, url, viewport = { width: 800, height: 640 }, init = null) {
  const page = await (await browser.newContext({ viewport })).newPage();
  if (init) await page.addInitScript(init);
  const console = [];
  page.on('console', (message) => console.push({ type: message.type(), text: message.text() }));
  page.on('pageerror', (error) => console.push({ type: 'pageerror', text: error.message }));
  await page.goto(url);
  return { page, console };
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

// A screenshot of the page, saved as NAME.png, and what a person sees in each rectangle
// ([x, y, w, h]): { lit, red, mean } per rectangle.
export async function look(page, name, ...rectangles) {
  const png = path.join(shots, `${name}.png`);
  await page.screenshot({ path: png });
  const ppm = path.join(os.tmpdir(), `glaxen-web-${process.pid}.ppm`);
  execFileSync('convert', [png, `ppm:${ppm}`]);
  try {
    return rectangles.map((r) => {
      const line = execFileSync(path.join(native, 'tests/e2e/shot_stats'), [ppm, ...r.map(String)]).toString();
      const [, lit, red, mean] = line.match(/lit=([\d.]+) red=([\d.]+) mean=([\d.]+)/);
      return { lit: +lit, red: +red, mean: +mean };
    });
  } finally {
    fs.rmSync(ppm, { force: true });
  }
}

// The box the page gives the 640 x 480 picture (letterboxed inside the canvas), in page pixels.
export async function pictureBox(page) {
  return page.evaluate(() => {
    const box = document.getElementById('screen').getBoundingClientRect();
    const scale = Math.min(box.width / 640, box.height / 480);
    const width = 640 * scale, height = 480 * scale;
    return { x: box.x + (box.width - width) / 2, y: box.y + (box.height - height) / 2, width, height };
  });
}

// The page has set itself up (the program's main routine runs).
export function pageReady(page) {
  return waitUntil(30, 'the page to start the program', () => page.evaluate(() => globalThis.glaxenPage !== undefined));
}
