// The tune editor by touch alone, on a phone and on a tablet: a tune written
// from the note palette and the kit's keys, a jump re-aimed by Insert and
// Delete, played from its row as korvel-cli renders the saved tune, undone;
// the page never scrolls sideways and every target is a fingertip wide. Then
// a recording from the palette's piano in entry mode.
// Usage: node touchEditorTest.mjs SITE_DIR KORVEL_CLI
import { after, before, test } from 'node:test';
import assert from 'node:assert/strict';
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import { downloadsTo, launch, openPage, serve, soundChecks } from './harness.mjs';

const [site, cli] = process.argv.slice(2).map((p) => path.resolve(p));
const scratch = fs.mkdtempSync(path.join(os.tmpdir(), 'korvel-touch-test-'));
const { playedWithoutStalls, retries } = soundChecks(cli, scratch);
const fingertip = 44;
let web, chromium;

before(async () => {
  web = await serve(site);
  chromium = await launch();
});

after(async () => {
  console.log(`# retries: ${retries()}`);
  await chromium?.close();
  web?.server.close();
  fs.rmSync(scratch, { recursive: true, force: true });
});

// Taps, by touch alone: an element, a palette button by its accessible name, a kit key by its legend.
const tap = async (page, selector) => (await page.waitForSelector(selector, { visible: true })).tap();
const paletteButton = (page, name) =>
  page.evaluateHandle(
    (wanted) =>
      [...document.querySelectorAll('#palette button')].find(
        (button) => (button.getAttribute('aria-label') ?? button.textContent) === wanted,
      ),
    name,
  );
const tapPalette = async (page, ...names) => {
  for (const name of names) await (await paletteButton(page, name)).tap();
};
const tapKitKeys = async (page, ...legends) => {
  for (const legend of legends)
    await (
      await page.evaluateHandle(
        (wanted) => [...document.querySelectorAll('.key')].find((key) => key.textContent === wanted),
        legend,
      )
    ).tap();
};
// A row by its address: tapped, and its step's four digits.
const rowOf = (address) => `#step${address / 4}c0`;
const digits = (page, address) => page.$eval(`#step${address / 4}c1`, (cell) => cell.textContent);
const tableHasFocus = (page) => page.evaluate(() => document.activeElement?.id === 'steps');

// Elements of selector narrower or lower than a fingertip, as "text width x height".
const smallTargets = (page, selector) =>
  page.$$eval(
    selector,
    (all, least) =>
      all
        .map((element) => [element.textContent, element.getBoundingClientRect()])
        .filter(([, box]) => box.width > 0 && (box.width < least || box.height < least))
        .map(([text, box]) => `${text} ${Math.round(box.width)} x ${Math.round(box.height)}`),
    fingertip,
  );

for (const [width, height] of [
  [375, 667],
  [768, 1024],
]) {
  test(`at ${width} x ${height}, a tune written, re-aimed, played and undone by taps alone; a recording from the palette`, async () => {
    const viewport = { width, height, hasTouch: true, isMobile: true, deviceScaleFactor: 1 };
    const page = await openPage(chromium.browser, web.origin, '', viewport);
    await tap(page, '#viewMenu');
    await tap(page, '#editorToggle');
    assert.deepEqual(await smallTargets(page, '.key, #palette button'), []);

    // The start address, 010, set on the kit's keypad (ADR at 0000, WRITE) with the table left.
    await tap(page, 'h1');
    assert.match(await page.$eval('#keysMode', (line) => line.textContent), /^Tap the table/);
    await tapKitKeys(page, '0', '0', '0', '0', 'ADR', '0', '0', '1', '0', 'WRITE');
    assert.equal(await page.$eval('#startAddress', (field) => field.value), '010');

    // Four notes and the end marker from row 010; the second made longer.
    await tap(page, rowOf(0x010));
    await tapPalette(page, 'C', 'D', 'E', 'F', 'End marker');
    const written = [];
    for (const address of [0x010, 0x014, 0x018, 0x01c, 0x020]) written.push(await digits(page, address));
    assert.equal(new Set(written).size, 5, written.join());
    await tap(page, rowOf(0x014));
    await tapPalette(page, 'Longer');
    const longer = await digits(page, 0x014);
    assert.equal(parseInt(longer, 16), parseInt(written[1], 16) + 1);

    // A jump at 018 over the E that follows it; a step opened before the F it aims at re-aims it, and
    // closing the step aims it back.
    await tap(page, rowOf(0x018));
    await tapPalette(page, 'Insert', 'Jump');
    // Its target typed by the kit's keys, which the kit never sees.
    assert.match(await page.$eval('#keysMode', (line) => line.textContent), /^Tap a row/);
    const led = await page.$eval('#reading', (reading) => reading.textContent);
    await tapKitKeys(page, '0', '2', '0');
    assert.ok(await tableHasFocus(page), 'the table keeps the focus while the kit keys are tapped');
    assert.equal(await page.$eval('#reading', (reading) => reading.textContent), led);
    const jump = await digits(page, 0x018);
    assert.match(jump, /020$/);
    const reaimed = jump.replace(/020$/, '024');
    await tap(page, rowOf(0x01c));
    await tapPalette(page, 'Insert');
    assert.equal(await digits(page, 0x018), reaimed);
    assert.equal(await digits(page, 0x024), written[3]);
    await tapPalette(page, 'Delete');
    assert.equal(await digits(page, 0x018), jump);

    // Saved, then played from row 010 as korvel-cli plays the saved tune.
    const downloaded = await downloadsTo(page, path.join(scratch, `${width}`));
    await tap(page, '#fileMenu');
    await tap(page, '#save');
    const saved = path.join(scratch, `${width}`, 'tune.dat');
    await downloaded('tune.dat');
    const count = 22050 * 2;
    const played = await playedWithoutStalls(page, count, {
      prepare: async () => {
        await tap(page, rowOf(0x010));
        await new Promise((resolve) => setTimeout(resolve, 50));
      },
      play: () => tapPalette(page, 'Play from row'),
      stop: () => tapPalette(page, 'Stop'),
      script: saved,
      what: `play from the row at ${width} x ${height}`,
    });
    assert.equal(played.report.samples.length, count);
    const parted = played.report.samples.findIndex((v, i) => v !== played.rendered[i]);
    assert.equal(parted, -1, `first differing sample: ${parted}`);

    // Undo brings the closed step back, the jump aimed past it.
    await tapPalette(page, 'Undo');
    assert.equal(await digits(page, 0x018), reaimed);

    // Neither the page nor the table scrolls sideways.
    const overflow = await page.evaluate(() =>
      [document.documentElement, document.getElementById('stepScroll')]
        .filter((element) => element.scrollWidth > element.clientWidth)
        .map((element) => `${element.id || element.tagName} ${element.scrollWidth} > ${element.clientWidth}`),
    );
    assert.deepEqual(overflow, []);

    // In entry mode, Record and two notes held on the palette's piano write steps from row 030.
    await tap(page, rowOf(0x030));
    await tapKitKeys(page, 'ADR');
    assert.equal(await page.$eval('#status', (line) => line.textContent), 'Entry');
    await tapPalette(page, 'Record');
    for (const name of ['G', 'A']) {
      const box = await (await paletteButton(page, name)).boundingBox();
      await page.touchscreen.touchStart(box.x + box.width / 2, box.y + box.height / 2);
      await new Promise((resolve) => setTimeout(resolve, 300));
      await page.touchscreen.touchEnd();
    }
    await tapPalette(page, 'Record');
    const recorded = [];
    for (let address = 0x030; address < 0x040; address += 4) recorded.push(await digits(page, address));
    assert.ok(recorded.filter((group) => group !== '0000').length >= 2, recorded.join());
    assert.deepEqual(page.errors, [], 'console errors');
    await page.close();
  });
}
