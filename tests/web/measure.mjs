// Measures the web edition in headless Chromium and photographs it for the
// README: page weight (gzip), first paint, memory, and breaks in the sound
// while a tune plays. Prints the numbers; asserts nothing.
// Usage: node measure.mjs SITE_DIR SCREENSHOT.png
import fs from 'node:fs';
import path from 'node:path';
import zlib from 'node:zlib';
import { desktop, launch, openPage, serve } from './harness.mjs';

const [site, screenshot] = process.argv.slice(2).map((p) => path.resolve(p));
const tune = path.resolve(path.dirname(new URL(import.meta.url).pathname), '../../examples/ode-to-joy.dat');
const web = await serve(site, true);
// The memory measurement at once, not at the next garbage collection.
const chromium = await launch(['--enable-blink-features=ForceEagerMeasureMemory']);
const kB = (bytes) => `${(bytes / 1024).toFixed(1)} KB`;
const gzipped = (bytes) => zlib.gzipSync(bytes, { level: 9 }).length;
const median = (values) => values.sort((a, b) => a - b)[Math.floor(values.length / 2)];

try {
  // Weight: what a page at each density fetches (its pressed-key sheet
  // included, fetched at the first press), gzip-compressed as a server would send it.
  for (const scale of [1, 2]) {
    const context = await chromium.browser.createBrowserContext();
    const page = await context.newPage();
    const files = new Map();
    page.on('response', async (response) => {
      const name = new URL(response.url()).pathname;
      files.set(name, gzipped(await response.buffer()));
    });
    await page.setViewport({ ...desktop, deviceScaleFactor: scale });
    await page.goto(`${web.origin}/`);
    await page.waitForSelector('html[data-ready]');
    await page.keyboard.down('5');
    await page.keyboard.up('5');
    await page.waitForNetworkIdle();
    const byKind = { wasm: 0, javascript: 0, artwork: 0, page: 0 };
    for (const [name, size] of files) {
      const kind = name.endsWith('.wasm') ? 'wasm' : name.endsWith('.js') ? 'javascript' : name.endsWith('.png') ? 'artwork' : 'page';
      byKind[kind] += size;
    }
    const total = [...files.values()].reduce((a, b) => a + b, 0);
    console.log(`weight at density ${scale}: ${kB(total)} gzip (wasm ${kB(byKind.wasm)}, JavaScript ${kB(byKind.javascript)}, artwork ${kB(byKind.artwork)}, HTML and CSS ${kB(byKind.page)})`);
    await context.close();
  }

  const everything = fs.readdirSync(site, { recursive: true }).map((name) => path.join(site, name));
  const siteTotal = everything.filter((file) => fs.statSync(file).isFile()).reduce((sum, file) => sum + gzipped(fs.readFileSync(file)), 0);
  console.log(`whole site, both densities: ${kB(siteTotal)} gzip`);

  // First paint, each load in a fresh context so nothing comes from a cache.
  const paints = [];
  const boards = [];
  const ready = [];
  for (let i = 0; i < 7; ++i) {
    const context = await chromium.browser.createBrowserContext();
    const page = await context.newPage();
    await page.setViewport(desktop);
    await page.goto(`${web.origin}/`);
    await page.waitForSelector('html[data-ready]');
    const times = await page.evaluate(async () => ({
      paint: performance.getEntriesByName('first-contentful-paint')[0]?.startTime,
      // The board picture is the largest.
      board: await new Promise((resolve) =>
        new PerformanceObserver((list) => resolve(list.getEntries().at(-1).startTime)).observe({
          type: 'largest-contentful-paint',
          buffered: true,
        }),
      ),
      ready: Number(document.documentElement.dataset.readyAt),
    }));
    paints.push(times.paint);
    boards.push(times.board);
    ready.push(times.ready);
    await context.close();
  }
  console.log(`first contentful paint: median ${median(paints).toFixed(0)} ms of ${paints.map((t) => t.toFixed(0)).join(', ')}`);
  console.log(`board painted (largest contentful paint): median ${median(boards).toFixed(0)} ms`);
  console.log(`page ready (kit running, keys live): median ${median(ready).toFixed(0)} ms`);

  // A tune for ten seconds: breaks in the sound, then the page's memory.
  const page = await openPage(chromium.browser, web.origin);
  const before = await page.evaluate(() => window.korvel.filesRead);
  await (await page.$('#file')).uploadFile(tune);
  await page.waitForFunction((n) => window.korvel.filesRead > n, {}, before);
  await page.keyboard.press('Escape');
  await page.waitForFunction(() => window.korvel.soundRunning());
  await page.evaluate(() => window.korvel.recordSound(22050 * 10));
  await page.evaluate(() => {
    window.steps = 0;
    new MutationObserver(() => ++window.steps).observe(document.getElementById('status'), {
      childList: true,
      characterData: true,
      subtree: true,
    });
  });
  await page.keyboard.press(' ');
  await new Promise((resolve) => setTimeout(resolve, 10500));
  const sound = await page.evaluate(async () => {
    const { samples, breaks } = await window.korvel.soundReport();
    return { played: samples.length, breaks, steps: window.steps };
  });
  console.log(`sound: ${sound.played} samples played over ${sound.steps} step changes, ${sound.breaks} breaks`);

  const cdp = await page.createCDPSession();
  await cdp.send('Performance.enable');
  const { metrics } = await cdp.send('Performance.getMetrics');
  const metric = (name) => metrics.find((m) => m.name === name)?.value ?? 0;
  const wasm = await page.evaluate(() => window.korvel.wasmMemoryBytes());
  console.log(`memory: JavaScript heap ${kB(metric('JSHeapUsedSize'))} used of ${kB(metric('JSHeapTotalSize'))}, wasm memory ${kB(wasm)}, ${metric('Nodes')} DOM nodes`);
  const measured = await page.evaluate(async () => (await performance.measureUserAgentSpecificMemory()).bytes);
  console.log(`memory: the page's own by measureUserAgentSpecificMemory ${kB(measured)}`);
  await page.keyboard.press('Escape');

  // The README's picture: a tune loaded and its first note read back (ADR 020, READ).
  await page.keyboard.type('0020@r');
  const height = await page.$eval('main', (main) => Math.ceil(main.getBoundingClientRect().bottom));
  await page.screenshot({ path: screenshot, clip: { x: 0, y: 0, width: desktop.width, height } });
  console.log(`screenshot: ${path.relative(process.cwd(), screenshot)}`);
} finally {
  await chromium.close();
  web.server.close();
}
