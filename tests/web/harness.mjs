// Serves the web edition's site on 127.0.0.1 and opens it in headless
// Chromium, for the tests and the measurements.
import http from 'node:http';
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import puppeteer from 'puppeteer-core';

const types = {
  '.html': 'text/html; charset=utf-8',
  '.js': 'text/javascript',
  '.css': 'text/css',
  '.png': 'image/png',
  '.wasm': 'application/wasm',
  '.webmanifest': 'application/manifest+json',
};

// isolated: with the headers that let a page measure its own memory. The
// server's site may be changed, and the server stopped and started again
// on its port, as a visitor's network goes and comes back.
export async function serve(site, isolated = false) {
  const isolation = isolated
    ? { 'Cross-Origin-Opener-Policy': 'same-origin', 'Cross-Origin-Embedder-Policy': 'require-corp' }
    : {};
  const served = { site };
  const server = http.createServer((request, response) => {
    const name = decodeURIComponent(new URL(request.url, 'http://x').pathname);
    const file = path.join(served.site, name.endsWith('/') ? `${name}index.html` : name);
    if (!file.startsWith(served.site) || !fs.existsSync(file) || !fs.statSync(file).isFile()) {
      response.writeHead(404).end();
      return;
    }
    response.writeHead(200, { 'Content-Type': types[path.extname(file)] ?? 'application/octet-stream', ...isolation });
    response.end(fs.readFileSync(file));
  });
  const listen = (port) => new Promise((resolve) => server.listen(port, '127.0.0.1', resolve));
  await listen(0);
  const { port } = server.address();
  return Object.assign(served, {
    server,
    origin: `http://127.0.0.1:${port}`,
    stop: () =>
      new Promise((resolve) => {
        server.close(resolve);
        server.closeAllConnections();
      }),
    start: () => listen(port),
  });
}

export async function launch(extraArguments = []) {
  const profile = fs.mkdtempSync(path.join(os.tmpdir(), 'korvel-chromium-'));
  const browser = await puppeteer.launch({
    executablePath: process.env.KORVEL_CHROMIUM ?? '/usr/bin/chromium',
    headless: true,
    args: [
      '--headless',
      '--no-sandbox',
      '--disable-gpu',
      '--no-first-run',
      '--disable-background-networking',
      '--disable-component-update',
      '--disable-sync',
      '--autoplay-policy=no-user-gesture-required',
      `--user-data-dir=${profile}`,
      ...extraArguments,
    ],
  });
  const close = async () => {
    await browser.close();
    fs.rmSync(profile, { recursive: true, force: true });
  };
  return { browser, close };
}

// A desktop window that shows the board at its own size (556 px and the margins).
export const desktop = { width: 572, height: 760 };

// A page of the site at origin (with an optional fragment) in a desktop
// window or the given viewport, ready to use, as on a first visit; page.errors collects console
// errors and uncaught exceptions.
export async function openPage(browser, origin, fragment = '', viewport = desktop) {
  const page = await browser.newPage();
  page.errors = [];
  page.on('console', (message) => message.type() === 'error' && page.errors.push(message.text()));
  page.on('pageerror', (error) => page.errors.push(error.message));
  page.on('requestfailed', (request) => page.errors.push(`failed: ${request.url()}`));
  await page.setViewport(viewport);
  // Each tab starts as a first visit: no tune or setting kept from another
  // tab, while a reload or a link opened in the tab finds what it kept.
  await page.evaluateOnNewDocument(() => {
    if (location.protocol !== 'http:' || sessionStorage.getItem('korvel.test')) return;
    localStorage.clear();
    sessionStorage.setItem('korvel.test', 'tab');
  });
  await page.goto(`${origin}/${fragment}`);
  await page.waitForSelector('html[data-ready]');
  return page;
}
