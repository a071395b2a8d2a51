// Listen with Chromium's fake microphone playing a made melody, and recordings
// imported, against korvel-cli import; refusals, Esc and Stop write nothing and
// let the microphone go. Prints the transcription time and the line's delay.
// Usage: node listenTest.mjs SITE_DIR KORVEL_CLI
import { after, before, test } from 'node:test';
import assert from 'node:assert/strict';
import { execFileSync, spawnSync } from 'node:child_process';
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import { launch, openPage, serve } from './harness.mjs';

const [site, cli] = process.argv.slice(2).map((p) => path.resolve(p));
const scratch = fs.mkdtempSync(path.join(os.tmpdir(), 'korvel-listen-test-'));
const rate = 48000;
// Seconds of silence before the melody, and more after it: the fake microphone
// plays from when it is opened, and the page may take a second to hear it.
const lead = 3;
const noteSeconds = 0.4;

// A mono WAV of samples (Int16Array as PCM, Float32Array as float) at hertz,
// its header as little-endian words.
function wave(samples, hertz = rate) {
  const size = samples.BYTES_PER_ELEMENT;
  const tag = (text) => Buffer.from(text).readUInt32LE();
  const format = (samples instanceof Float32Array ? 3 : 1) | (1 << 16); // one channel
  const head = [tag('RIFF'), 36 + samples.byteLength, tag('WAVE'), tag('fmt '), 16, format, hertz];
  head.push(size * hertz, size | ((8 * size) << 16), tag('data'), samples.byteLength);
  return Buffer.concat([Buffer.from(new Uint32Array(head).buffer), Buffer.from(samples.buffer)]);
}
// Sine notes (MIDI keys) of noteSeconds with a short breath between.
function melodyWave(keys) {
  const samples = new Int16Array(Math.round((2.5 * lead + keys.length * noteSeconds) * rate));
  keys.forEach((key, n) => {
    const start = Math.round((lead + n * noteSeconds) * rate);
    for (let i = 0; i < (noteSeconds - 0.04) * rate; ++i)
      samples[start + i] = 16000 * Math.sin((2 * Math.PI * 440 * 2 ** ((key - 69) / 12) * i) / rate);
  });
  return wave(samples);
}
const tune = [60, 62, 64, 65, 67, 69, 71, 72, 67, 64];
const live = path.join(scratch, 'melody.wav');
fs.writeFileSync(live, melodyWave(tune));
const long = path.join(scratch, 'long melody.wav'); // 30 s
fs.writeFileSync(long, melodyWave(Array.from({ length: 70 }, (_, i) => tune[(i * 3) % tune.length])));

let web, chromium, secure;
const pages = [];
before(async () => {
  web = await serve(site);
  secure = web.origin.replace('127.0.0.1', 'localhost');
  chromium = await launch([
    '--use-fake-device-for-media-stream',
    '--use-fake-ui-for-media-stream',
    `--use-file-for-fake-audio-capture=${live}`,
    '--host-resolver-rules=MAP korvel.test 127.0.0.1',
  ]);
});
after(async () => {
  for (const page of pages) assert.deepEqual(page.errors, [], 'console errors');
  await chromium?.close();
  await web?.stop();
  fs.rmSync(scratch, { recursive: true, force: true });
});

// The page with its editor open, every microphone stream it is given kept
// for a look, and every sample its capture posts (window.heard).
async function open(origin = secure) {
  const page = await openPage(chromium.browser, origin);
  pages.push(page);
  await page.evaluate(() => {
    window.streams = [];
    const asked = navigator.mediaDevices?.getUserMedia.bind(navigator.mediaDevices);
    if (asked) navigator.mediaDevices.getUserMedia = (c) => asked(c).then((s) => (window.streams.push(s), s));
    window.heard = [];
    window.AudioWorkletNode = class extends AudioWorkletNode {
      constructor(...args) {
        super(...args);
        window.heardRate = this.context.sampleRate;
        this.port.addEventListener('message', ({ data }) => data instanceof Float32Array && window.heard.push(...data));
      }
    };
  });
  await page.click('#viewMenu');
  await page.click('#editorToggle');
  return page;
}
// Whether Listen shows, or the microphone is still on.
const listening = (page) =>
  page.evaluate(() => !window.listening.hidden || window.streams.some((stream) => stream.active));
async function told(page) {
  await page.waitForSelector('#message[open]');
  return page.$eval('#message[open] p', (p) => p.textContent);
}
// The steps from row first to the end marker's, and the tempo.
async function stepsFrom(page, first) {
  const digits = await page.$$eval('#steps tbody tr', (rows) => rows.map((row) => row.cells[1].textContent));
  const steps = digits.slice(first, digits.indexOf('EEEE', first) + 1);
  return { steps, tempo: await page.$eval('#tempo', (field) => field.value) };
}
async function importedBy(page, start) {
  const before = await page.evaluate(() => window.korvel.toolsDone);
  await start();
  await page.waitForSelector('#importBox[open]');
  assert.equal(await page.$eval('#importTitle', (h) => h.textContent), 'Import Recording');
  assert.ok(await page.$eval('#importVoice', (v) => v.closest('p').hidden), 'no voice list');
  await page.click('#importGo');
  await page.waitForFunction((n) => window.korvel.toolsDone > n, {}, before);
  await page.keyboard.press('Escape'); // the report
}

// Where the capture broke the melody (a machine too busy may drop or repeat
// some of the microphone's sound): a moment of silence that is not a gap
// between notes, or a jump in the wave away from a gap. Empty when it came
// through whole.
function captureBreaks(samples, hertz) {
  const gapSeconds = 0.04;
  const first = samples.findIndex((v) => Math.abs(v) > 0.2);
  const last = samples.findLastIndex((v) => Math.abs(v) > 0.2);
  const breaks = [];
  const gaps = [];
  for (let i = first, quiet = -1; i <= last; ++i) {
    if (Math.abs(samples[i]) >= 0.02) {
      const seconds = quiet < 0 ? 0 : (i - quiet) / hertz;
      if (Math.abs(seconds - gapSeconds) < 0.01) gaps.push([quiet, i]);
      else if (seconds > 0.001)
        breaks.push(`${Math.round(seconds * 1000)} ms of silence at ${(quiet / hertz).toFixed(2)} s`);
      quiet = -1;
    } else if (quiet < 0) quiet = i;
  }
  if (gaps.length !== tune.length - 1) breaks.push(`${gaps.length + 1} stretches of sound, not ${tune.length}`);
  gaps.push([last, last]); // the last note's end
  const nearGap = (i) => gaps.some(([from, to]) => i > from - hertz / 500 && i < to + hertz / 500);
  for (let i = first + 2; i <= last; ++i) {
    // A sine's second difference stays far under this; a cut or a skip in it does not.
    if (Math.abs(samples[i] - 2 * samples[i - 1] + samples[i - 2]) > 0.05 && !nearGap(i)) {
      breaks.push(`a jump at ${(i / hertz).toFixed(3)} s`);
      i += hertz / 100;
    }
  }
  return breaks;
}

// Listen to one pass of the melody on a page with row 010 chosen; what it
// said, and the samples the microphone gave at the page's rate.
async function listenOnce() {
  const page = await open();
  await page.click('#step4'); // 010
  await page.keyboard.press('F7');
  // Amid the melody: the button pressed, a note beside the line the canvas draws.
  await page.waitForFunction((middle) => window.korvel.listenSeconds() > middle, {}, lead + 1);
  // A note's name shows while it sounds, not in the moment between two notes.
  await page
    .waitForFunction(() => document.getElementById('heard').textContent.includes(' · '), { timeout: 5000 })
    .catch(() => {});
  const shown = await page.$eval('#pitchLine', (c) => [
    document.querySelector('#palette button[aria-pressed="true"]').textContent,
    document.getElementById('heard').textContent.includes(' · '),
    c
      .getContext('2d')
      .getImageData(0, 0, c.width, c.height)
      .data.some((v) => v),
  ]);
  assert.deepEqual(shown, ['Listen', true, true]);
  // One pass of the file, which the fake microphone plays again and again.
  const melodyEnd = lead + tune.length * noteSeconds + 0.7;
  await page.waitForFunction((end) => window.korvel.listenSeconds() > end, { timeout: 20000 }, melodyEnd);
  await page.$eval('#paletteToggle', (b) => b.click());
  await page.click('#palette button[title="Listen (F7)"]');
  assert.ok(!(await listening(page)), 'Listen ended, the microphone let go');
  const said = await page.$eval('#note', (p) => p.textContent);
  const [samples, hertz] = await page.evaluate(() => [window.heard, window.heardRate]);
  return { page, said, samples: Float32Array.from(samples), hertz };
}

test('Listen to the microphone writes at row 010 the steps korvel-cli import makes of the file', async () => {
  let heard;
  for (let retry = 0; ; ++retry) {
    heard = await listenOnce();
    const breaks = captureBreaks(heard.samples, heard.hertz);
    if (breaks.length === 0 || retry === 2) {
      assert.deepEqual(breaks, [], 'the microphone gave the melody whole');
      break;
    }
    console.log(
      `# retry ${retry + 1}: the microphone's sound broke (${breaks.join(', ')}); "${heard.said}"; listening again`,
    );
  }
  const { page, said, samples, hertz } = heard;
  assert.match(said, /^10 notes heard, written from 010\./);
  const { loudAt, voicedAt } = await page.evaluate(() => window.korvel.listenTimes);
  console.log(`# the live line showed a pitch ${Math.round(voicedAt - loudAt)} ms after the sound reached the page`);

  // The samples the microphone gave, at the page's rate, as korvel-cli imports
  // them: the file's own would do only at that rate and where its first
  // sample fell on the same 10 ms frame.
  const recorded = path.join(scratch, 'heard.wav');
  fs.writeFileSync(recorded, wave(samples, hertz));
  const script = path.join(scratch, 'melody.dat');
  execFileSync(cli, ['import', recorded, '-o', script], { stdio: 'pipe' });
  const loaded = await open();
  await (await loaded.$('#file')).uploadFile(script);
  await loaded.waitForFunction(() => window.korvel.filesRead > 0);
  assert.deepEqual(await stepsFrom(page, 4), await stepsFrom(loaded, 4));
});

test('Esc, Cancel and the palette Stop drop what was heard; a refusing browser is told in words', async () => {
  const page = await open();
  await page.$eval('#paletteToggle', (b) => b.click());
  const rows = await stepsFrom(page, 0);
  for (const cancel of [
    () => page.keyboard.press('Escape'),
    () => page.click('#listenCancel'),
    () => page.click('#palette button[title="Stop (Esc)"]'),
  ]) {
    await page.keyboard.press('F7');
    await page.waitForFunction(() => window.korvel.listenSeconds() > 0.3);
    await cancel();
    assert.ok(!(await listening(page)));
    assert.equal(await page.$eval('#note', (p) => p.textContent), 'Listen cancelled: nothing was written.');
  }
  assert.deepEqual(await stepsFrom(page, 0), rows);

  const refusals = [
    ['NotAllowedError', /did not allow this page to use the microphone/],
    ['NotFoundError', /found no microphone/],
    ['NotReadableError', /could not open the microphone \(NotReadableError\)/],
  ];
  for (const [name, words] of refusals) {
    await page.evaluate((error) => {
      navigator.mediaDevices.getUserMedia = () => Promise.reject(new DOMException('refused', error));
    }, name);
    await page.keyboard.press('F7');
    assert.match(await told(page), words);
    assert.ok(!(await listening(page)));
    await page.keyboard.press('Escape');
  }
  const insecure = await open(web.origin.replace('127.0.0.1', 'korvel.test'));
  await insecure.keyboard.press('F7');
  assert.match(await told(insecure), /only when it is served over https/);
});

test("a recording imported or loaded gives korvel-cli's script; a bad one is refused in its words", async () => {
  const page = await open();
  const script = path.join(scratch, 'long.dat');
  execFileSync(cli, ['import', long, '-o', script], { stdio: 'pipe' });
  const expected = fs.readFileSync(script);
  const lastScript = async () => Buffer.from(await page.evaluate(() => Array.from(window.korvel.lastImport.script)));
  await importedBy(page, async () => {
    const chooser = page.waitForFileChooser();
    await page.click('#fileMenu');
    await page.click('#importMidi');
    await (await chooser).accept([long]);
  });
  assert.ok((await lastScript()).equals(expected), 'imported as korvel-cli imports it');
  const { milliseconds, decoding } = await page.evaluate(() => window.korvel.lastImport);
  console.log(`# 30 seconds of recording: decoded in ${decoding | 0} ms, transcribed in ${milliseconds | 0} ms`);
  await importedBy(page, async () => (await page.$('#file')).uploadFile(long));
  assert.ok((await lastScript()).equals(expected));

  // Bad recordings the browser decodes are refused in korvel-cli's words; one it cannot decode says so.
  const noNumber = Float32Array.from({ length: rate }, (_, i) => (i === 100 ? NaN : 0.5));
  const bad = {
    'no number.wav': wave(noNumber),
    'slow.wav': wave(new Int16Array(8000).fill(9000), 4000),
    'noise.wav': Buffer.concat([wave(new Int16Array()).subarray(0, 12), Buffer.alloc(100, 7)]),
  };
  for (const [name, bytes] of Object.entries(bad)) {
    const file = path.join(scratch, name);
    fs.writeFileSync(file, bytes);
    const { stderr } = spawnSync(cli, ['import', file, '-o', script], { encoding: 'utf8' });
    await (await page.$('#file')).uploadFile(file);
    await page.waitForSelector('#message[open], #importBox[open]');
    if (await page.$('#importBox[open]')) await page.click('#importGo');
    const [, why] = (await told(page)).match(/^Can't import .*?: (.*)\.\n/);
    assert.ok(why === stderr.split(`${name}: `)[1].trim() || (name === 'noise.wav' && /decode/.test(why)), why);
    await page.keyboard.press('Escape');
  }
  assert.ok((await lastScript()).equals(expected), 'nothing changed');
});
