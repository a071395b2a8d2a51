// The web edition driven in headless Chromium as a user would: keys by mouse,
// touch and PC keyboard, the LED read back from its words and its pixels, a
// tune's samples taken from the audio worklet against korvel-cli render, and
// the round trips of Save and Load, the clipboard and the share link; the tune
// tools byte for byte against korvel-cli; the menus by keyboard; the page on
// phones and tablets, without sound, and as an accessibility checker sees it.
// Usage: node webTest.mjs SITE_DIR KORVEL_CLI EXAMPLES_DIR
import { after, before, test } from 'node:test';
import assert from 'node:assert/strict';
import { execFileSync } from 'node:child_process';
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import { createRequire } from 'node:module';
import { desktop, downloadsTo, launch, openPage, serve, soundChecks } from './harness.mjs';
import { smallSong, tenMinuteSong } from './songs.mjs';

const [site, cli, examples] = process.argv.slice(2).map((p) => path.resolve(p));
const tuneFile = path.join(examples, 'ode-to-joy.dat');
const scratch = fs.mkdtempSync(path.join(os.tmpdir(), 'korvel-web-test-'));
let web, chromium, insecureOrigin;
const { playedWithoutStalls, retries } = soundChecks(cli, scratch);
const downloadsOf = (page, name) => downloadsTo(page, path.join(scratch, name));
const pages = [];

before(async () => {
  web = await serve(site);
  // A made-up host name for loopback: its page is not a secure context.
  chromium = await launch(['--host-resolver-rules=MAP korvel.test 127.0.0.1']);
  insecureOrigin = web.origin.replace('127.0.0.1', 'korvel.test');
  await chromium.browser
    .defaultBrowserContext()
    .overridePermissions(web.origin, ['clipboard-read', 'clipboard-write', 'clipboard-sanitized-write']);
});

after(async () => {
  console.log(`# retries: ${retries()}`);
  for (const page of pages) assert.deepEqual(page.errors, [], 'console errors');
  await chromium?.close();
  web?.server.close();
  fs.rmSync(scratch, { recursive: true, force: true });
});

async function open(fragment = '', { origin = web.origin, viewport = desktop } = {}) {
  const page = await openPage(chromium.browser, origin, fragment, viewport);
  pages.push(page);
  return page;
}

const reading = (page) => page.$eval('#reading', (p) => p.textContent);
const status = (page) => page.$eval('#status', (p) => p.textContent);
const message = (page) => page.$eval('#message[open] p', (p) => p.textContent);
const keysDown = (page) =>
  page.$$eval('.key.down', (keys) =>
    keys
      .map((k) => k.textContent)
      .sort()
      .join(),
  );
const keyCentre = (page, legend) =>
  page.$$eval(
    '.key',
    (keys, wanted) => {
      const r = keys.find((k) => k.textContent === wanted).getBoundingClientRect();
      return { x: r.x + r.width / 2, y: r.y + r.height / 2 };
    },
    legend,
  );
async function load(page, file) {
  const before = await page.evaluate(() => window.korvel.filesRead);
  await (await page.$('#file')).uploadFile(file);
  await page.waitForFunction((n) => window.korvel.filesRead > n, {}, before);
}
const shareText = (page) => page.evaluate(() => window.korvel.shareText());
// A command chosen with the mouse from its menu.
async function choose(page, menu, command) {
  await page.click(`#${menu}Menu`);
  await page.click(`#${command}`);
}
const noteText = (page) => page.$eval('#note', (p) => p.textContent);

// Each LED cell's pixels on the screen against its cell of the LED strip.
async function ledCellsDiffer(page, stripCells) {
  const rects = await page.$$eval('.cell', (cells) =>
    cells.map((c) => {
      const r = c.getBoundingClientRect();
      return { x: r.x, y: r.y, width: r.width, height: r.height };
    }),
  );
  const shots = [];
  for (const clip of rects) shots.push(await page.screenshot({ clip, encoding: 'base64' }));
  return page.evaluate(
    async (shots, stripCells) => {
      const picture = async (src) => {
        const image = new Image();
        image.src = src;
        await image.decode();
        return image;
      };
      const strip = await picture('art/led.png');
      const canvas = new OffscreenCanvas(19, 24);
      const context = canvas.getContext('2d', { willReadFrequently: true });
      const pixels = (draw) => {
        context.clearRect(0, 0, 19, 24);
        draw();
        return context.getImageData(0, 0, 19, 24).data;
      };
      const differing = [];
      for (let p = 0; p < 4; ++p) {
        const shot = await picture(`data:image/png;base64,${shots[p]}`);
        const seen = pixels(() => context.drawImage(shot, 0, 0));
        const cell = pixels(() => context.drawImage(strip, stripCells[p] * 19, 0, 19, 24, 0, 0, 19, 24));
        let off = 0;
        for (let i = 0; i < seen.length; ++i) if (Math.abs(seen[i] - cell[i]) > 8) ++off;
        if (off > 0) differing.push({ position: p, off });
      }
      return differing;
    },
    shots,
    stripCells,
  );
}

// The kit's digits as LED strip cells: 1..16 for hex 0..F, 0 dark.
const hexCells = (digits) => [...digits].map((d) => parseInt(d, 16) + 1);

test('keys by mouse, touch and PC keyboard drive the kit as on the desktop', async () => {
  const page = await open();
  assert.match(await reading(page), /^[0-2]\d:[0-5]\d$/);
  assert.equal(await status(page), 'Clock');

  for (const legend of ['1', 'A', 'B', 'D']) {
    const { x, y } = await keyCentre(page, legend);
    await page.mouse.click(x, y);
  }
  assert.equal(await reading(page), '1 A B D');
  assert.deepEqual(await ledCellsDiffer(page, hexCells('1ABD')), []);

  // Two fingers at once, each let go where it then is, off its key.
  const two = await keyCentre(page, '2');
  const seven = await keyCentre(page, '7');
  const touch = await page.createCDPSession();
  const touchPoints = [
    { ...two, id: 1 },
    { ...seven, id: 2 },
  ];
  await touch.send('Input.dispatchTouchEvent', { type: 'touchStart', touchPoints });
  const moved = touchPoints.map((p) => ({ ...p, y: p.y - 120 }));
  await touch.send('Input.dispatchTouchEvent', { type: 'touchMove', touchPoints: moved });
  assert.equal(await keysDown(page), '2,7');
  await touch.send('Input.dispatchTouchEvent', { type: 'touchEnd', touchPoints: [] });
  assert.equal(await keysDown(page), '');
  assert.equal(await reading(page), 'B D 2 7');

  // The PC keyboard through the same table: CLEAR, then C and RUN for the
  // organ; Space is RUN even after a command was clicked.
  await choose(page, 'operate', 'reset');
  await page.keyboard.press('Backspace');
  assert.equal(await reading(page), '0 0 0 0');
  await page.keyboard.press('c');
  await page.keyboard.press(' ');
  assert.equal(await status(page), 'Organ');
  assert.equal(await reading(page), 'dark');
  assert.deepEqual(await ledCellsDiffer(page, [0, 0, 0, 0]), []);
  // Held while the key is down; its auto-repeat is no second hold.
  await page.keyboard.down('5');
  await page.keyboard.down('5');
  assert.equal(await keysDown(page), '5');
  await page.keyboard.up('5');
  assert.equal(await keysDown(page), '');

  // STOP lets go of a note still held, which would otherwise sound on.
  await page.keyboard.down('5');
  await page.keyboard.down('Escape');
  assert.equal(await status(page), 'Stop');
  assert.equal(await keysDown(page), 'STOP');
  await page.keyboard.up('Escape');
  await page.keyboard.up('5');
  assert.equal(await keysDown(page), '');
  assert.match(await reading(page), /^[0-2]\d:[0-5]\d$/);
});

test('a tune plays from the worklet exactly as korvel-cli renders it, with no break', async () => {
  const page = await open();
  const count = 22050 * 3;
  await load(page, tuneFile);
  // The first key starts the sound; STOP and its release leave the kit in Clock.
  await page.keyboard.press('Escape');
  const { report, rendered } = await playedWithoutStalls(page, count, {
    play: async () => {
      await page.keyboard.press(' ');
      assert.match(await status(page), /^Playing {2}step [0-9A-F]{3}: [0-9A-F]{4}$/);
    },
    stop: () => page.keyboard.press('Escape'),
    script: tuneFile,
    what: 'the tune played from RUN',
  });
  assert.equal(report.samples.length, count);
  const first = report.samples.findIndex((v, i) => v !== rendered[i]);
  assert.equal(first, -1, `first differing sample: ${first}`);
  assert.equal(report.breaks, 0);
});

test('Save and Load, Copy and Paste Tune and the share link carry the tune; bad input changes nothing', async () => {
  const page = await open();
  const blank = await shareText(page);
  await load(page, tuneFile);
  assert.equal(await noteText(page), 'Tune loaded from ode-to-joy.dat: press RUN to play.');
  const tune = await shareText(page);
  assert.notEqual(tune, blank);

  // Save: the whole tune as script, under the name it was loaded from.
  const downloaded = await downloadsOf(page, 'downloads');
  await choose(page, 'file', 'save');
  const saved = path.join(scratch, 'downloads', 'ode-to-joy.dat');
  assert.match((await downloaded('ode-to-joy.dat')).toString('latin1'), /^KORVEL Ode to Joy\nStarts at 010, tempo 3\./);
  // Reset clears the memory only, and Undo brings it back, as Help says.
  const memory = (share) => share.split('.')[3];
  await choose(page, 'operate', 'reset');
  assert.equal(memory(await shareText(page)), memory(blank));
  await withCtrl(page, 'z');
  assert.equal(await shareText(page), tune);
  await choose(page, 'operate', 'reset');
  await load(page, saved);
  assert.equal(await shareText(page), tune);

  // The clipboard, into a fresh page: the script carries the memory.
  // The clipboard serves only the page in front.
  await choose(page, 'edit', 'copy');
  await page.waitForFunction(() => document.getElementById('note').textContent === 'Tune copied.');
  const pasted = await open();
  await pasted.bringToFront();
  await choose(pasted, 'edit', 'paste');
  await pasted.waitForFunction((blank) => window.korvel.shareText() !== blank, {}, blank);
  assert.equal(memory(await shareText(pasted)), memory(tune));
  assert.equal(await noteText(pasted), 'Tune pasted: press RUN to play.');
  // Pasted text that writes nothing changes nothing, says why and clears the
  // last note; what is no keystroke is counted.
  const paste = async (script) => {
    await pasted.evaluate((text) => navigator.clipboard.writeText(text), script);
    await choose(pasted, 'edit', 'paste');
  };
  await paste('KORVEL\n0010 @ 1405 W ZZZZ');
  await pasted.waitForSelector('#message[open]');
  assert.equal(
    await message(pasted),
    "Nothing pasted. The clipboard's script writes nothing into memory.\nIts keystrokes must follow a line of ---, and it has none.",
  );
  assert.equal(await noteText(pasted), '');
  assert.equal(memory(await shareText(pasted)), memory(tune));
  await pasted.keyboard.press('Escape');
  await paste('KORVEL x\n---\n0010@ 1405W ZZZZ');
  await pasted.waitForFunction(() => document.getElementById('note').textContent.includes('Skipped'));
  assert.equal(
    await noteText(pasted),
    'Tune pasted: press RUN to play. Skipped 4 characters that are not keystrokes, the first on line 3.',
  );

  // Load replaces the whole tune, as the paste of the same step did on a
  // fresh page; one Undo brings the old tune back.
  await page.bringToFront();
  const lone = path.join(scratch, 'lone.dat');
  fs.writeFileSync(lone, 'KORVEL\n---\n0010@ 1405W');
  await load(page, lone);
  assert.equal(await shareText(page), await shareText(pasted));
  await choose(page, 'edit', 'undo');
  assert.equal(await shareText(page), tune);

  // The share link opens the tune.
  await page.bringToFront();
  await choose(page, 'edit', 'share');
  await page.waitForFunction(() => document.getElementById('note').textContent.startsWith('Link copied'));
  const link = await page.evaluate(() => navigator.clipboard.readText());
  assert.ok(link.startsWith(`${web.origin}/#1.`), link);
  const shared = await open(link.slice(web.origin.length + 1));
  assert.equal(await shareText(shared), tune);

  // A damaged link and a file that is no script are refused and change nothing.
  // Cut short, another version, a lower-case tempo, base64 rather than
  // base64url, the last character's spare bits set.
  const [head, memoryText] = link.split(/(?<=#1\.3\.010\.)/);
  const damagedLinks = [
    link.slice(0, -1),
    link.replace('#1.', '#2.'),
    link.replace('#1.3.', '#1.a.'),
    head + memoryText.replace(/[-_]|A/, '+'),
    `${link.slice(0, -1)}B`,
  ];
  for (const damaged of damagedLinks) {
    const refused = await open(damaged.slice(web.origin.length + 1));
    assert.equal(await message(refused), 'This link does not hold a KORVEL tune. Nothing was changed.');
    assert.equal(await shareText(refused), blank);
  }
  const notScript = path.join(scratch, 'notes.dat');
  fs.writeFileSync(notScript, 'KORVAL\n---\n@0000W');
  await load(shared, notScript);
  assert.equal(await message(shared), 'This File is not KORVEL script.\nIt does not begin with KORVEL.');
  assert.equal(await shareText(shared), tune);
  await shared.bringToFront();
  await shared.keyboard.press('Escape');
  const empty = path.join(scratch, 'empty.dat');
  fs.writeFileSync(empty, '');
  await load(shared, empty);
  assert.equal(await message(shared), 'This File is not KORVEL script.\nIt is empty.');
  // A script longer than the loader reads, with no zero byte to end it, is
  // refused as too large before it takes the kit's memory.
  const long = path.join(scratch, 'long.dat');
  fs.writeFileSync(long, Buffer.concat([Buffer.from('KORVEL\n---\n'), Buffer.alloc(20 << 20, 'W')]));
  await shared.keyboard.press('Escape');
  const memoryBefore = await shared.evaluate(() => window.korvel.wasmMemoryBytes());
  await load(shared, long);
  assert.equal(await message(shared), "Can't Open : long.dat\nThe file is larger than 16 MiB, too large for a script.");
  assert.equal(await shareText(shared), tune);
  assert.equal(await shared.evaluate(() => window.korvel.wasmMemoryBytes()), memoryBefore);
  // At exactly the loader's limit a script loads; one byte more is refused.
  const commands = Buffer.from('KORVEL\n---\n0020@1234W');
  const sized = (name, length) => {
    const file = path.join(scratch, name);
    fs.writeFileSync(file, Buffer.concat([commands, Buffer.alloc(length - commands.length, '-')]));
    return file;
  };
  await shared.keyboard.press('Escape');
  await load(shared, sized('over.dat', (16 << 20) + 1));
  assert.match(await message(shared), /^Can't Open : over\.dat\nThe file is larger than 16 MiB/);
  assert.equal(await shareText(shared), tune);
  await shared.keyboard.press('Escape');
  await load(shared, sized('limit.dat', 16 << 20));
  assert.match(await noteText(shared), /^Tune loaded from limit\.dat: press RUN to play\. Skipped \d+ characters/);
  assert.notEqual(await shareText(shared), tune);
});

const kinds = (page) => page.$$eval('#steps tbody tr', (rows) => rows.map((r) => r.cells[2].textContent));
async function withCtrl(page, key) {
  await page.keyboard.down('Control');
  await page.keyboard.press(key);
  await page.keyboard.up('Control');
}
async function typeInto(page, selector, value) {
  await page.click(selector, { clickCount: 3 });
  await page.keyboard.type(value);
  await page.keyboard.press('Tab');
}

test('a tune entered with piano keys in the editor plays as korvel-cli renders it, is saved whole and kept between visits; a link leaves it one undo away', async () => {
  const page = await open();
  await choose(page, 'view', 'editorToggle');
  await typeInto(page, '#startAddress', '000');
  await typeInto(page, '#tempo', '2');
  // The note column's piano keys: E D C G, then the end marker.
  await page.click('#step0c3');
  for (const key of ['c', 'x', 'z', 'b', '/']) await page.keyboard.press(key);
  assert.match(await page.$eval('#keysMode', (p) => p.textContent), /^PC keys edit the tune/);
  assert.deepEqual((await kinds(page)).slice(0, 5), ['note', 'note', 'note', 'note', 'end']);
  assert.deepEqual(
    await page.$$eval('#steps tbody tr', (rows) => rows.slice(0, 4).map((r) => r.cells[4].textContent.slice(0, 2))),
    ['E4', 'D4', 'C4', 'G4'],
  );
  assert.equal(await page.$eval('#checks', (list) => list.children.length), 0);

  const downloaded = await downloadsOf(page, 'editor');
  await choose(page, 'file', 'save');
  const saved = path.join(scratch, 'editor', 'tune.dat');
  assert.match((await downloaded('tune.dat')).toString('latin1'), /^KORVEL .*\nStarts at 000, tempo 2\./);

  // Played from the first row (Enter in the table), as korvel-cli plays the
  // saved tune. Enter comes while the tone the click sounds is still heard:
  // play cuts it.
  const count = 22050 * 2;
  const played = await playedWithoutStalls(page, count, {
    prepare: async () => {
      await page.click('#step0c0');
      await new Promise((resolve) => setTimeout(resolve, 50));
    },
    play: () => page.keyboard.press('Enter'),
    stop: () => page.keyboard.press('Escape'),
    script: saved,
    what: 'play from the row',
  });
  assert.equal(played.report.samples.length, count);
  const parted = played.report.samples.findIndex((v, i) => v !== played.rendered[i]);
  assert.equal(parted, -1, `first differing sample: ${parted}`);
  assert.equal(played.report.breaks, 0);

  // Loaded back whole after Reset; brought back by a reload with the panel open.
  const tune = await shareText(page);
  await choose(page, 'operate', 'reset');
  assert.notEqual(await shareText(page), tune);
  await load(page, saved);
  assert.equal(await shareText(page), tune);
  await page.reload();
  await page.waitForSelector('html[data-ready]');
  assert.equal(await shareText(page), tune);
  assert.equal(await page.$eval('#editor', (panel) => panel.hidden), false);
  assert.equal(await page.$eval('#step0c1', (cell) => cell.textContent), '1407', 'its rows shown');

  // The tempo is hex, as the kit's: E is taken and shown; what is not a hex digit is refused.
  await typeInto(page, '#tempo', 'e');
  assert.equal(await page.$eval('#tempo', (field) => field.value), 'E');
  assert.equal((await shareText(page)).split('.')[1], 'E');
  await typeInto(page, '#tempo', 'g');
  assert.equal(await noteText(page), 'The tempo is one hex digit, 0 (fastest) to F (slowest).');
  assert.equal(await page.$eval('#tempo', (field) => field.value), 'E');
  // A link opened loads its tune; the visitor's is one undo away, and redo brings the link's back.
  const linked = await shareText(page);
  await page.click('h1');
  await withCtrl(page, 'z');
  assert.equal(await shareText(page), tune);
  await page.goto('about:blank');
  await page.goto(`${web.origin}/#${linked}`);
  await page.waitForSelector('html[data-ready]');
  assert.equal(await shareText(page), linked);
  assert.equal(await page.evaluate(() => location.hash), '');
  await withCtrl(page, 'z');
  assert.equal(await shareText(page), tune);
  await withCtrl(page, 'y');
  assert.equal(await shareText(page), linked);
  // In the table, keys with Ctrl follow the layout as the menus' do: Ctrl and
  // the key an AZERTY keyboard labels Z, where QWERTY has W, undoes.
  await page.click('#step0c0');
  await page.$eval('#steps', (grid) =>
    grid.dispatchEvent(
      new KeyboardEvent('keydown', { key: 'z', code: 'KeyW', ctrlKey: true, bubbles: true, cancelable: true }),
    ),
  );
  assert.equal(await shareText(page), tune);

  // Record: the kit's organ keys, pressed on the keypad, become steps from the row.
  await page.click('#step8c0');
  await page.keyboard.press('Escape');
  // The table left, the kit's hex keys are the kit's again.
  await page.click('h1');
  for (const legend of ['C', 'RUN']) {
    const { x, y } = await keyCentre(page, legend);
    await page.mouse.click(x, y);
  }
  assert.equal(await status(page), 'Organ');
  await page.click('#record');
  assert.equal(await page.$eval('#record', (button) => button.getAttribute('aria-pressed')), 'true');
  await page.evaluate(() => scrollTo(0, 0)); // the keypad in sight again
  for (const { x, y } of [await keyCentre(page, '4'), await keyCentre(page, '7')]) {
    await page.mouse.move(x, y);
    await page.mouse.down();
    await new Promise((resolve) => setTimeout(resolve, 400));
    await page.mouse.up();
  }
  await page.click('#record');
  assert.equal(await page.$eval('#record', (button) => button.getAttribute('aria-pressed')), 'false');
  // The two notes, a rest between them where the machine was slow to press the next key.
  const recorded = await page.$$eval('#steps tbody tr', (rows) =>
    rows.slice(8, 11).map((r) => [r.cells[2].textContent, r.cells[4].textContent]),
  );
  const notes = recorded.filter(([kind]) => kind !== 'rest');
  assert.deepEqual(
    notes.slice(0, 2).map(([kind]) => kind),
    ['note', 'note'],
    JSON.stringify(recorded),
  );
  assert.notEqual(notes[0][1], notes[1][1]);
});

// Runs a tune tool and waits until it has finished, whichever way.
async function tool(page, start) {
  const before = await page.evaluate(() => window.korvel.toolsDone);
  await start();
  await page.waitForFunction((n) => window.korvel.toolsDone > n, {}, before);
}

async function chooseFile(page, file) {
  const [chooser] = await Promise.all([page.waitForFileChooser(), choose(page, 'file', 'importMidi')]);
  await chooser.accept([file]);
  await page.waitForSelector('#importBox[open]');
}

// File > Examples, by the mouse.
async function openExample(page, file) {
  await page.click('#fileMenu');
  await page.click('#examples');
  await page.click(`#exampleItems [data-file="${file}"]`);
}

test("an example, a MIDI file imported with chosen options, and both exports give korvel-cli's bytes", async () => {
  const page = await open();
  const downloaded = await downloadsOf(page, 'tools');
  // Both exports of what the page holds against korvel-cli's of script.
  const exportsMatch = async (stem, script) => {
    for (const [command, cliCommand, extension] of [
      ['exportWave', 'render', '.wav'],
      ['exportMidi', 'export', '.mid'],
    ]) {
      await tool(page, () => choose(page, 'file', command));
      const expected = path.join(scratch, `${stem}-cli${extension}`);
      execFileSync(cli, [cliCommand, script, '-o', expected]);
      assert.ok((await downloaded(stem + extension)).equals(fs.readFileSync(expected)), stem + extension);
    }
  };

  await openExample(page, 'ode-to-joy.dat');
  assert.equal(await noteText(page), 'Tune loaded from Ode to Joy: press RUN to play.');
  await exportsMatch('ode-to-joy', tuneFile);
  // Changed (a kit key's WRITE at 000 moves the start), it is no longer the example.
  await page.keyboard.press('Escape');
  await page.keyboard.type('0000@0014W');
  await choose(page, 'file', 'save');
  assert.match(
    (await downloaded('ode-to-joy-changed.dat')).toString('latin1'),
    /^KORVEL Ode to Joy \(changed\)\nStarts at 014,/,
  );

  // The second track, down five semitones, notes out of reach moved by octaves.
  const song = path.join(scratch, 'song.mid');
  fs.writeFileSync(song, smallSong());
  await chooseFile(page, song);
  const voices = await page.$$eval('#importVoice option', (all) => all.map((o) => [o.value, o.textContent]));
  assert.equal(voices[0][1], 'Automatic');
  await page.select('#importVoice', voices.find(([, label]) => label.startsWith('Track 2 ("Flute")'))[0]);
  await page.click('#importBy');
  await page.click('#importSemitones', { clickCount: 3 });
  await page.keyboard.type('-5');
  await page.click('#importFit');
  await tool(page, () => page.click('#importGo'));
  const script = path.join(scratch, 'song.dat');
  execFileSync(cli, ['import', song, '-o', script, '--track', '2', '--transpose', '-5', '--fit'], { stdio: 'pipe' });
  const imported = await page.evaluate(() => Array.from(window.korvel.lastImport.script));
  assert.ok(Buffer.from(imported).equals(fs.readFileSync(script)));
  assert.match(
    await page.$eval('#reportBox[open] #reportWarnings', (w) => w.textContent),
    /^Warning: 1 note was moved by octaves/,
  );
  assert.match(await page.$eval('#reportBox table', (t) => t.textContent), /^voicetrack 2 \("Flute"\)/);
  await page.keyboard.press('Escape');
  await exportsMatch('song', script);

  // A script that writes only 010 replaces the tune, which then never ends:
  // it is exported only when the user says so, then as korvel-cli renders it.
  const lone = path.join(scratch, 'nul.dat');
  fs.writeFileSync(lone, 'KORVEL one step\n---\n0010@ 1405W');
  await load(page, lone);
  const exportAnswering = async (answer) => {
    const before = await page.evaluate(() => window.korvel.toolsDone);
    await choose(page, 'file', 'exportWave');
    await page.waitForSelector('#askBox[open]');
    const question = await page.$eval('#askBox p', (p) => p.textContent);
    await page.click(`#askBox button[value="${answer}"]`);
    await page.waitForFunction((n) => window.korvel.toolsDone > n, {}, before);
    return question;
  };
  assert.equal(
    await exportAnswering('cancel'),
    'This tune reaches no end marker, so it never ends.\nThe WAV file would stop it after 10 minutes: 13.2 MB.\nExport it anyway?',
  );
  await exportAnswering('go');
  const rendered = path.join(scratch, 'nul-cli.wav');
  execFileSync(cli, ['render', lone, '-o', rendered], { stdio: 'pipe' });
  assert.ok((await downloaded('nul.wav')).equals(fs.readFileSync(rendered)), 'nul.wav');
  assert.ok(!fs.readdirSync(path.join(scratch, 'tools')).includes('nul (1).wav'), 'one download only');
});

test('the menus answer the keyboard, keep it from the kit while open, and give the focus back', async () => {
  const page = await open();
  const focused = () => page.evaluate(() => document.activeElement.id || document.activeElement.textContent);
  const keys = async (...names) => {
    for (const name of names) await page.keyboard.press(name);
    return focused();
  };
  assert.equal(await keys('Tab'), 'fileMenu');
  assert.equal(await keys('Enter'), 'load');
  assert.equal(await page.$eval('#fileMenu', (b) => b.getAttribute('aria-expanded')), 'true');
  assert.equal(await keys('ArrowUp'), 'exportMidi');
  assert.equal(await keys('e'), 'examples');
  assert.equal(await keys('ArrowRight', 'ArrowDown'), 'Frere Jacques');
  assert.equal(await keys('Escape'), 'examples');
  assert.equal(await page.$eval('#exampleItems', (m) => m.hidden), true);
  assert.equal(await keys('ArrowRight', 'ArrowLeft'), 'examples');
  assert.equal(await keys('ArrowLeft'), 'keyboard'); // Help, the menu before File
  assert.equal(
    await keys('ArrowRight', 'ArrowDown', 'ArrowDown', 'ArrowRight', 'End'),
    'Twinkle, Twinkle, Little Star',
  );
  assert.equal(await keys('Enter'), 'fileMenu');
  assert.equal(await noteText(page), 'Tune loaded from Twinkle, Twinkle, Little Star: press RUN to play.');
  assert.equal(await page.$$eval('[role="menu"]:not([hidden])', (open) => open.length), 0);

  // Space opens the focused menu rather than RUN; PC keys in an open menu
  // never reach the kit, and Escape closes it rather than STOP.
  assert.equal(await keys(' '), 'load');
  await page.keyboard.down('5');
  assert.equal(await keysDown(page), '');
  await page.keyboard.up('5');
  await page.keyboard.down('Escape');
  assert.equal(await keysDown(page), '');
  await page.keyboard.up('Escape');
  assert.equal(await focused(), 'fileMenu');
  assert.equal(await status(page), 'Clock');
  // A dialog a command opens gives the focus back to its menu. Help's
  // keyboard table has the tune editor's keys after the kit's.
  assert.equal(await keys('ArrowLeft'), 'fileMenu');
  await page.focus('#helpMenu');
  await keys('ArrowDown', 'Enter');
  await page.waitForSelector('#keyboardBox[open]');
  const helpRows = await page.$$eval('#keyboardBox tr', (rows) => rows.map((r) => r.cells[0].textContent));
  assert.deepEqual([helpRows[0], helpRows.at(-1)], ['0-9, A-F', 'Tab']);
  assert.ok(helpRows.includes('Insert, Delete or Backspace'), helpRows.join());
  assert.equal(await keys('Escape'), 'helpMenu');

  // Tab leaves the menus closed.
  await keys('ArrowDown', 'Tab');
  assert.equal(await page.$$eval('[role="menu"]:not([hidden])', (open) => open.length), 0);

  // View > Tune Editor puts the keyboard in the table, which scrolls under its header.
  await page.focus('#viewMenu');
  assert.equal(await keys('ArrowDown', 't', 'Enter'), 'steps');
  await page.$eval('#stepScroll', (box) => {
    box.scrollIntoView();
    box.scrollTop = 137;
  });
  const drawn = await page.$eval('#steps', (grid) => {
    const header = grid.tHead.rows[0].cells[5].getBoundingClientRect();
    const onTop = document.elementFromPoint(header.x + header.width / 2, header.y + header.height / 2).tagName;
    // Each length's bar below its digits' baseline, the bottom of an empty inline block beside them.
    const lengths = [...grid.tBodies[0].rows].filter((row) => row.cells[5].textContent);
    const below =
      lengths.length > 30 &&
      lengths.every((row) => {
        const probe = Object.assign(document.createElement('span'), { style: 'display: inline-block' });
        row.cells[5].firstChild.append(probe);
        const baseline = probe.getBoundingClientRect().bottom;
        probe.remove();
        return row.querySelector('.bar').getBoundingClientRect().top >= baseline + 1;
      });
    return { onTop, below };
  });
  assert.deepEqual(drawn, { onTop: 'TH', below: true });
});

test('a damaged MIDI file, dropped on the page, or a song too long for memory leaves memory as it was', async () => {
  const page = await open();
  await openExample(page, 'frere-jacques.dat');
  const tune = await shareText(page);
  // Dropped, a file that begins as a MIDI file is imported, whatever its name.
  await page.evaluate(
    (bytes) => {
      const files = new DataTransfer();
      files.items.add(new File([new Uint8Array(bytes)], 'bad.dat'));
      document.body.dispatchEvent(new DragEvent('drop', { dataTransfer: files, bubbles: true, cancelable: true }));
    },
    Array.from(smallSong().subarray(0, 20)),
  );
  await page.waitForSelector('#message[open]');
  assert.equal(
    await message(page),
    "Can't import bad.dat: the file ends at byte 20, inside the head of track 1.\nNothing was changed.",
  );
  assert.equal(await shareText(page), tune);
  await page.keyboard.press('Escape');

  const long = path.join(scratch, 'long.mid');
  fs.writeFileSync(long, tenMinuteSong());
  await chooseFile(page, long);
  await tool(page, () => page.click('#importGo'));
  assert.match(
    await message(page),
    /^Can't import long\.mid: the tune is 2273 steps too long .*; "Keep what fits in memory" keeps the opening that fits\.\nNothing was changed\.$/,
  );
  assert.equal(await shareText(page), tune);
});

test('phones, tablets and desktops with touch show every key whole and fingertip-sized, and every menu and command', async () => {
  const touch = { hasTouch: true, isMobile: true, deviceScaleFactor: 2 };
  // The tablet's board as wide as its screen, not at the board's own 556 px.
  for (const [viewport, smallestKey] of [
    [{ width: 375, height: 667, ...touch }, 44],
    [{ width: 667, height: 375, isLandscape: true, ...touch }, 44],
    [{ width: 768, height: 1024, ...touch }, 50],
    [{ width: 1280, height: 800, hasTouch: true }, 44],
  ]) {
    const { width, height } = viewport;
    const page = await open('', { viewport });
    const boxes = (selector) => page.$$eval(selector, (all) => all.map((e) => e.getBoundingClientRect().toJSON()));
    const keys = await boxes('.key');
    const outside = (r) => r.left < 0 || r.top < 0 || r.right > width || r.bottom > height;
    assert.deepEqual([...keys, ...(await boxes('.menu > button'))].filter(outside), [], `${width} x ${height}`);
    // Each menu open, the examples too, with every command on the screen.
    for (const menu of ['file', 'edit', 'operate', 'view', 'help']) {
      await page.tap(`#${menu}Menu`);
      if (menu === 'file') await page.tap('#examples');
      const commands = await boxes('[role="menu"]:not([hidden]) > [role^="menuitem"]');
      assert.ok(commands.length > (menu === 'file' ? 7 : 0), menu);
      assert.deepEqual(commands.filter(outside), [], `${menu} at ${width} x ${height}`);
      await page.tap(`#${menu}Menu`);
    }
    assert.ok(Math.min(...keys.map((r) => Math.min(r.width, r.height))) >= smallestKey, `${width} x ${height}`);
    await page.close();
  }
});

// The status line's changes over the next milliseconds, in ms from the first.
async function stepTimes(page, milliseconds) {
  await page.evaluate(() => {
    window.steps = [];
    const changes = new MutationObserver(() => window.steps.push(performance.now()));
    changes.observe(document.getElementById('status'), { childList: true, characterData: true, subtree: true });
  });
  await new Promise((resolve) => setTimeout(resolve, milliseconds));
  return page.evaluate(() => window.steps.map((t) => t - window.steps[0]));
}

test('without sound, or while the browser suspends it, a tune plays on in time; the page says why, plainly', async () => {
  const page = await open('', { origin: insecureOrigin });
  await load(page, tuneFile);
  // Steps 014, 018 and 01C last 66.7, 533.3 and 533.3 ms (korvel-cli list).
  await page.keyboard.press(' ');
  const times = await stepTimes(page, 1800);
  assert.ok(Math.abs(times[3] - times[0] - 1133.3) < 150, `steps at ${times.map(Math.round)} ms`);
  assert.match(await noteText(page), /^No sound: .*https:\/\/ or from localhost/);
  await page.keyboard.press('Escape');
  // Nor a clipboard there: said in plain words, and the link given to copy by hand.
  await choose(page, 'edit', 'copy');
  assert.match(await message(page), /clipboard only when it is served over https:\/\//);
  await page.keyboard.press('Escape');
  await choose(page, 'edit', 'share');
  const field = await page.$eval('#shareBox[open] input', (i) => [i.value, i.value.slice(i.selectionStart)]);
  assert.deepEqual(field, Array(2).fill(`${insecureOrigin}/#${await shareText(page)}`));

  const suspended = await open();
  await load(suspended, tuneFile);
  await suspended.keyboard.press('Escape');
  await suspended.waitForFunction(() => window.korvel.soundRunning());
  await suspended.keyboard.press(' ');
  await suspended.evaluate(() => window.korvel.suspendSound());
  await suspended.waitForFunction(() => !window.korvel.soundRunning());
  assert.ok((await stepTimes(suspended, 1300)).length >= 2);
  await suspended.keyboard.press('5');
  await suspended.waitForFunction(() => window.korvel.soundRunning());
  await suspended.keyboard.press('Escape');
});

test('an accessibility checker finds nothing amiss; Help holds the walk-through; About fetches its pictures on opening', async () => {
  const page = await open();
  const fetched = await page.evaluate(() =>
    performance
      .getEntriesByType('resource')
      .map((e) => e.name)
      .join(),
  );
  assert.doesNotMatch(fetched, /boy|logo/);
  await page.addScriptTag({ path: createRequire(import.meta.url).resolve('axe-core/axe.min.js') });
  const findings = () =>
    page.evaluate(async () => (await axe.run()).violations.map((v) => `${v.id} ${v.nodes[0].target}`));
  assert.deepEqual(await findings(), []);
  await choose(page, 'view', 'editorToggle');
  await page.click('#step2c3');
  assert.deepEqual(await findings(), []);
  await page.click('#fileMenu');
  await page.click('#examples');
  assert.deepEqual(await findings(), []);
  await page.click('#fileMenu');
  await choose(page, 'help', 'help');
  const walkThrough = fs.readFileSync(new URL('../../resources/help/firstTune.html', import.meta.url), 'utf8');
  assert.equal(await page.$eval('#helpBox[open] h2', (h) => h.textContent), walkThrough.match(/<h2>(.*?)</)[1]);
  // It says what keeps the tune, and that Undo brings it back after Reset, as it does.
  assert.match(
    await page.$eval('#helpBox', (box) => box.textContent.replace(/\s+/g, ' ')),
    /keeps it in the browser for your next visit\. Reset clears the memory, and Edit > Undo brings the tune back\./,
  );
  assert.deepEqual(await findings(), []);
  await page.keyboard.press('Escape');
  await choose(page, 'help', 'about');
  await page.waitForFunction(() => [...document.querySelectorAll('#aboutBox img')].every((i) => i.naturalWidth > 0));
  assert.deepEqual(await findings(), []);
});
