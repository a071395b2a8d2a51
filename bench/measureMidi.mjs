// Times a MIDI keyboard's key to its sound in the web edition, in headless
// Chromium with a stand-in for the browser's Web MIDI: from the message's
// event to the first samples of its note posted to the sound worklet, against
// a PC key's keydown to the same for the organ's key, in the same run and the
// same page. The worklet plays what it is posted from its next block (128
// samples, 5.8 ms) on, and the context's output latency comes after that,
// the same for both. Prints the numbers; asserts nothing.
// Usage: node measureMidi.mjs SITE_DIR
import path from 'node:path';
import { fakeMidi, launch, openPage, serve } from '../tests/web/harness.mjs';

const [site] = process.argv.slice(2).map((p) => path.resolve(p));
const web = await serve(site);
const chromium = await launch();
const rounds = 25;

const median = (values) => [...values].sort((a, b) => a - b)[Math.floor(values.length / 2)];
const report = (what, values) =>
  console.log(`${what}: median ${median(values).toFixed(2)} ms, worst ${Math.max(...values).toFixed(2)} ms`);
const settle = () => new Promise((resolve) => setTimeout(resolve, 120));

try {
  const page = await openPage(chromium.browser, web.origin.replace('127.0.0.1', 'localhost'), '', undefined, fakeMidi, {
    ports: ['Bench Keys'],
  });
  // The PC key's keydown as the page's first listener sees it.
  await page.evaluate(() => addEventListener('keydown', (event) => (window.keyAt = event.timeStamp), true));
  await page.click('#inputMenu');
  await page.click('#midiInput');
  await page.waitForFunction(() => window.midi.listening());
  // The organ: CLEAR, C, RUN.
  for (const key of ['Backspace', 'c', ' ']) await page.keyboard.press(key);
  await page.waitForFunction(() => window.korvel.soundRunning());
  const firstPostAfter = (at) => page.evaluate((t) => window.midi.postTimes.find((p) => p >= t) - t, at);
  const play = (hex) =>
    page.evaluate((h) => {
      const at = performance.now();
      window.midi.send(h);
      return at;
    }, hex);
  const midi = [];
  const pcKey = [];
  for (let round = 0; round < rounds; ++round) {
    midi.push(await firstPostAfter(await play('90 45 64')));
    await settle();
    await play('80 45 00');
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
