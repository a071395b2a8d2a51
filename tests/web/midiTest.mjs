// MIDI keyboard input in headless Chromium with a stand-in for Web MIDI that
// the test plugs ports into and plays: asked for only once turned on, the
// organ's tone from the worklet's samples, Record with the pedal, hotplug,
// a later visit, and every way of having no MIDI input.
// Usage: node midiTest.mjs SITE_DIR
import { after, before, test } from 'node:test';
import assert from 'node:assert/strict';
import path from 'node:path';
import { desktop, fakeMidi, launch, openPage, serve } from './harness.mjs';

const [site] = process.argv.slice(2).map((p) => path.resolve(p));
let web, chromium;
const pages = [];
before(async () => ([web, chromium] = await Promise.all([serve(site), launch()])));
after(async () => {
  for (const page of pages) assert.deepEqual(page.errors, [], 'console errors');
  await chromium?.close();
  await web?.stop();
});

async function open(setup = {}) {
  const origin = web.origin.replace('127.0.0.1', 'localhost'); // a secure context
  const page = await openPage(chromium.browser, origin, '', desktop, fakeMidi, { ports: ['Keys'], ...setup });
  pages.push(page);
  return page;
}
const textOf = (page, selector) => page.$eval(selector, (e) => e.textContent);
const status = (page) => textOf(page, '#midiStatus');
async function turnOn(page, opens = true) {
  await page.click('#inputMenu');
  await page.click('#midiInput');
  if (opens) await page.waitForFunction(() => window.midi.listening());
}
// What the worklet plays once window.midi[call](argument) is done: the period
// in samples of its square wave from the cut (every change of tone is one),
// 'silent', or 'unchanged'; a period as the cents from MIDI key's pitch.
const soundAfter = (page, call, argument) =>
  page.evaluate(
    async (call, argument) => {
      window.korvel.recordSound(2048);
      window.midi[call](argument);
      let s = [];
      for (let waited = 0; waited < 1000 && s.length < 1024 && window.midi.posted !== null; waited += 100) {
        await new Promise((resolve) => setTimeout(resolve, 100));
        s = Array.from((await window.korvel.soundReport()).samples);
      }
      const rises = s.map((v, i) => v > 128 && s[i - 1] <= 128 && i).filter(Boolean);
      if (rises.length > 2) return (rises.at(-1) - rises[0]) / (rises.length - 1);
      return window.midi.posted ? 'unchanged' : 'silent';
    },
    call,
    argument,
  );
const inTune = (key, period) =>
  period > 0 && key > 0 && Math.abs(1200 * Math.log2(22050 / period / 440) - 100 * (key - 69)) < 40;

test('asked for once turned on; the newest key held sounds its nearest tone, in clock and organ modes', async () => {
  const page = await open();
  assert.equal(await page.evaluate(() => window.midi.requests.length), 0, 'not asked before turned on');
  await turnOn(page);
  assert.deepEqual(await page.evaluate(() => window.midi.requests), [{ sysex: false }]);
  assert.equal(await status(page), 'MIDI in: Keys');
  await page.waitForFunction(() => window.korvel.soundRunning());
  // A4, C5 over it, E4 over both; C5 up (E4 sounds on: no cut), E4 up by velocity 0 (A4 again), A4 up.
  const played = ['90 45 63', '90 48 63', '90 40 63', '80 48 00', '90 40 00', '80 45 00'];
  const heard = [69, 72, 64, 'unchanged', 69, 'silent']; // a MIDI key in tune, or what else
  for (const mode of ['Clock', 'Organ']) {
    if (mode === 'Organ') for (const key of ['Backspace', 'c', ' ']) await page.keyboard.press(key);
    assert.equal(await textOf(page, '#kitStatus'), mode);
    for (const [i, hex] of played.entries()) {
      const sound = await soundAfter(page, 'send', hex);
      assert.equal(inTune(heard[i], sound) ? heard[i] : sound, heard[i], `${mode}, ${hex}`);
    }
  }
  await page.evaluate(() => window.midi.send('90 78 63'));
  assert.equal(await textOf(page, '#note'), "C9 is beyond the kit's tones.");
});

test('Record writes the notes played, the pedal lengthening the first', async () => {
  const page = await open();
  await page.click('#viewMenu');
  await page.click('#editorToggle');
  await turnOn(page);
  await page.click('#step4c3'); // 010
  await page.click('#record');
  // A4 let go at 150 ms, the pedal at 400 ms; C5 from 500 to 700 ms: each sent once its time has come.
  await page.evaluate(async () => {
    const start = performance.now() + 50;
    const played = { 0: '90 45 63 B0 40 7F', 150: '80 45 00', 400: 'B0 40 00', 500: '90 48 63', 700: '80 48 00' };
    for (const [at, hex] of Object.entries(played)) {
      while (performance.now() < start + +at) await new Promise((resolve) => setTimeout(resolve, 5));
      window.midi.send(hex, start + +at);
    }
  });
  await page.click('#record');
  const rows = await page.$$eval('#steps tbody tr', (trs) => trs.slice(4, 7).map((tr) => tr.cells[5].textContent));
  assert.deepEqual(rows, ['17  400 ms', '05  100 ms', '0B  200 ms']);
});

test('unplugged mid-note it falls silent, plugged in again it plays; MIDI on and the choice last', async () => {
  const page = await open();
  await turnOn(page);
  await page.waitForFunction(() => window.korvel.soundRunning());
  assert.equal(await soundAfter(page, 'send', '90 45 63').then((p) => inTune(69, p)), true);
  assert.equal(await soundAfter(page, 'unplug', 'Keys'), 'silent');
  assert.equal(await status(page), 'MIDI in: Keys (not connected)');
  await page.evaluate(() => ['Keys', 'Pads'].forEach((name) => window.midi.plug(name)));
  await page.waitForFunction(() => window.midi.listening());
  assert.equal(await status(page), 'MIDI in: Keys');
  await page.click('#inputMenu');
  await page.click('#inputItems [role="menuitemradio"]:last-child');
  // A later visit opens MIDI without asking only where the permission stands.
  for (const [permission, shown] of Object.entries({ prompt: '', granted: 'MIDI in: Pads (not connected)' })) {
    await page.evaluate((p) => sessionStorage.setItem('midi.permission', p), permission);
    await page.reload();
    await page.waitForSelector('html[data-ready]');
    await page.waitForFunction((s) => !s || document.getElementById('midiStatus').textContent === s, {}, shown);
    await new Promise((resolve) => setTimeout(resolve, 300)); // for a request that should not come
    const requests = await page.evaluate(() => window.midi.requests.length);
    assert.deepEqual([await status(page), requests], [shown, shown ? 1 : 0]);
  }
});

test('no Web MIDI, a refusal, a failure and a port that will not open each say why', async () => {
  const rows = [
    [{ none: true }, /^This browser has no MIDI input: /],
    [{ refuse: 'NotAllowedError' }, /^The browser did not allow this page to use MIDI keyboards: /],
    [{ refuse: 'AbortError' }, /^The browser could not open its MIDI input \(AbortError\)\.$/],
  ];
  for (const [setup, said] of rows) {
    const page = await open(setup);
    await turnOn(page, false);
    await page.waitForSelector('#message[open]');
    const checked = await page.$eval('#midiInput', (item) => item.getAttribute('aria-checked'));
    assert.match(await textOf(page, '#message[open] p'), said);
    assert.deepEqual([await status(page), checked], ['', 'false']);
  }
  // Tried once, not again at each change the browser tells of; again once plugged in anew.
  const page = await open({ ports: [] });
  await page.evaluate(() => window.midi.plug('Keys', true));
  await turnOn(page, false);
  const note = 'Could not open the MIDI port Keys (InvalidAccessError).';
  await page.waitForFunction((n) => document.getElementById('note').textContent === n, {}, note);
  await new Promise((resolve) => setTimeout(resolve, 300)); // for the tries that should not come
  const opens = await page.evaluate(() => window.midi.opens);
  assert.deepEqual([await status(page), opens], ['MIDI in: Keys (not connected)', 1]);
  await page.evaluate(() => [window.midi.unplug('Keys'), window.midi.plug('Keys')]);
  await page.waitForFunction(() => window.midi.listening());
});
