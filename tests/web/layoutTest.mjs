// The web edition's layout on phones and tablets, by touch alone, with the
// tune editor open and a tune in it: nothing scrolls sideways, the menus and
// the kit's keys are fingertip-sized, and the keypad folds away and back with
// one tap each.
// Usage: node layoutTest.mjs SITE_DIR EXAMPLES_DIR
import { after, before, test } from 'node:test';
import assert from 'node:assert/strict';
import path from 'node:path';
import { launch, openPage, serve } from './harness.mjs';

const [site, examples] = process.argv.slice(2).map((p) => path.resolve(p));
const fingertip = 44;
let web, chromium;

before(async () => ([web, chromium] = await Promise.all([serve(site), launch()])));
after(() => Promise.all([chromium?.close(), web?.stop()]));

const touch = { hasTouch: true, isMobile: true, deviceScaleFactor: 2 };
// 'WIDTHxHEIGHT KEYPAD STANDS': the keypad with the editor open, 'folded',
// 'shown', or 'beside' the panel with no fold; where the keys stand when shown.
const screens = [
  ...['360x640', '375x667', '390x844', '430x932'].map((size) => `${size} folded above`),
  ...['667x375 folded beside', '844x390 folded beside', '768x1024 shown above', '1024x768 beside beside'],
];

const boxes = (page, selector) => page.$$eval(selector, (all) => all.map((e) => e.getBoundingClientRect().toJSON()));
const textOf = (page, selector) => page.$eval(selector, (e) => e.textContent);
const smallest = (rects) => Math.min(...rects.map((r) => Math.min(r.width, r.height)));
// What scrolls sideways: the page or the table, as [scrollWidth, clientWidth] of each.
const sideways = (page) =>
  page.evaluate(() =>
    [document.scrollingElement, document.getElementById('stepScroll')]
      .map((e) => [e.scrollWidth, e.clientWidth])
      .filter(([scroll, client]) => scroll > client),
  );

for (const screen of screens) {
  const [size, keypad, keysStand] = screen.split(' ');
  const [width, height] = size.split('x').map(Number);
  test(`${size}: the editor fits, its keypad folds with a tap, menus and keys take a fingertip`, async () => {
    const page = await openPage(chromium.browser, web.origin, '', { width, height, ...touch });
    const before = await page.evaluate(() => window.korvel.filesRead);
    await (await page.$('#file')).uploadFile(path.join(examples, 'ode-to-joy.dat'));
    await page.waitForFunction((n) => window.korvel.filesRead > n, {}, before);
    await page.tap('#viewMenu');
    await page.tap('#editorToggle');
    await page.tap('#step6c3');

    // The keypad's state as the button says it and as shown, and the focus,
    // which the fold leaves in the table for the kit's keys to type into.
    const state = () =>
      page.evaluate(() => {
        const [fold, fit] = ['fold', 'fit'].map((id) => document.getElementById(id));
        const said = fold.hidden ? 'beside' : { true: 'shown', false: 'folded' }[fold.ariaExpanded];
        return [said, fit.hidden ? 'folded' : 'shown', document.activeElement.id];
      });
    const other = { folded: 'shown', shown: 'folded', beside: 'beside' }[keypad];
    for (const now of [keypad, other, keypad]) {
      assert.deepEqual(await state(), [now, now === 'folded' ? now : 'shown', 'steps']);
      assert.deepEqual(await sideways(page), [], now);
      // Every control above the table within the panel.
      const panel = (await boxes(page, '#editor'))[0];
      const outside = (await boxes(page, '.editorBar > *')).filter((r) => r.right > panel.right);
      assert.deepEqual(outside, []);
      // Upright and folded, the whole palette and eight rows of the table on the screen at once.
      if (now === 'folded' && height > width) {
        const room = await page.evaluate(() => {
          const [scroller, palette] = ['stepScroll', 'palette'].map((id) => document.getElementById(id));
          const row = document.getElementById('step6').offsetHeight;
          const rows = (scroller.clientHeight - scroller.querySelector('thead').offsetHeight) / row;
          const { top, bottom } = palette.getBoundingClientRect();
          return { rows: Math.min(8, Math.floor(rows)), palette: top >= 0 && bottom <= innerHeight };
        });
        assert.deepEqual(room, { rows: 8, palette: true });
      }
      if (now !== 'folded') {
        const keys = await boxes(page, '.key');
        assert.ok(smallest(keys) >= fingertip);
        const [edge, side] = keysStand === 'beside' ? ['right', 'left'] : ['bottom', 'top'];
        assert.ok(Math.max(...keys.map((r) => r[edge])) <= panel[side], `keys ${keysStand} the panel`);
      }
      if (now !== 'beside') await page.tap('#fold');
    }

    // A row scrolled half out of the table's top: a tap, brought into view first, lands on it, not on the heading.
    await page.$eval('#stepScroll', (scroller) => {
      const row = document.getElementById('step12');
      scroller.scrollTop = row.offsetTop + row.offsetHeight / 2;
    });
    await page.tap('#step12c0');
    assert.equal(await page.$eval('#steps td.cursor', (cell) => cell.parentElement.id), 'step12');
    await page.tap('#step6c3');

    // The hint rewords as a recording starts and ends: the table and the palette stay where they were.
    const places = () =>
      Promise.all([
        textOf(page, '#keysMode'),
        page.$$eval('#stepScroll, #palette', (all) => all.map((e) => [e.offsetTop, e.offsetHeight])),
      ]);
    const [hint, still] = await places();
    for (let i = 0; i < 2; ++i) {
      await page.tap('#palette button[aria-pressed]');
      const [now, moved] = await places();
      assert.deepEqual([now !== hint, moved], [i === 0, still]);
    }

    // The columns the narrow table does not show are still read out.
    const row = JSON.stringify(
      await page.accessibility.snapshot({ root: await page.$('#step6'), interestingOnly: false }),
    );
    for (const text of ['note', 'mi div 1', 'E4 +23¢', '533 ms']) assert.ok(row.includes(text), text);

    for (const menu of ['file', 'edit', 'operate', 'view', 'help']) {
      await page.tap(`#${menu}Menu`);
      const items = await boxes(page, '[role="menu"]:not([hidden]) > [role^="menuitem"]');
      assert.ok(smallest([...items, ...(await boxes(page, `#${menu}Menu`))]) >= fingertip, menu);
      await page.tap(`#${menu}Menu`);
    }
    await page.close();
  });
}
