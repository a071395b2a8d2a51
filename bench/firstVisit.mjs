// The web edition's first visit, as a new visitor meets it, for one or more
// builds of the site side by side (e.g. before and after a change), in
// headless Chromium. Each visit is a fresh profile: nothing cached, no
// service worker. Prints a table; asserts nothing.
//   bytes:    what the page of a first visit fetches at device pixel ratio 1
//             and 2 (gzip, as a server sends it compressed) in a desktop
//             window that shows the board at its own size, its first key
//             pressed, up to the moment the network is quiet; and apart,
//             what else the server sent meanwhile: the service worker's
//             fetches, keeping the site for offline use.
//   twice:    the files the server sent more than once on that visit.
//   key->LED: from navigation to the first press of a PC key that reaches
//             the LED (pressed every 100 ms from the start), on a slow line
//             with the processor slowed 4x; the page at 375x667 as a phone
//             and at 1280x800; the median of three visits, as other work on
//             the machine moves each one.
//   overflow: the widest the page ever was beyond the screen while loading
//             (document.scrollingElement.scrollWidth beyond the window, which
//             a phone's browser widens to the content).
// Usage: node bench/firstVisit.mjs SITE_DIR [SITE_DIR ...]
import fs from 'node:fs';
import http from 'node:http';
import path from 'node:path';
import zlib from 'node:zlib';
import { desktop, launch } from '../tests/web/harness.mjs';

const sites = process.argv.slice(2).map((dir) => path.resolve(dir));
if (!sites.length) {
  console.error('Usage: node bench/firstVisit.mjs SITE_DIR [SITE_DIR ...]');
  process.exit(2);
}

// A slow mobile line: 400 kbit/s each way (DevTools' Slow 3G throughput),
// at 400 ms round trip, and at DevTools' own latency for that preset (400 ms
// scaled by 5 for the round trips a real connection adds).
const lines = [
  { name: 'slow 3G, 400 ms', latency: 400 },
  { name: 'slow 3G, 2000 ms', latency: 2000 },
];
const throughput = (500 * 1000 * 0.8) / 8; // bytes a second
const cpuSlowdown = 4;
const screens = [
  {
    name: 'phone 375x667',
    viewport: { width: 375, height: 667, isMobile: true, hasTouch: true, deviceScaleFactor: 2 },
  },
  { name: 'desktop 1280x800', viewport: { width: 1280, height: 800 } },
];
const quietMs = 2000;
const slowVisits = 3;
const longestVisit = 60000;

const types = {
  '.html': 'text/html; charset=utf-8',
  '.js': 'text/javascript',
  '.mjs': 'text/javascript',
  '.css': 'text/css',
  '.png': 'image/png',
  '.webp': 'image/webp',
  '.wasm': 'application/wasm',
  '.webmanifest': 'application/manifest+json',
  '.json': 'application/json',
  '.txt': 'text/plain; charset=utf-8',
};
const compressed = new Set(['.html', '.js', '.mjs', '.css', '.wasm', '.webmanifest', '.json', '.txt']);

// Serves a site as a web server would: text and wasm gzip-compressed for a
// browser that accepts it, every request logged with the bytes sent.
async function serveCompressed(site) {
  const served = { log: [], inFlight: 0, lastActivity: Date.now() };
  const gzipCache = new Map();
  const server = http.createServer((request, response) => {
    const name = decodeURIComponent(new URL(request.url, 'http://x').pathname);
    const file = path.join(site, name.endsWith('/') ? `${name}index.html` : name);
    if (!file.startsWith(site) || !fs.existsSync(file) || !fs.statSync(file).isFile()) {
      response.writeHead(404).end();
      return;
    }
    const extension = path.extname(file);
    let body = fs.readFileSync(file);
    const headers = { 'Content-Type': types[extension] ?? 'application/octet-stream' };
    if (compressed.has(extension) && /\bgzip\b/.test(request.headers['accept-encoding'] ?? '')) {
      if (!gzipCache.has(file)) gzipCache.set(file, zlib.gzipSync(body, { level: 9 }));
      body = gzipCache.get(file);
      headers['Content-Encoding'] = 'gzip';
    }
    ++served.inFlight;
    served.lastActivity = Date.now();
    response.on('close', () => {
      --served.inFlight;
      served.lastActivity = Date.now();
    });
    served.log.push({ name: path.relative(site, file), bytes: body.length });
    response.writeHead(200, headers).end(body);
  });
  await new Promise((resolve) => server.listen(0, '127.0.0.1', resolve));
  served.origin = `http://127.0.0.1:${server.address().port}`;
  served.site = site;
  served.close = () =>
    new Promise((resolve) => {
      server.close(resolve);
      server.closeAllConnections();
    });
  return served;
}

const sleep = (ms) => new Promise((resolve) => setTimeout(resolve, ms));

async function waitForQuiet(served) {
  while (served.inFlight > 0 || Date.now() - served.lastActivity < quietMs) await sleep(100);
}

// Watches the page from its first moment: the widest sideways overflow
// beyond the screen's width, and when the LED first showed a pressed 5.
function watchLoading(screenWidth) {
  const seen = { overflow: 0, overflowAt: null, ledAt: null };
  window.korvelFirstVisit = seen;
  const look = () => {
    const root = document.scrollingElement;
    if (root) {
      const over = root.scrollWidth - screenWidth;
      if (over > seen.overflow) Object.assign(seen, { overflow: over, overflowAt: Math.round(performance.now()) });
    }
    const reading = document.getElementById('reading')?.textContent ?? '';
    if (seen.ledAt === null && /5$/.test(reading)) seen.ledAt = Math.round(performance.now());
  };
  const everyFrame = () => {
    look();
    requestAnimationFrame(everyFrame);
  };
  requestAnimationFrame(everyFrame);
  setInterval(look, 20);
  document.addEventListener('readystatechange', look);
  new MutationObserver(look).observe(document, {
    subtree: true,
    childList: true,
    characterData: true,
    attributes: true,
  });
}

async function weigh(browser, served, scale) {
  const context = await browser.createBrowserContext();
  const page = await context.newPage();
  await page.setViewport({ ...desktop, deviceScaleFactor: scale });
  served.log.length = 0;
  const pageFetched = new Map(); // file -> times the page itself asked the network
  page.on('requestfinished', (request) => {
    if (request.response()?.fromCache()) return;
    const name = path.relative(
      served.site,
      path.join(served.site, decodeURIComponent(new URL(request.url()).pathname)),
    );
    const file = name === '' ? 'index.html' : name;
    pageFetched.set(file, (pageFetched.get(file) ?? 0) + 1);
  });
  await page.goto(`${served.origin}/`);
  await page.waitForSelector('html[data-ready]');
  await page.keyboard.down('5');
  await page.keyboard.up('5');
  // The service worker, where there is one, has done its install.
  await page.evaluate(() => navigator.serviceWorker?.ready);
  await waitForQuiet(served);
  const counts = new Map();
  let pageBytes = 0;
  for (const { name, bytes } of served.log) {
    counts.set(name, (counts.get(name) ?? 0) + 1);
    if (counts.get(name) <= (pageFetched.get(name) ?? 0)) pageBytes += bytes;
  }
  const result = {
    bytes: pageBytes,
    background: served.log.reduce((sum, entry) => sum + entry.bytes, 0) - pageBytes,
    responses: served.log.length,
    twice: [...counts].filter(([, count]) => count > 1).map(([name]) => name),
    files: [...pageFetched.keys()].sort(),
  };
  await context.close();
  return result;
}

async function visitSlowly(browser, served, screen, line) {
  const context = await browser.createBrowserContext();
  const page = await context.newPage();
  await page.setViewport(screen.viewport);
  const devTools = await page.createCDPSession();
  await devTools.send('Network.enable');
  await devTools.send('Network.emulateNetworkConditions', {
    offline: false,
    latency: line.latency,
    downloadThroughput: throughput,
    uploadThroughput: throughput,
  });
  await devTools.send('Emulation.setCPUThrottlingRate', { rate: cpuSlowdown });
  await page.evaluateOnNewDocument(watchLoading, screen.viewport.width);
  const navigated = page.goto(`${served.origin}/`, { timeout: longestVisit }).catch(() => {});
  const started = Date.now();
  let seen = null;
  while (Date.now() - started < longestVisit) {
    await sleep(100);
    try {
      await page.keyboard.down('5');
      await page.keyboard.up('5');
      seen = await page.evaluate(() => window.korvelFirstVisit ?? null);
    } catch {
      continue; // between documents
    }
    if (seen?.ledAt != null) break;
  }
  // Loading goes on after the first key: the overflow is watched to the end.
  await Promise.race([navigated, sleep(longestVisit)]);
  await waitForQuiet(served);
  seen = await page.evaluate(() => window.korvelFirstVisit).catch(() => seen);
  await context.close();
  return seen;
}

const kB = (bytes) => `${(bytes / 1024).toFixed(1)} KB`;
const seconds = (ms) => (ms == null ? 'never' : `${(ms / 1000).toFixed(1)} s`);
const overflowText = (seen) => (seen.overflow > 0 ? `${seen.overflow} px at ${seconds(seen.overflowAt)}` : 'none');

const chromium = await launch();
const rows = [];
try {
  for (const site of sites) {
    const served = await serveCompressed(site);
    const row = { site: path.basename(site) || site };
    for (const scale of [1, 2]) row[`ratio ${scale}`] = await weigh(chromium.browser, served, scale);
    for (const line of lines)
      for (const screen of screens) {
        const visits = [];
        for (let i = 0; i < slowVisits; ++i) visits.push(await visitSlowly(chromium.browser, served, screen, line));
        // The median first key, and the widest overflow of any visit.
        visits.sort((a, b) => (a.ledAt ?? Infinity) - (b.ledAt ?? Infinity));
        const widest = visits.reduce((a, b) => (b.overflow > a.overflow ? b : a));
        row[`${line.name} | ${screen.name}`] = { ...widest, ledAt: visits[Math.floor(slowVisits / 2)].ledAt };
      }
    rows.push(row);
    await served.close();
  }
} finally {
  await chromium.close();
}

const table = [['', ...rows.map((row) => row.site)]];
for (const scale of [1, 2]) {
  table.push([`first visit at ratio ${scale} (gzip)`, ...rows.map((row) => kB(row[`ratio ${scale}`].bytes))]);
  table.push([`  and in the background (offline copy)`, ...rows.map((row) => kB(row[`ratio ${scale}`].background))]);
  table.push([`  responses at ratio ${scale}`, ...rows.map((row) => String(row[`ratio ${scale}`].responses))]);
  table.push([`  fetched twice at ratio ${scale}`, ...rows.map((row) => String(row[`ratio ${scale}`].twice.length))]);
}
for (const line of lines)
  for (const screen of screens) {
    const key = `${line.name} | ${screen.name}`;
    table.push([
      `first key to LED, ${line.name}, ${cpuSlowdown}x CPU, ${screen.name}`,
      ...rows.map((row) => seconds(row[key].ledAt)),
    ]);
    table.push([`  sideways overflow while loading`, ...rows.map((row) => overflowText(row[key]))]);
  }
const widths = table[0].map((_, column) => Math.max(...table.map((cells) => cells[column].length)));
for (const cells of table) console.log(cells.map((cell, column) => cell.padEnd(widths[column])).join('  '));
for (const row of rows)
  for (const scale of [1, 2]) {
    console.log(`${row.site}, ratio ${scale}, the page fetched: ${row[`ratio ${scale}`].files.join(' ')}`);
    if (row[`ratio ${scale}`].twice.length)
      console.log(`${row.site}, ratio ${scale}, fetched twice: ${row[`ratio ${scale}`].twice.join(' ')}`);
  }
