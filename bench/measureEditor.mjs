// Measures the tune editor's panel in headless Chromium and photographs it:
// an edit to its repaint (the key's handling, style and layout, then the
// next frame), and the main thread's busy time while a tune plays for ten
// seconds with the panel following it against the board alone. Prints the
// numbers; asserts nothing. Photographs the panel at phone, tablet and
// desktop sizes, the whole page into SHOTS_DIR and the screen as PICTURE.png
// (the desktop), PICTURE-phone.png and PICTURE-tablet.png (in a palette, with
// ImageMagick's convert).
// Usage: node measureEditor.mjs SITE_DIR PICTURE.png SHOTS_DIR
import { execFileSync } from 'node:child_process';
import fs from 'node:fs';
import path from 'node:path';
import { launch, openPage, serve } from '../tests/web/harness.mjs';

const [site, picture, shots] = process.argv.slice(2).map((p) => path.resolve(p));
const web = await serve(site);
const chromium = await launch();
const ms = (value) => `${value.toFixed(2)} ms`;
const sorted = (values) => [...values].sort((a, b) => a - b);

// A tap on a touch screen, else a click: the page words its hint for the one it saw.
const press = (page, selector) => (page.viewport()?.hasTouch ? page.tap(selector) : page.click(selector));
async function openExample(page, file) {
  await press(page, '#fileMenu');
  await press(page, '#examples');
  await press(page, `#exampleItems [data-file="${file}"]`);
}
async function showEditor(page) {
  await press(page, '#viewMenu');
  await press(page, '#editorToggle');
}

try {
  fs.mkdirSync(shots, { recursive: true });
  const page = await openPage(chromium.browser, web.origin, '', { width: 1280, height: 800 });
  await openExample(page, 'ode-to-joy.dat');
  await showEditor(page);
  await page.click('#step4c3');

  // Edits: a piano key on each of 60 rows, from its keydown to the end of
  // the layout it caused, and to the next frame.
  const edits = await page.evaluate(async () => {
    const grid = document.getElementById('steps');
    const frame = () => new Promise((resolve) => requestAnimationFrame(() => resolve(performance.now())));
    const handled = [];
    const painted = [];
    for (let i = 0; i < 60; ++i) {
      await frame();
      const start = performance.now();
      grid.dispatchEvent(new KeyboardEvent('keydown', { key: 'x', code: 'KeyX', bubbles: true, cancelable: true }));
      document.body.getBoundingClientRect();
      handled.push(performance.now() - start);
      painted.push((await frame()) - start);
    }
    return { handled, painted };
  });
  const handled = sorted(edits.handled);
  const painted = sorted(edits.painted);
  console.log(
    `edit to repaint: handled and laid out median ${ms(handled[30])}, 95th percentile ${ms(handled[56])}, ` +
      `max ${ms(handled.at(-1))}; to the next frame median ${ms(painted[30])}, 95th percentile ` +
      `${ms(painted[56])}, max ${ms(painted.at(-1))}`,
  );

  // Following a playing tune: main-thread task time over 10 s, panel open and closed.
  const cdp = await page.createCDPSession();
  await cdp.send('Performance.enable');
  const taskSeconds = async () =>
    (await cdp.send('Performance.getMetrics')).metrics.find((m) => m.name === 'TaskDuration').value;
  await openExample(page, 'ode-to-joy.dat');
  await page.click('h1');
  await page.keyboard.press('Escape');
  await page.waitForFunction(() => window.korvel.soundRunning());
  // Three rounds of each, alternating, as other work on the machine comes and goes.
  const seconds = 10;
  const busy = { alone: [], following: [] };
  for (const open of [false, true, false, true, false, true]) {
    const isOpen = await page.$eval('#editor', (panel) => !panel.hidden);
    if (isOpen !== open) await showEditor(page);
    await page.click('h1');
    await page.keyboard.press(' ');
    await new Promise((resolve) => setTimeout(resolve, 500));
    const before = await taskSeconds();
    await new Promise((resolve) => setTimeout(resolve, seconds * 1000));
    busy[open ? 'following' : 'alone'].push((((await taskSeconds()) - before) / seconds) * 100);
    await page.keyboard.press('Escape');
  }
  const mean = (values) => values.reduce((a, b) => a + b) / values.length;
  const percent = (values) => values.map((v) => `${v.toFixed(2)} %`).join(', ');
  console.log(`main thread busy while the tune plays, board alone: ${percent(busy.alone)} of a core`);
  console.log(`main thread busy while the tune plays, panel following: ${percent(busy.following)} of a core`);
  console.log(`the panel following the tune costs ${(mean(busy.following) - mean(busy.alone)).toFixed(2)} % of a core`);

  // Pictures: the panel as a user meets it at each size, a tune playing.
  const sizes = {
    phone: { width: 375, height: 667, hasTouch: true, isMobile: true, deviceScaleFactor: 2 },
    tablet: { width: 768, height: 1024, hasTouch: true, isMobile: true, deviceScaleFactor: 2 },
    desktop: { width: 1280, height: 800 },
  };
  for (const [name, viewport] of Object.entries(sizes)) {
    const shot = await openPage(chromium.browser, web.origin, '', viewport);
    await openExample(shot, 'ode-to-joy.dat');
    await showEditor(shot);
    // With the note palette, shown on a touch screen and toggled on elsewhere, whose Play stands for the bar's.
    if (await shot.$eval('#paletteToggle', (toggle) => !toggle.hidden)) await press(shot, '#paletteToggle');
    await press(shot, '#step12c3');
    await press(shot, '#palette button[aria-label="Play from row"]');
    await new Promise((resolve) => setTimeout(resolve, 800));
    await shot.screenshot({ path: path.join(shots, `editor-${name}.png`), fullPage: name !== 'desktop' });
    // Small files for the README: the page's few colours in a palette, at
    // most about a million pixels.
    const screen = name === 'desktop' ? picture : picture.replace(/\.png$/, `-${name}.png`);
    await shot.screenshot({ path: screen });
    const small = ['-resize', '1100000@>', '-strip', '-colors', '256', '-define', 'png:compression-level=9'];
    execFileSync('convert', [screen, ...small, screen]);
    await shot.close();
  }
  console.log(
    `pictures: ${path.relative(process.cwd(), shots)}, ${path.relative(process.cwd(), picture)} and beside it`,
  );
} finally {
  await chromium.close();
  web.server.close();
}
