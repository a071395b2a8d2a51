// MIDI keyboard input in headless Chromium, with a stand-in for the browser's
// Web MIDI that the test plugs ports into and plays: asked for only once
// turned on, the organ's tone from the worklet's samples in clock and organ
// modes with last-note priority, Record with the pedal, a keyboard unplugged
// mid-note and plugged in again, a later visit, and every way of having no
// MIDI input.
// Usage: node midiTest.mjs SITE_DIR
import { after, before, test } from 'node:test';
import assert from 'node:assert/strict';
import path from 'node:path';
import { launch, openPage, serve, desktop } from './harness.mjs';

const [site] = process.argv.slice(2).map((p) => path.resolve(p));
let web, chromium, origin;
const pages = [];

before(async () => {
  web = await serve(site);
  origin = web.origin.replace('127.0.0.1', 'localhost'); // a secure context, as Web MIDI asks
  chromium = await launch();
});
after(async () => {
  for (const page of pages) assert.deepEqual(page.errors, [], 'console errors');
  await chromium?.close();
  await web?.stop();
});

// The browser's MIDI as the test makes it, in every document of the page:
// setup.refuse, an error name requestMIDIAccess rejects with; setup.none, no
// Web MIDI; the permission from sessionStorage (midi.permission) so that a
// reload may find it granted. window.midi plugs, unplugs and plays ports and
// counts the requests.
function fakeMidi(setup) {
  if (setup.none) {
    delete Navigator.prototype.requestMIDIAccess;
    return;
  }
  const access = { inputs: new Map(), outputs: new Map(), onstatechange: null, sysexEnabled: false };
  const changed = (port) => access.onstatechange?.({ port });
  let ids = 0;
  const midi = (window.midi = { requests: [], access });
  navigator.requestMIDIAccess = (options) => {
    midi.requests.push(options);
    return setup.refuse ? Promise.reject(new DOMException('no', setup.refuse)) : Promise.resolve(access);
  };
  const query = navigator.permissions.query.bind(navigator.permissions);
  navigator.permissions.query = (what) =>
    what.name === 'midi'
      ? Promise.resolve({ state: sessionStorage.getItem('midi.permission') ?? 'prompt' })
      : query(what);
  // A port plugged in; refusing, it will not open, as one another program
  // holds, and the browser then tells of a change of its state.
  midi.plug = (name, refusing = false) => {
    const port = { id: String(++ids), name, type: 'input', state: 'connected', connection: 'closed' };
    port.onmidimessage = null;
    port.open = async () => {
      midi.opens = (midi.opens ?? 0) + 1;
      if (refusing) setTimeout(() => changed(port));
      if (port.state !== 'connected' || refusing) throw new DOMException('gone', 'InvalidAccessError');
      port.connection = 'open';
      changed(port);
      return port;
    };
    port.close = async () => {
      port.connection = 'closed';
      return port;
    };
    access.inputs.set(port.id, port);
    changed(port);
  };
  // A port unplugged stays in the map, disconnected, as the browser keeps it.
  midi.unplug = (name) => {
    for (const port of access.inputs.values())
      if (port.name === name && port.state === 'connected') {
        port.state = 'disconnected';
        port.connection = 'closed';
        changed(port);
      }
  };
  midi.listening = (name) =>
    [...access.inputs.values()].some((p) => p.name === name && p.state === 'connected' && p.onmidimessage);
  midi.send = (bytes, timeStamp = performance.now()) => {
    for (const port of access.inputs.values())
      if (port.state === 'connected') port.onmidimessage?.({ data: Uint8Array.from(bytes), timeStamp });
  };
  for (const name of setup.ports ?? []) midi.plug(name);
}

async function open(setup = { ports: ['Test Keys'] }, viewport = desktop) {
  const page = await openPage(chromium.browser, origin, '', viewport, fakeMidi, setup);
  pages.push(page);
  return page;
}
const textOf = (page, selector) => page.$eval(selector, (e) => e.textContent);
const checked = (page) => page.$eval('#midiInput', (item) => item.getAttribute('aria-checked'));
const menuPorts = (page) =>
  page.$$eval('#inputItems [role="menuitemradio"]', (items) =>
    items.map((item) => `${item.textContent}${item.getAttribute('aria-checked') === 'true' ? ' *' : ''}`),
  );
async function turnOn(page) {
  await page.click('#inputMenu');
  await page.click('#midiInput');
}

// The period in samples of the square wave the worklet plays once bytes
// arrive (a sound cut, as every change of the organ's tone is), or 0 where
// it falls silent.
async function periodAfter(page, bytes) {
  return page.evaluate(async (bytes) => {
    window.korvel.recordSound(2048);
    window.midi.send(bytes);
    await new Promise((resolve) => setTimeout(resolve, 250));
    const { samples } = await window.korvel.soundReport();
    const middle = (Math.max(...samples) + Math.min(...samples)) / 2;
    const rises = [];
    for (let i = 1; i < samples.length; ++i) if (samples[i] > middle && samples[i - 1] <= middle) rises.push(i);
    return rises.length > 2 ? (rises.at(-1) - rises[0]) / (rises.length - 1) : 0;
  }, bytes);
}
// Cents from the key's equal-tempered pitch (A4 = 440 Hz) to a period's, at the kit's rate.
const centsOff = (key, period) => 1200 * Math.log2(22050 / period / (440 * 2 ** ((key - 69) / 12)));

test('asked for once turned on; the newest key held sounds its nearest tone, in clock and organ modes', async () => {
  const page = await open();
  await page.click('#inputMenu');
  assert.deepEqual(await page.evaluate(() => window.midi.requests), [], 'not asked before turned on');
  await page.click('#midiInput');
  await page.waitForFunction(() => window.midi.listening('Test Keys'));
  assert.deepEqual(await page.evaluate(() => window.midi.requests), [{ sysex: false }]);
  assert.equal(await textOf(page, '#midiStatus'), 'MIDI in: Test Keys');
  assert.equal(await checked(page), 'true');
  await page.waitForFunction(() => window.korvel.soundRunning());

  // Each row: what is played, the key that should then sound (none: silence).
  const rows = [
    ['A4 down', [0x90, 69, 100], 69],
    ['C5 over it', [0x90, 72, 90], 72],
    ['E4 over both', [0x90, 64, 80], 64],
    ['C5 up: E4 still newest', [0x80, 72, 0], null],
    ['E4 up (velocity 0): back to A4', [0x90, 64, 0], 69],
    ['A4 up', [0x80, 69, 0], undefined],
  ];
  for (const mode of ['Clock', 'Organ']) {
    if (mode === 'Organ') for (const key of ['Backspace', 'c', ' ']) await page.keyboard.press(key);
    assert.equal(await textOf(page, '#kitStatus'), mode);
    for (const [what, bytes, key] of rows) {
      const period = await periodAfter(page, bytes);
      if (key === null) continue; // nothing changes, so no cut to record from
      if (key === undefined) assert.equal(period, 0, `${mode}, ${what}: silent`);
      else assert.ok(Math.abs(centsOff(key, period)) < 40, `${mode}, ${what}: period ${period}`);
    }
  }
  // A key beyond the kit's tones says so where the page says things.
  await page.evaluate(() => window.midi.send([0x90, 120, 100]));
  assert.equal(await textOf(page, '#note'), "C9 is beyond the kit's tones.");
  await page.evaluate(() => window.midi.send([0x80, 120, 0]));
});

test('Record writes the notes played, the pedal lengthening the first', async () => {
  const page = await open();
  await page.click('#viewMenu');
  await page.click('#editorToggle');
  await turnOn(page);
  await page.waitForFunction(() => window.midi.listening('Test Keys'));
  await page.click('#steps tbody tr:nth-child(5) td:nth-child(4)'); // row 010, its note
  await page.click('#record');
  // Played at exact times, each handed over once its time has come: A4 held
  // 150 ms under the pedal lifted at 400 ms, C5 from 500 to 700 ms.
  await page.evaluate(async () => {
    const start = performance.now() + 50;
    const played = [
      [0, [0x90, 69, 100, 0xb0, 64, 127]],
      [150, [0x80, 69, 0]],
      [400, [0xb0, 64, 0]],
      [500, [0x90, 72, 100]],
      [700, [0x80, 72, 0]],
    ];
    for (const [at, bytes] of played) {
      while (performance.now() < start + at) await new Promise((resolve) => setTimeout(resolve, 5));
      window.midi.send(bytes, start + at);
    }
  });
  await page.click('#record');
  // Each row's digits and pitch: A4 for 400 ms, not its own 150, a rest, C5 for 200 ms.
  const rows = await page.$$eval('#steps tbody tr', (trs) =>
    trs.slice(4, 7).map((tr) => [tr.cells[1].textContent, tr.cells[4].textContent]),
  );
  assert.deepEqual(rows, [
    ['1917', 'A4 +4¢'],
    ['EE05', ''],
    ['000B', 'C5 +6¢'],
  ]);
});

test('a keyboard unplugged mid-note falls silent and says so; plugged in again it plays', async () => {
  const page = await open();
  await turnOn(page);
  await page.waitForFunction(() => window.midi.listening('Test Keys'));
  await page.waitForFunction(() => window.korvel.soundRunning());
  assert.ok(Math.abs(centsOff(69, await periodAfter(page, [0x90, 69, 100]))) < 40);
  const silent = await page.evaluate(async () => {
    window.korvel.recordSound(2048);
    window.midi.unplug('Test Keys');
    await new Promise((resolve) => setTimeout(resolve, 250));
    return (await window.korvel.soundReport()).samples.length === 0;
  });
  assert.ok(silent, 'the held note stopped');
  assert.equal(await textOf(page, '#midiStatus'), 'MIDI in: Test Keys (not connected)');
  assert.deepEqual(await menuPorts(page), []);
  await page.evaluate(() => window.midi.plug('Test Keys'));
  await page.waitForFunction(() => window.midi.listening('Test Keys'));
  assert.equal(await textOf(page, '#midiStatus'), 'MIDI in: Test Keys');
  assert.ok(Math.abs(centsOff(72, await periodAfter(page, [0x90, 72, 100]))) < 40);

  // Another keyboard chosen is remembered; the next visit opens it at once
  // where the browser's permission stands, and asks nothing where it does not.
  await page.evaluate(() => window.midi.plug('Other Keys'));
  assert.deepEqual(await menuPorts(page), ['Test Keys *', 'Other Keys']);
  await page.click('#inputMenu');
  await page.click('#inputItems [role="menuitemradio"]:nth-last-child(1)');
  assert.equal(await textOf(page, '#midiStatus'), 'MIDI in: Other Keys');
  for (const [permission, status] of [
    ['prompt', ''],
    ['granted', 'MIDI in: Other Keys (not connected)'],
  ]) {
    await page.evaluate((p) => sessionStorage.setItem('midi.permission', p), permission);
    await page.reload();
    await page.waitForSelector('html[data-ready]');
    await new Promise((resolve) => setTimeout(resolve, 300));
    assert.equal(await textOf(page, '#midiStatus'), status, permission);
    assert.equal(await page.evaluate(() => window.midi.requests.length), permission === 'granted' ? 1 : 0);
  }
});

test('no Web MIDI, a refusal and a failure each say why, and MIDI input stays off', async () => {
  const rows = [
    [{ none: true }, 'This browser has no MIDI input: play the kit from a MIDI keyboard in a browser that has.'],
    [{ refuse: 'NotAllowedError' }, /did not allow this page to use MIDI keyboards/],
    [{ refuse: 'AbortError' }, 'The browser could not open its MIDI input (AbortError).'],
  ];
  for (const [setup, said] of rows) {
    const page = await open({ ports: ['Test Keys'], ...setup });
    await turnOn(page);
    await page.waitForSelector('#message[open]');
    const shown = await textOf(page, '#message[open] p');
    if (said instanceof RegExp) assert.match(shown, said);
    else assert.equal(shown, said);
    assert.equal(await checked(page), 'false');
    assert.equal(await textOf(page, '#midiStatus'), '');
    await page.close();
  }
});

test('a port that will not open says so, and is tried again when the ports change', async () => {
  const page = await open({ ports: [] });
  await page.evaluate(() => window.midi.plug('Test Keys', true));
  await turnOn(page);
  await page.waitForFunction(() => document.getElementById('midiStatus').textContent.endsWith('(not connected)'));
  assert.equal(await textOf(page, '#note'), 'Could not open the MIDI port Test Keys (InvalidAccessError).');
  await new Promise((resolve) => setTimeout(resolve, 200));
  assert.equal(await page.evaluate(() => window.midi.opens), 1, 'tried once, not again and again');
  await page.evaluate(() => window.midi.unplug('Test Keys'));
  await page.evaluate(() => window.midi.plug('Test Keys'));
  await page.waitForFunction(() => window.midi.listening('Test Keys'));
  assert.equal(await textOf(page, '#midiStatus'), 'MIDI in: Test Keys');
});
