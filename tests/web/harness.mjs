// Serves the web edition's site on 127.0.0.1 and opens it in headless
// Chromium, for the tests and the measurements.
import { execFileSync } from 'node:child_process';
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
// errors and uncaught exceptions. prepare(...prepareArguments), if given, runs in every
// document the page opens before the page's own scripts (a stand-in for a browser's device).
export async function openPage(browser, origin, fragment = '', viewport = desktop, prepare, ...prepareArguments) {
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
  if (prepare) await page.evaluateOnNewDocument(prepare, ...prepareArguments);
  await page.goto(`${origin}/${fragment}`);
  await page.waitForSelector('html[data-ready]');
  return page;
}

// A stand-in for the browser's Web MIDI, for openPage's prepare: no Web MIDI
// (none), a request rejected (refuse, an error name), or window.midi to plug
// ports (a refusing one will not open, and the browser then tells of a
// change), unplug them (kept in the map, as browsers keep them) and play hex
// bytes; the permission from sessionStorage. It also keeps the last samples
// posted to the sound worklet (null once silent) and when each was posted.
export function fakeMidi({ none, refuse, ports = [] }) {
  if (none) return delete Navigator.prototype.requestMIDIAccess;
  const access = { inputs: new Map(), onstatechange: null };
  const midi = (window.midi = { requests: [], opens: 0, postTimes: [] });
  const changed = (port) => access.onstatechange?.({ port });
  navigator.requestMIDIAccess = async (options) => {
    midi.requests.push(options);
    if (refuse) throw new DOMException('no', refuse);
    return access;
  };
  const query = navigator.permissions.query.bind(navigator.permissions);
  navigator.permissions.query = async (what) =>
    what.name === 'midi' ? { state: sessionStorage.getItem('midi.permission') ?? 'prompt' } : query(what);
  midi.plug = (name, refusing) => {
    const port = { id: `${access.inputs.size}`, name, state: 'connected', close: async () => {} };
    port.open = async () => {
      midi.opens += 1;
      if (refusing) setTimeout(() => changed(port));
      if (refusing) throw new DOMException('held', 'InvalidAccessError');
    };
    access.inputs.set(port.id, port);
    changed(port);
  };
  midi.unplug = (name) => access.inputs.forEach((p) => p.name === name && changed(Object.assign(p, { state: 'x' })));
  midi.listening = () => [...access.inputs.values()].some((p) => p.state === 'connected' && p.onmidimessage);
  midi.send = (hex, timeStamp = performance.now()) => {
    const data = Uint8Array.from(hex.split(' '), (byte) => parseInt(byte, 16));
    access.inputs.forEach((p) => p.state === 'connected' && p.onmidimessage?.({ data, timeStamp }));
  };
  ports.forEach((name) => midi.plug(name));
  const post = MessagePort.prototype.postMessage;
  MessagePort.prototype.postMessage = function (message, ...rest) {
    if (message && 'samples' in message) midi.posted = message.samples;
    if (message?.samples) midi.postTimes.push(performance.now());
    return post.call(this, message, ...rest);
  };
}

// Downloads of page go to folder, a folder of their own; a file is there once whole.
// The browser holds the file's name with an empty file while it writes the
// bytes beside it, so a file is taken once it has bytes and the partial one is gone.
export async function downloadsTo(page, folder) {
  const cdp = await page.createCDPSession();
  await cdp.send('Browser.setDownloadBehavior', { behavior: 'allow', downloadPath: folder });
  return async (file) => {
    const whole = path.join(folder, file);
    const done = () =>
      fs.existsSync(whole) &&
      fs.statSync(whole).size > 0 &&
      !fs.readdirSync(folder).some((f) => f.endsWith('.crdownload'));
    for (let i = 0; i < 200 && !done(); ++i) await new Promise((r) => setTimeout(r, 50));
    return fs.readFileSync(whole);
  };
}

// The sound a page plays against korvel-cli (cli) render, the WAV files
// written in scratch: playedWithoutStalls, and the retries taken so far.
export function soundChecks(cli, scratch) {
  // The first count samples the worklet plays from the cut play() makes, and
  // the breaks among them, against korvel-cli's render of script.
  async function playedAndRendered(page, count, play, script) {
    await page.waitForFunction(() => window.korvel.soundRunning());
    await page.evaluate((n) => window.korvel.recordSound(n), count);
    await play();
    let report;
    const deadline = Date.now() + 20000;
    do {
      await new Promise((resolve) => setTimeout(resolve, 250));
      report = await page.evaluate(async () => {
        const { samples, breaks, longestWait } = await window.korvel.soundReport();
        return { samples: Array.from(samples), breaks, longestWait };
      });
    } while (report.samples.length < count && Date.now() < deadline);
    const wave = path.join(scratch, 'tune.wav');
    execFileSync(cli, ['render', script, '-o', wave, '--seconds', String(Math.ceil(count / 22050) + 1)]);
    const bytes = fs.readFileSync(wave);
    const data = bytes.indexOf('data', 12);
    return { report, rendered: bytes.subarray(data + 8, data + 8 + count) };
  }

  // Retries, each said in the output as it is taken and counted at the end,
  // only where the machine is at fault: a play with breaks while the machine
  // kept the page's threads from running. A worker in the page and this
  // process each time their own timers, and the worklet the waits between
  // its calls; one late by stalled ms or more stands for the machine, as the
  // page itself is not what runs there. The audio thread, starved and then
  // catching up in a burst, can empty the worklet's store while the other
  // threads ran on time. On a quiet machine none is late by more than 30 ms;
  // a failed run on a busy one saw 91 ms with 10 breaks.
  let retries = 0;
  const stalled = 50;
  async function watchStalls(page) {
    await page.evaluate(() => {
      const source = `let last = performance.now(), worst = 0;
        setInterval(() => { const now = performance.now(); worst = Math.max(worst, now - last - 10); last = now; }, 10);
        onmessage = () => postMessage(worst);`;
      window.stallWatch = new Worker(URL.createObjectURL(new Blob([source])));
    });
    let last = performance.now();
    let worst = 0;
    const timer = setInterval(() => {
      const now = performance.now();
      worst = Math.max(worst, now - last - 10);
      last = now;
    }, 10);
    return async () => {
      clearInterval(timer);
      const inPage = await page.evaluate(
        () =>
          new Promise((resolve) => {
            window.stallWatch.onmessage = ({ data }) => resolve(data);
            window.stallWatch.postMessage(0);
          }),
      );
      await page.evaluate(() => window.stallWatch.terminate());
      return Math.round(Math.max(worst, inPage));
    };
  }

  // playedAndRendered, with the play taken again (up to twice more) when its
  // breaks came while the machine stalled. prepare comes before each play, stop after it.
  async function playedWithoutStalls(page, count, { prepare = async () => {}, play, stop, script, what }) {
    for (let attempt = 1; ; attempt += 1) {
      await prepare();
      const stalls = await watchStalls(page);
      const played = await playedAndRendered(page, count, play, script);
      const worst = Math.max(await stalls(), played.report.longestWait);
      await stop();
      const { breaks } = played.report;
      if (breaks === 0 || worst < stalled || attempt === 3) {
        if (breaks) console.log(`# ${what}: ${breaks} breaks, the machine's longest stall ${worst} ms`);
        return played;
      }
      retries += 1;
      console.log(
        `# retry ${retries}: ${what} had ${breaks} breaks while the machine stalled for ${worst} ms; playing again`,
      );
    }
  }

  return { playedWithoutStalls, retries: () => retries };
}
