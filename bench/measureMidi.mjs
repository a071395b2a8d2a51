// Times a MIDI keyboard's key to its sound in the web edition, in headless
// Chromium with a stand-in for the browser's Web MIDI: from the message's
// event to the first samples of its note posted to the sound worklet, against
// a PC key's keydown to the same for the organ's key, in the same run and the
// same page. The worklet plays what it is posted from its next block (128
// samples, 5.8 ms) on, and the context's output latency comes after that,
// the same for both. Prints the numbers; asserts nothing.
// Usage: node measureMidi.mjs SITE_DIR
import path from 'node:path';
import { launch, openPage, serve } from '../tests/web/harness.mjs';

const [site] = process.argv.slice(2).map((p) => path.resolve(p));
const web = await serve(site);
const chromium = await launch();
const rounds = 25;

// In the page before its scripts: one keyboard to play, and the time of
// every post of samples to the worklet (window.posted).
function stand() {
  const port = { id: '1', name: 'Bench Keys', type: 'input', state: 'connected', onmidimessage: null };
  Object.assign(port, { open: async () => port, close: async () => port });
  const access = { inputs: new Map([['1', port]]), outputs: new Map(), onstatechange: null };
  navigator.requestMIDIAccess = async () => access;
  window.play = (bytes) => {
    const at = performance.now();
    port.onmidimessage({ data: Uint8Array.from(bytes), timeStamp: at });
    return at;
  };
  window.posted = [];
  const post = MessagePort.prototype.postMessage;
  MessagePort.prototype.postMessage = function (message, ...rest) {
    if (message?.samples) window.posted.push(performance.now());
    return post.call(this, message, ...rest);
  };
  addEventListener('keydown', (event) => (window.keyAt = event.timeStamp), true);
}

const median = (values) => [...values].sort((a, b) => a - b)[Math.floor(values.length / 2)];
const report = (what, values) =>
  console.log(`${what}: median ${median(values).toFixed(2)} ms, worst ${Math.max(...values).toFixed(2)} ms`);
const settle = () => new Promise((resolve) => setTimeout(resolve, 120));

try {
  const page = await openPage(chromium.browser, web.origin.replace('127.0.0.1', 'localhost'), '', undefined, stand);
  await page.click('#inputMenu');
  await page.click('#midiInput');
  await page.waitForFunction(() => document.getElementById('midiStatus').textContent === 'MIDI in: Bench Keys');
  // The organ: CLEAR, C, RUN.
  for (const key of ['Backspace', 'c', ' ']) await page.keyboard.press(key);
  await page.waitForFunction(() => window.korvel.soundRunning());
  const firstPostAfter = (at) => page.evaluate((t) => window.posted.find((p) => p >= t) - t, at);
  const midi = [];
  const pcKey = [];
  for (let round = 0; round < rounds; ++round) {
    const at = await page.evaluate(() => window.play([0x90, 69, 100]));
    await settle();
    midi.push(await firstPostAfter(at));
    await page.evaluate(() => window.play([0x80, 69, 0]));
    await settle();
    await page.keyboard.down('5');
    await settle();
    pcKey.push(await firstPostAfter(await page.evaluate(() => window.keyAt)));
    await page.keyboard.up('5');
    await settle();
  }
  report(`MIDI message to its samples posted (${rounds} notes)`, midi);
  report(`PC key to its samples posted (${rounds} presses)`, pcKey);
  const latency = await page.evaluate(() => {
    const context = new AudioContext({ latencyHint: 'interactive', sampleRate: 22050 });
    const { baseLatency, outputLatency } = context;
    context.close();
    return { baseLatency, outputLatency };
  });
  console.log(
    `then the worklet's next block (5.8 ms) and this browser's output: base ${(latency.baseLatency * 1000).toFixed(1)} ms, device ${(latency.outputLatency * 1000).toFixed(1)} ms`,
  );
} finally {
  await chromium.close();
  await web.stop();
}
