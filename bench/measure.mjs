// Measures the web edition in headless Chromium and photographs it for the
// README: page weight (gzip), first paint, memory, breaks in the sound while
// a tune plays, and the import of a ten-minute MIDI file and the WAV export
// of a ten-minute tune with the longest the page's main thread was busy
// meanwhile. Prints the numbers; asserts nothing. With SHOTS_DIR, also
// photographs the page with its menus open at phone, tablet and desktop sizes.
// Usage: node measure.mjs SITE_DIR SCREENSHOT.png [SHOTS_DIR]
import fs from 'node:fs';
import path from 'node:path';
import zlib from 'node:zlib';
import os from 'node:os';
import { desktop, launch, openPage, serve } from '../tests/web/harness.mjs';
import { tenMinuteSong } from '../tests/web/songs.mjs';

const [site, screenshot, shots] = process.argv.slice(2).map((p) => path.resolve(p));
const tune = path.resolve(path.dirname(new URL(import.meta.url).pathname), '../examples/ode-to-joy.dat');
const web = await serve(site, true);
// The memory measurement at once, not at the next garbage collection.
const chromium = await launch(['--enable-blink-features=ForceEagerMeasureMemory']);
const kB = (bytes) => `${(bytes / 1024).toFixed(1)} KB`;
const gzipped = (bytes) => zlib.gzipSync(bytes, { level: 9 }).length;
const median = (values) => values.sort((a, b) => a - b)[Math.floor(values.length / 2)];
const ms = (value) => `${value.toFixed(1)} ms`;
const describeBusy = ({ longest, longTasks, traced, tracedCpu }) =>
  `longest main-thread task ${ms(traced)} (${ms(tracedCpu)} of processor time), ` +
  `largest gap between message-loop ticks ${ms(longest)}, ${longTasks.length} long task${longTasks.length === 1 ? '' : 's'}` +
  (longTasks.length ? ` (longest ${ms(Math.max(...longTasks))})` : '');

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
      const kind = name.endsWith('.wasm')
        ? 'wasm'
        : name.endsWith('.js')
          ? 'javascript'
          : /\.(png|webp)$/.test(name)
            ? 'artwork'
            : 'page';
      byKind[kind] += size;
    }
    const total = [...files.values()].reduce((a, b) => a + b, 0);
    console.log(
      `weight at density ${scale}: ${kB(total)} gzip (wasm ${kB(byKind.wasm)}, JavaScript ${kB(byKind.javascript)}, artwork ${kB(byKind.artwork)}, HTML and CSS ${kB(byKind.page)})`,
    );
    await context.close();
  }

  const everything = fs.readdirSync(site, { recursive: true }).map((name) => path.join(site, name));
  const siteTotal = everything
    .filter((file) => fs.statSync(file).isFile())
    .reduce((sum, file) => sum + gzipped(fs.readFileSync(file)), 0);
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
  console.log(
    `first contentful paint: median ${median(paints).toFixed(0)} ms of ${paints.map((t) => t.toFixed(0)).join(', ')}`,
  );
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
  console.log(
    `memory: JavaScript heap ${kB(metric('JSHeapUsedSize'))} used of ${kB(metric('JSHeapTotalSize'))}, wasm memory ${kB(wasm)}, ${metric('Nodes')} DOM nodes`,
  );
  const measured = await page.evaluate(async () => (await performance.measureUserAgentSpecificMemory()).bytes);
  console.log(`memory: the page's own by measureUserAgentSpecificMemory ${kB(measured)}`);
  await page.keyboard.press('Escape');

  // The README's picture: a tune loaded and its first note read back (ADR 020, READ).
  await page.keyboard.type('0020@r');
  const height = await page.$eval('main', (main) => Math.ceil(main.getBoundingClientRect().bottom));
  await page.screenshot({ path: screenshot, clip: { x: 0, y: 0, width: desktop.width, height } });
  console.log(`screenshot: ${path.relative(process.cwd(), screenshot)}`);

  await measureTools(page);
  if (shots) await photographMenus();
} finally {
  await chromium.close();
  web.server.close();
}

// The longest the main thread was busy while work runs: long tasks (50 ms or
// more) as the browser reports them, the largest gap between ticks of a
// message loop, which catches shorter ones too, and from a trace the longest
// task by the clock and by the thread's own processor time (which a machine
// busy with other work does not stretch).
async function busiestWhile(page, work) {
  await page.tracing.start({ categories: ['toplevel', 'disabled-by-default-devtools.timeline'] });
  await page.evaluate(() => {
    window.busy = { longest: 0, longTasks: [], running: true };
    new PerformanceObserver((list) => window.busy.longTasks.push(...list.getEntries().map((e) => e.duration))).observe({
      type: 'longtask',
    });
    const channel = new MessageChannel();
    let last = performance.now();
    channel.port1.onmessage = () => {
      const now = performance.now();
      window.busy.longest = Math.max(window.busy.longest, now - last);
      last = now;
      if (window.busy.running) channel.port2.postMessage(0);
    };
    channel.port2.postMessage(0);
  });
  const result = await work();
  const busy = await page.evaluate(() => {
    window.busy.running = false;
    return { longest: window.busy.longest, longTasks: window.busy.longTasks };
  });
  const { traceEvents } = JSON.parse(Buffer.from(await page.tracing.stop()).toString());
  // The page's main thread: of the renderers' main threads, the busiest.
  const mains = traceEvents.filter((e) => e.name === 'thread_name' && e.args.name === 'CrRendererMain');
  const tasksOf = (main) =>
    traceEvents.filter((e) => e.pid === main.pid && e.tid === main.tid && e.name === 'RunTask' && e.dur);
  const total = (tasks) => tasks.reduce((sum, e) => sum + e.dur, 0);
  const tasks = mains.map(tasksOf).reduce((a, b) => (total(b) > total(a) ? b : a), []);
  busy.traced = Math.max(0, ...tasks.map((e) => e.dur / 1000));
  busy.tracedCpu = Math.max(0, ...tasks.map((e) => (e.tdur ?? 0) / 1000));
  return { result, busy };
}

// Import MIDI of a ten-minute song (kept to its opening that fits), the
// first time (the converter starting) and then warm; and the WAV export of a
// ten-minute tune.
async function measureTools(page) {
  const scratch = fs.mkdtempSync(path.join(os.tmpdir(), 'korvel-measure-'));
  const song = path.join(scratch, 'ten-minutes.mid');
  fs.writeFileSync(song, tenMinuteSong());
  const toolsDone = () => page.evaluate(() => window.korvel.toolsDone);
  for (const round of ['first', 'again', 'again', 'again']) {
    const [chooser] = await Promise.all([
      page.waitForFileChooser(),
      page.click('#fileMenu').then(() => page.click('#importMidi')),
    ]);
    const picked = Date.now();
    await chooser.accept([song]);
    await page.waitForSelector('#importBox[open]');
    const asked = Date.now() - picked;
    if (!(await page.$eval('#importTruncate', (box) => box.checked))) await page.click('#importTruncate');
    const before = await toolsDone();
    const { result: loaded, busy } = await busiestWhile(page, async () => {
      await page.click('#importGo');
      await page.waitForFunction((n) => window.korvel.toolsDone > n, {}, before);
      return page.evaluate(() => window.korvel.lastImport.milliseconds);
    });
    console.log(
      `import of a ten-minute MIDI file (${round}): ${ms(loaded)} from Import to the tune loaded ` +
        `(file picked to dialog ${asked} ms); ${describeBusy(busy)}`,
    );
    await page.keyboard.press('Escape');
  }

  // 127 steps of 4.8 s at the slowest tempo, then the end marker (bench/midiBench.cpp).
  const tones = ['10', '12', '14', '15', '17', '19', '1B', '20'];
  const steps = Array.from({ length: 127 }, (_, i) => `${tones[i % 8]}11W `).join('');
  const tune = path.join(scratch, 'long-tune.dat');
  fs.writeFileSync(tune, `KORVEL long tune\n---\n000E@ 000FW 0000@ 0010W 0010@\n${steps}EEEEW\n0\n`);
  const read = await page.evaluate(() => window.korvel.filesRead);
  await (await page.$('#file')).uploadFile(tune);
  await page.waitForFunction((n) => window.korvel.filesRead > n, {}, read);
  for (const round of ['first', 'again']) {
    const before = await toolsDone();
    const { result: taken, busy } = await busiestWhile(page, async () => {
      const start = Date.now();
      await page.click('#fileMenu');
      await page.click('#exportWave');
      // A pass stopped at ten minutes is asked about before it is kept.
      await page.waitForSelector('#askBox[open]', { timeout: 60000 });
      await page.click('#askGo');
      await page.waitForFunction((n) => window.korvel.toolsDone > n, { timeout: 60000 }, before);
      return Date.now() - start;
    });
    console.log(`WAV export of a ten-minute tune (${round}): ${taken} ms to the download; ${describeBusy(busy)}`);
  }
  fs.rmSync(scratch, { recursive: true, force: true });
}

// Each menu open (File with its Examples) at phone, tablet and desktop sizes.
async function photographMenus() {
  fs.mkdirSync(shots, { recursive: true });
  const touch = { hasTouch: true, isMobile: true, deviceScaleFactor: 2 };
  for (const [name, viewport] of [
    ['phone', { width: 375, height: 667, ...touch }],
    ['tablet', { width: 768, height: 1024, ...touch }],
    ['desktop', { width: 1280, height: 800 }],
  ]) {
    const page = await openPage(chromium.browser, web.origin, '', viewport);
    await page.screenshot({ path: path.join(shots, `${name}.png`) });
    for (const menu of ['file', 'help']) {
      await page.click(`#${menu}Menu`);
      if (menu === 'file') await page.click('#examples');
      await page.screenshot({ path: path.join(shots, `${name}-${menu}.png`) });
      await page.click(`#${menu}Menu`);
    }
    await page.close();
  }
  console.log(`menu photographs: ${path.relative(process.cwd(), shots)}`);
}
