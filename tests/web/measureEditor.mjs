// Measures the tune editor's panel in headless Chromium and photographs it:
// an edit to its repaint (the key's handling, style and layout, then the
// next frame), and the main thread's busy time while a tune plays for ten
// seconds with the panel following it against the board alone. Prints the
// numbers; asserts nothing. Photographs the panel at phone, tablet and
// desktop sizes into SHOTS_DIR, the desktop one also as PICTURE.
// Usage: node measureEditor.mjs SITE_DIR PICTURE.png SHOTS_DIR
import fs from 'node:fs';
import path from 'node:path';
import { launch, openPage, serve } from './harness.mjs';

const [site, picture, shots] = process.argv.slice(2).map((p) => path.resolve(p));
const web = await serve(site);
const chromium = await launch();
const ms = (value) => `${value.toFixed(2)} ms`;
const sorted = (values) => [...values].sort((a, b) => a - b);

async function openExample(page, file) {
  await page.click('#fileMenu');
  await page.click('#examples');
  await page.click(`#exampleItems [data-file="${file}"]`);
}
async function showEditor(page) {
  await page.click('#viewMenu');
  await page.click('#editorToggle');
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
    `edit to repaint: handled and laid out median ${ms(handled[30])}, max ${ms(handled.at(-1))}; ` +
      `to the next frame median ${ms(painted[30])}, max ${ms(painted.at(-1))}`,
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
  const seconds = 10;
  const busy = {};
  for (const [label, open] of [['board alone', false], ['panel following', true], ['board alone again', false]]) {
    const isOpen = await page.$eval('#editor', (panel) => !panel.hidden);
    if (isOpen !== open) await showEditor(page);
    await page.click('h1');
    await page.keyboard.press(' ');
    await new Promise((resolve) => setTimeout(resolve, 500));
    const before = await taskSeconds();
    await new Promise((resolve) => setTimeout(resolve, seconds * 1000));
    busy[label] = ((await taskSeconds()) - before) / seconds;
    await page.keyboard.press('Escape');
    console.log(`${label}: main thread busy ${(busy[label] * 100).toFixed(2)} % of a core while the tune plays`);
  }
  const alone = (busy['board alone'] + busy['board alone again']) / 2;
  console.log(`the panel following the tune costs ${((busy['panel following'] - alone) * 100).toFixed(2)} % of a core`);

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
    await shot.click('#step12c3');
    await shot.click('#playFromRow');
    await new Promise((resolve) => setTimeout(resolve, 1500));
    await shot.screenshot({ path: path.join(shots, `editor-${name}.png`), fullPage: name !== 'desktop' });
    if (name === 'desktop') await shot.screenshot({ path: picture });
    await shot.close();
  }
  console.log(`pictures: ${path.relative(process.cwd(), shots)}, ${path.relative(process.cwd(), picture)}`);
} finally {
  await chromium.close();
  web.server.close();
}
