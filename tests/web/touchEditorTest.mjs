// The tune editor by touch alone, on a phone and on a tablet.
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
let web, chromium;
before(async () => ([web, chromium] = await Promise.all([serve(site), launch()])));
after(async () => {
  console.log(`# retries: ${retries()}`);
  await chromium?.close();
  web?.server.close();
  fs.rmSync(scratch, { recursive: true, force: true });
});

// Taps, by touch alone: an element, palette buttons by their accessible names, kit keys by their legends.
const tap = async (page, selector) => (await page.waitForSelector(selector, { visible: true })).tap();
const named = (page, selector, name) =>
  page.evaluateHandle(
    (all, wanted) =>
      [...document.querySelectorAll(all)].find((e) => (e.getAttribute('aria-label') ?? e.textContent) === wanted),
    selector,
    name,
  );
const tapAll =
  (selector) =>
  async (page, ...names) => {
    for (const name of names) await (await named(page, selector, name)).tap();
  };
const [tapPalette, tapKitKeys] = [tapAll('#palette button'), tapAll('.key')];
const rowAt = (address) => `#step${address / 4}c0`;
const digits = (page, address) => page.$eval(`#step${address / 4}c1`, (cell) => cell.textContent);
const textOf = (page, selector) => page.$eval(selector, (e) => e.value ?? e.textContent);

for (const [width, height] of [
  [375, 667],
  [768, 1024],
]) {
  test(`at ${width} x ${height}: a tune by taps alone, re-aimed, played, undone; a recording from the palette`, async () => {
    const page = await openPage(chromium.browser, web.origin, '', { width, height, hasTouch: true, isMobile: true });
    await tap(page, '#viewMenu');
    await tap(page, '#editorToggle');
    // A phone folds the keypad away for the editor: one tap brings it back.
    if (await page.$eval('#fold', (b) => !b.hidden && b.getAttribute('aria-expanded') === 'false'))
      await tap(page, '#fold');
    const small = await page.$$eval('.key, #palette button', (all) =>
      all
        .map((e) => [e.textContent, ((r) => Math.min(r.width, r.height))(e.getBoundingClientRect())])
        .filter(([, side]) => side > 0 && side < 44),
    );
    assert.deepEqual(small, []);

    // The start address 010 on the kit's keypad (ADR at 0000, WRITE), the table left.
    await tap(page, 'h1');
    assert.match(await textOf(page, '#keysMode'), /^Tap the table/);
    await tapKitKeys(page, '0', '0', '0', '0', 'ADR', '0', '0', '1', '0', 'WRITE');
    assert.equal(await textOf(page, '#startAddress'), '010');

    // Four notes and the end marker from row 010, the second made longer.
    await tap(page, rowAt(0x010));
    await tapPalette(page, 'C', 'D', 'E', 'F', 'End marker');
    const written = await Promise.all([0x010, 0x014, 0x018, 0x01c, 0x020].map((a) => digits(page, a)));
    assert.equal(new Set(written).size, 5, written.join());
    await tap(page, rowAt(0x014));
    await tapPalette(page, 'Longer');
    assert.equal(parseInt(await digits(page, 0x014), 16), parseInt(written[1], 16) + 1);

    // A jump at 018 over the E to the F, its target typed on the kit's keys, which the kit never
    // sees; a step opened before the F re-aims it, and closing the step aims it back.
    await tap(page, rowAt(0x018));
    await tapPalette(page, 'Insert', 'Jump');
    assert.match(await textOf(page, '#keysMode'), /^Tap a row/);
    const led = await textOf(page, '#reading');
    await tapKitKeys(page, '0', '2', '0');
    assert.deepEqual(
      [await page.evaluate(() => document.activeElement.id), await textOf(page, '#reading')],
      ['steps', led],
    );
    const jump = await digits(page, 0x018);
    const reaimed = jump.replace(/020$/, '024');
    assert.notEqual(reaimed, jump);
    await tap(page, rowAt(0x01c));
    await tapPalette(page, 'Insert');
    assert.deepEqual([await digits(page, 0x018), await digits(page, 0x024)], [reaimed, written[3]]);
    await tapPalette(page, 'Delete');
    assert.equal(await digits(page, 0x018), jump);

    // Saved, then played from row 010 as korvel-cli plays the saved tune.
    const downloaded = await downloadsTo(page, path.join(scratch, `${width}`));
    await tap(page, '#fileMenu');
    await tap(page, '#save');
    await downloaded('tune.dat');
    const count = 22050 * 2;
    const played = await playedWithoutStalls(page, count, {
      prepare: () => tap(page, rowAt(0x010)),
      play: () => tapPalette(page, 'Play from row'),
      stop: () => tapPalette(page, 'Stop'),
      script: path.join(scratch, `${width}`, 'tune.dat'),
      what: `play from the row at ${width} x ${height}`,
    });
    const parted = played.report.samples.findIndex((v, i) => v !== played.rendered[i]);
    assert.deepEqual([played.report.samples.length, parted], [count, -1]);
    await tapPalette(page, 'Undo');
    assert.equal(await digits(page, 0x018), reaimed);

    // Neither the page nor the table scrolls sideways.
    const wide = await page.$$eval('html, #stepScroll', (all) =>
      all.filter((e) => e.scrollWidth > e.clientWidth).map((e) => `${e.id || 'page'} ${e.scrollWidth}`),
    );
    assert.deepEqual(wide, []);

    // In entry mode, two notes held on the palette's piano while recording become steps from row 030.
    await tap(page, rowAt(0x030));
    await tapKitKeys(page, 'ADR');
    assert.equal(await textOf(page, '#status'), 'Entry');
    await tapPalette(page, 'Record');
    for (const name of ['G', 'A']) {
      const box = await (await named(page, '#palette button', name)).boundingBox();
      await page.touchscreen.touchStart(box.x + box.width / 2, box.y + box.height / 2);
      await new Promise((resolve) => setTimeout(resolve, 300));
      await page.touchscreen.touchEnd();
    }
    await tapPalette(page, 'Record');
    const recorded = await Promise.all([0x030, 0x034, 0x038, 0x03c].map((a) => digits(page, a)));
    assert.ok(recorded.filter((group) => group !== '0000').length >= 2, recorded.join());
    assert.deepEqual(page.errors, [], 'console errors');
    await page.close();
  });
}
