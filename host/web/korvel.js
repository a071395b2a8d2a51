// The web edition's page: the board, its keys and LED, the menus and their
// commands, the share link and the sound, over the kit compiled to
// WebAssembly (webKit.cpp); the tune tools are in tuneTools.js, the tune
// editor's panel in editorPanel.js.
//
// The kit, its sound queue included, runs on this main thread. The audio
// worklet (soundWorklet.js) asks for samples when its store runs low; the
// answer is pulled from the queue here and posted to it. A melody note's end
// is answered inside that pull, so the next note follows with no break, and a
// cut (a key let go, STOP) drops what the worklet holds at once.
import createKitModule from './korvelKit.js';
import { kitMemory } from './kitMemory.js';
import { setUpEditorPanel } from './editorPanel.js';
import { setUpMenus } from './menus.js';
import { setUpOffline } from './offline.js';
import { setUpTuneTools } from './tuneTools.js';

const kit = await createKitModule();
const sampleRate = 22050;
// The most the queue gives at once (webKit.cpp); the worklet asks again for the rest.
const largestPull = 4096;
const keyCount = 22;
const ledCellWidth = 19;
const memory = kitMemory(kit);
const { encoder, text, putInput, withString } = memory;
const $ = (id) => document.getElementById(id);

// ---- The board ----

const layout = new Int32Array(kit.HEAP32.buffer, kit._korvel_layout(), 1 + 4 + 2 + 4 * keyCount).slice();
const keypadLeft = layout[5];
const keypadTop = layout[6];
const cells = [];
for (let p = 0; p < 4; ++p) {
  const cell = document.createElement('span');
  cell.className = 'cell';
  cell.style.left = `${layout[1 + p]}px`;
  cell.style.top = `${layout[0]}px`;
  $('led').append(cell);
  cells.push(cell);
}

const buttons = [];
for (let k = 0; k < keyCount; ++k) {
  const [x, y, width, height] = layout.subarray(7 + 4 * k, 11 + 4 * k);
  const button = document.createElement('button');
  button.className = 'key';
  button.type = 'button';
  button.textContent = text(kit._korvel_keyLegend(k));
  button.title = `${button.textContent} (PC key ${text(kit._korvel_pcKeyName(k))})`;
  Object.assign(button.style, {
    left: `${x - keypadLeft}px`,
    top: `${y - keypadTop}px`,
    width: `${width}px`,
    height: `${height}px`,
    backgroundPosition: `${keypadLeft - x}px ${keypadTop - y}px`,
  });
  buttons.push(button);
}
// Tab goes through the keys as they are read: row by row, left to right.
const byPlace = (a, b) =>
  parseInt(a.style.top) - parseInt(b.style.top) || parseInt(a.style.left) - parseInt(b.style.left);
$('keys').append(...[...buttons].sort(byPlace));

let shown = { cells: '', reading: '', status: '' };
function refresh() {
  const now = { cells: '', reading: text(kit._korvel_ledReading()), status: text(kit._korvel_status()) };
  const numbers = [0, 1, 2, 3].map((p) => kit._korvel_ledCell(p));
  now.cells = numbers.join();
  if (now.cells !== shown.cells)
    numbers.forEach((n, p) => (cells[p].style.backgroundPosition = `${-n * ledCellWidth}px 0`));
  if (now.reading !== shown.reading) {
    $('reading').textContent = now.reading;
    $('led').setAttribute('aria-label', `LED ${now.reading}`);
  }
  if (now.status !== shown.status) $('status').textContent = now.status;
  shown = now;
}

// Every call into the kit goes through here: the sound may have to follow
// and the board shows the state after it.
function act(call) {
  const result = call();
  feedSound();
  refresh();
  editor?.update();
  for (let k = 0; k < keyCount; ++k) buttons[k].classList.toggle('down', !!kit._korvel_held(k));
  return result;
}

// The page fits the screen's own viewport: a mobile browser widens innerWidth
// to content that overflows. With touch, keys smaller than a fingertip leave
// the board: its top, with the LED, shown beside or above a larger keypad.
const boardWidth = 556;
const boardHeight = 600;
const keypadSize = 198;
const boardTop = 300; // down to just below the LED
const smallestKey = Math.min(...layout.subarray(7).filter((_, i) => i % 4 >= 2));
const fingertip = 44;
const largestScale = 2; // the art's double size
const margin = 16;
const below = 96; // the status line and two lines of a note
const gap = 8;
// The tune editor's panel beside the board while the board keeps this much of its size.
const panelWidth = 540;
const smallestBesideScale = 0.75;
const besidePanel = () =>
  editor?.isOpen() && document.documentElement.clientWidth - margin - panelWidth - gap >= boardWidth * smallestBesideScale;

// View > Zoom: the board fitted to the window, or at a size of its own (the
// page scrolls), kept for the next visit where the browser allows.
const zoomSetting = 'korvel.zoom';
let zoom = 'fit';
try {
  zoom = localStorage.getItem(zoomSetting) ?? zoom;
} catch {}

function arrange() {
  if (zoom !== 'fit') {
    const scale = Number(zoom);
    return { board: scale, cut: boardHeight, keys: scale, x: keypadLeft * scale, y: keypadTop * scale };
  }
  const root = document.documentElement;
  const width = root.clientWidth - margin - (besidePanel() ? panelWidth + gap : 0);
  const height = root.clientHeight - $('fit').offsetTop - below;
  const whole = Math.max(0.3, Math.min(width / boardWidth, height / boardHeight, largestScale));
  if (!matchMedia('(any-pointer: coarse)').matches || whole * smallestKey >= fingertip)
    return { board: whole, cut: boardHeight, keys: whole, x: keypadLeft * whole, y: keypadTop * whole };
  const fingerScale = fingertip / smallestKey;
  const keysScale = (room) => Math.max(fingerScale, Math.min(room / keypadSize, largestScale));
  if (width > height) {
    const keys = keysScale(height);
    const board = Math.max(0.3, Math.min((width - gap - keypadSize * keys) / boardWidth, height / boardTop));
    return { board, cut: boardTop, keys, x: boardWidth * board + gap, y: 0 };
  }
  const board = Math.min(width / boardWidth, largestScale);
  const keys = keysScale(Math.min(width, height - gap - boardTop * board));
  const x = Math.max(0, boardWidth * board - keypadSize * keys);
  return { board, cut: boardTop, keys, x, y: boardTop * board + gap };
}

function fit() {
  document.querySelector('main').classList.toggle('beside', !!besidePanel());
  const { board, cut, keys, x, y } = arrange();
  const picture = $('board').querySelector('img');
  Object.assign($('board').style, { height: `${cut}px`, transform: `scale(${board})` });
  picture.height = cut;
  $('keys').style.transform = `translate(${x}px, ${y}px) scale(${keys})`;
  Object.assign($('fit').style, {
    width: `${Math.max(boardWidth * board, x + keypadSize * keys)}px`,
    height: `${Math.max(cut * board, y + keypadSize * keys)}px`,
  });
  // The double-size art wherever the screen shows more than the single size has.
  const sharp = devicePixelRatio * Math.max(board, keys) > 1;
  $('fit').classList.toggle('sharp', sharp);
  const pictures = sharp ? 'art/base@2x.webp 2x' : 'art/base.webp 1x, art/base@2x.webp 2x';
  if (picture.srcset !== pictures) picture.srcset = pictures;
}
matchMedia('(any-pointer: coarse)').addEventListener('change', fit);

// ---- Sound ----

let sound = null; // {context, node, reports} once the worklet runs; {} while it cannot
let workletIdle = true;
const soundRuns = () => sound?.context?.state === 'running';

// Posts samples to the worklet: after a cut (dropping what it holds), when it
// has gone idle and the kit sounds again, or when it asks for more.
function postSamples(count, flush) {
  if (kit._korvel_soundIdle()) {
    if (flush || !workletIdle) sound.node.port.postMessage({ samples: null, flush });
    workletIdle = true;
    return;
  }
  const at = kit._korvel_pull(count);
  const samples = kit.HEAPU8.slice(at, at + count);
  sound.node.port.postMessage({ samples, flush }, [samples.buffer]);
  workletIdle = false;
}

function feedSound() {
  const cut = !!kit._korvel_takeCut();
  if (!soundRuns()) keepTimeSilently();
  else if (cut || workletIdle) postSamples(largestPull, cut);
}

// While the worklet does not play (no sound here, not started yet, or the
// browser suspended it) a timer pulls the queue at the rate it would, so a
// tune steps on in time, silently. A sleeping tab skips what it slept through.
const silentTick = 25;
const longestSilentCatchUp = 5 * sampleRate;
let silentTimer = 0;
let pulledUpTo = 0; // performance.now() of the samples pulled so far

function keepTimeSilently() {
  if (soundRuns() || kit._korvel_soundIdle()) {
    clearInterval(silentTimer);
    silentTimer = 0;
  } else if (!silentTimer) {
    pulledUpTo = performance.now();
    silentTimer = setInterval(() => act(pullSilently), silentTick);
  }
}

function pullSilently() {
  if (soundRuns()) return;
  const now = performance.now();
  let due = Math.floor(((now - pulledUpTo) * sampleRate) / 1000);
  if (due > longestSilentCatchUp) {
    due = longestSilentCatchUp;
    pulledUpTo = now - (due * 1000) / sampleRate;
  }
  pulledUpTo += (due * 1000) / sampleRate;
  for (let count; due > 0; due -= count) {
    count = Math.min(due, largestPull);
    kit._korvel_pull(count);
  }
}

function noSound(reason) {
  note(`No sound: ${reason} Tunes still play, silently.`, { lasting: true });
}

// The worklet is fed while its context runs; what it held from before a
// suspension is stale by then.
function followSoundState() {
  const runs = soundRuns();
  if (runs && !sound.fed) act(() => postSamples(largestPull, true));
  else if (!runs) keepTimeSilently();
  sound.fed = runs;
}

// Browsers let a page sound only after a user's gesture: the first key starts
// it, and a key resumes it after the browser suspended it.
async function startSound() {
  if (sound) {
    if (sound.context && !soundRuns()) sound.context.resume().catch(() => {});
    return;
  }
  sound = {};
  let context;
  try {
    context = new AudioContext({ sampleRate, latencyHint: 'interactive' });
    // Browsers offer audio worklets only to https:// pages and localhost.
    if (!context.audioWorklet) {
      context.close();
      return noSound('browsers allow it only on pages served over https:// or from localhost.');
    }
    await context.audioWorklet.addModule('soundWorklet.js');
    const node = new AudioWorkletNode(context, 'kit-sound', {
      numberOfInputs: 0,
      outputChannelCount: [1],
    });
    node.connect(context.destination);
    node.port.onmessage = ({ data }) => {
      if (data.want && soundRuns()) act(() => postSamples(Math.min(data.want, largestPull), false));
      if (data.report) sound.reports.shift()?.(data.report);
    };
    Object.assign(sound, { context, node, reports: [] });
    context.onstatechange = followSoundState;
    followSoundState();
    if (!soundRuns()) await context.resume();
  } catch {
    context?.close();
    sound = {};
    noSound('the browser could not start its sound output.');
  }
}

// ---- Keys: pointers, touches and the PC keyboard ----

const hold = (k) => act(() => kit._korvel_hold(k));
const letGo = (k) => act(() => kit._korvel_letGo(k));
const pointers = new Map(); // pointerId -> kit key
const pcKeys = new Map(); // physical PC key -> kit key

function letGoAll() {
  pointers.clear();
  pcKeys.clear();
  act(() => kit._korvel_letGoAll());
}

buttons.forEach((button, k) => {
  button.addEventListener('pointerdown', (event) => {
    if (event.pointerType === 'mouse' && event.button !== 0) return;
    event.preventDefault();
    startSound();
    button.setPointerCapture(event.pointerId);
    pointers.set(event.pointerId, k);
    hold(k);
  });
  // With the pointer captured the key comes up wherever the pointer then is.
  const up = (event) => {
    if (pointers.get(event.pointerId) !== k) return;
    pointers.delete(event.pointerId);
    letGo(k);
  };
  for (const type of ['pointerup', 'pointercancel', 'lostpointercapture'])
    button.addEventListener(type, up);
  button.addEventListener('contextmenu', (event) => event.preventDefault());
  // Enter on a focused key, or a screen reader's activation: a press and a release.
  button.addEventListener('click', (event) => {
    if (event.detail !== 0) return;
    startSound();
    hold(k);
    letGo(k);
  });
});

// The keyboard table decides, in the kit.
const kitKeyOf = (event) =>
  withString(event.key, (key) =>
    kit._korvel_kitKeyForPcKey(key, event.ctrlKey || event.altKey || event.metaKey));

// The tune editor's table and fields, dialogs and open menus keep the keyboard (a key a menu took, Escape
// closing it, included), and a menu's button focused from the keyboard keeps
// the keys that open it.
const menuKeys = [' ', 'Enter', 'ArrowDown', 'ArrowUp'];
const ownsKey = (event) =>
  event.defaultPrevented ||
  editor?.editing() ||
  event.target.closest?.('input') ||
  document.querySelector('dialog[open]') ||
  (event.target.closest?.('.menus') && (menus.isOpen() || menuKeys.includes(event.key)));

addEventListener('keydown', (event) => {
  if (ownsKey(event)) return;
  const k = kitKeyOf(event);
  if (k < 0) return;
  event.preventDefault();
  const physical = event.code || event.key;
  if (event.repeat || pcKeys.has(physical)) return;
  startSound();
  pcKeys.set(physical, k);
  hold(k);
});
addEventListener('keyup', (event) => {
  const physical = event.code || event.key;
  const k = pcKeys.get(physical);
  if (k === undefined) return;
  event.preventDefault();
  pcKeys.delete(physical);
  letGo(k);
});
// A key let go elsewhere never reports its release here.
addEventListener('blur', letGoAll);
document.addEventListener('visibilitychange', () => document.hidden && letGoAll());

// ---- Messages and dialogs ----

function tell(caption, message) {
  letGoAll();
  const box = $('message');
  box.querySelector('h2').textContent = caption;
  box.querySelector('p').textContent = message;
  box.showModal();
}

// A question with Cancel and a button that goes on (labelled go); true when
// that button was chosen. Escape cancels.
function ask(caption, question, go) {
  letGoAll();
  const box = $('askBox');
  box.querySelector('h2').textContent = caption;
  box.querySelector('p').textContent = question;
  $('askGo').textContent = go;
  box.returnValue = '';
  box.showModal();
  return new Promise((resolve) => box.addEventListener('close', () => resolve(box.returnValue === 'go'), { once: true }));
}

// Shows the message of the kit's last file outcome, if it has one, with the
// reason on a line of its own.
function tellOutcome() {
  const message = text(kit._korvel_message());
  if (message) tell(text(kit._korvel_caption()), message);
}

// A note fades after a while; a lasting one stays until the next.
let noteTimer = 0;
function note(message, { lasting = false } = {}) {
  $('note').textContent = message;
  clearTimeout(noteTimer);
  if (!lasting) noteTimer = setTimeout(() => ($('note').textContent = ''), 8000);
}

function showDialog(id) {
  letGoAll();
  $(id).showModal();
}

// ---- Scripts: files, the clipboard and dropped files ----

const maxScriptBytes = kit._korvel_maxScriptBytes();
const fileDone = 0; // the kit's FileOutcome::Done

// What a script's first line calls its tune, as korvel-cli names a MIDI
// export's track, or fallback.
function titleOfScript(bytes, fallback) {
  putInput(bytes);
  return withString(fallback, (pointer) => text(kit._korvel_titleOfScript(pointer)));
}

// The whole tune as script text: start address and tempo with the memory.
const wholeTuneScript = () => withString(tune.title(), (title) => text(kit._korvel_wholeTuneScript(title)));

// The loaded tune's names: the file Save writes, and the title an export
// gives it. A tune typed in or opened from the clipboard or a link has the
// desktop edition's title for an untitled tune. An example, once changed, is
// no longer the example: its names say so ("ode-to-joy-changed.dat", "Ode to
// Joy (changed)") until undo brings it back as it came.
const tune = (() => {
  let fileName = 'korvel.dat';
  let title = null;
  let example = null; // the example's share text, while the names are an example's
  const changedExample = () => example !== null && shareText() !== example;
  return {
    fileName: () => (changedExample() ? `${stemOf(fileName)}-changed.dat` : fileName),
    title() {
      const named = title ?? text(kit._korvel_untitledTuneTitle());
      return changedExample() ? `${named} (changed)` : named;
    },
    name(file, tuneTitle = null) {
      fileName = file;
      title = tuneTitle;
      example = null;
    },
    nameExample(file, tuneTitle) {
      this.name(file, tuneTitle);
      example = shareText();
    },
  };
})();
const stemOf = (name) => name.replace(/\.[^.]*$/, '') || name;

function cantOpen(name, reason) {
  withString(name, (file) => withString(reason, (why) => kit._korvel_openFailed(file, why)));
  note('');
  tellOutcome();
}

// Script bytes in place of the tune in memory (the tune replaced one undo
// away), from a file called name or the clipboard. The text ends at its first
// zero byte, which goes in with it: it tells a file of zeros from an empty
// one. One longer than the loader reads is refused before any of it enters
// the kit's memory, which would stay grown. What happened is told as a note,
// what went wrong in a box, and a refusal clears the last note.
function loadScript(bytes, name, { fromClipboard = false } = {}) {
  const end = bytes.indexOf(0);
  const from = Number(fromClipboard);
  const outcome =
    (end < 0 ? bytes.length : end) > maxScriptBytes
      ? withString(name, (pointer) => kit._korvel_scriptTooLarge(pointer, from))
      : (putInput(end < 0 ? bytes : bytes.subarray(0, end + 1)),
        act(() => withString(name, (pointer) => kit._korvel_loadScript(pointer, from))));
  if (outcome === fileDone) note(text(kit._korvel_notice()), { lasting: kit._korvel_skipped() > 0 });
  else note('');
  tellOutcome();
  return outcome === fileDone;
}

const midiMagic = 'MThd';

// A script is loaded; a MIDI file, whatever its name, is imported.
async function openFile(file) {
  const head = await file
    .slice(0, midiMagic.length)
    .text()
    .catch(() => '');
  if (head === midiMagic) tools.importFile(file);
  else await loadFile(file);
}

async function loadFile(file) {
  // No more than the loader reads, and one byte more to tell a longer script.
  const bytes = await file
    .slice(0, maxScriptBytes + 1)
    .arrayBuffer()
    .then((buffer) => new Uint8Array(buffer), () => null);
  if (!bytes) cantOpen(file.name, 'The browser could not read the file');
  else if (loadScript(bytes, file.name)) tune.name(file.name, titleOfScript(bytes, stemOf(file.name)));
  ++window.korvel.filesRead;
}

// Offers a Blob as a download called name; false when the browser refused.
function download(blob, name) {
  try {
    const url = URL.createObjectURL(blob);
    const link = Object.assign(document.createElement('a'), { href: url, download: name });
    link.click();
    setTimeout(() => URL.revokeObjectURL(url), 60000);
    return true;
  } catch {
    withString(name, (pointer) => kit._korvel_writeFailed(pointer));
    tellOutcome();
    return false;
  }
}

const save = () => download(new Blob([wholeTuneScript()], { type: 'application/octet-stream' }), tune.fileName());

// Why the clipboard could not be used, in a visitor's words.
function clipboardTrouble(error) {
  if (!navigator.clipboard)
    return 'The browser lets a page use the clipboard only when it is served over https:// or from localhost.';
  if (error?.name === 'NotAllowedError')
    return "The browser did not allow this page to use the clipboard: allow it in the site's settings and try again.";
  return 'The browser could not use the clipboard.';
}

async function copyTune() {
  try {
    await navigator.clipboard.writeText(wholeTuneScript());
    note('Tune copied.');
  } catch (error) {
    tell('Copy Tune', `The tune was not copied.\n${clipboardTrouble(error)} Save keeps it in a file instead.`);
  }
}

async function pasteTune() {
  let script;
  try {
    script = await navigator.clipboard.readText();
  } catch (error) {
    note('');
    return tell('Paste Tune', `Nothing was pasted.\n${clipboardTrouble(error)} Load opens a tune from a file instead.`);
  }
  const bytes = encoder.encode(script);
  if (loadScript(bytes, 'Clipboard', { fromClipboard: true })) tune.name('korvel.dat', titleOfScript(bytes, '') || null);
}

// ---- The share link ----

const shareText = () => text(kit._korvel_shareText());

function shareLink() {
  return `${location.href.split('#')[0]}#${shareText()}`;
}

async function share() {
  const link = shareLink();
  try {
    await navigator.clipboard.writeText(link);
    note('Link copied: it opens this tune.');
  } catch {
    // The link to select and copy by hand.
    $('linkField').value = link;
    showDialog('shareBox');
    $('linkField').select();
  }
}

// A link's tune replaces memory, tempo and start address (the tune it
// replaced one undo away); a fragment that is not one changes nothing. The
// fragment then leaves the address, so a reload brings back the tune as it
// was left rather than the link's again.
function openLink() {
  const fragment = location.hash.slice(1);
  if (!fragment) return;
  putInput(encoder.encode(fragment));
  if (act(() => kit._korvel_applyShareText())) {
    tune.name('korvel.dat');
    history.replaceState(null, '', location.href.split('#')[0]);
    note('Tune loaded from the link: press RUN to play.');
  }
  else {
    note('');
    tell('Open Link', 'This link does not hold a KORVEL tune. Nothing was changed.');
  }
}

// The tune is kept in the browser between visits, in the share link's words.
const tuneSetting = 'korvel.tune';
function keepTune() {
  try {
    localStorage.setItem(tuneSetting, shareText());
  } catch {}
}
function bringBackTune() {
  let kept = null;
  try {
    kept = localStorage.getItem(tuneSetting);
  } catch {}
  if (!kept) return;
  putInput(encoder.encode(kept));
  kit._korvel_applyShareText();
}

// ---- Commands ----

// An open menu takes the keyboard, so a PC key's release would never arrive.
const menus = setUpMenus(document.querySelector('.menus'), { opening: letGoAll });
let editor = null;
const tools = setUpTuneTools({
  kit, memory, act, tell, ask, note, tune, stemOf, letGoAll, loadScript, titleOfScript, shareText, download,
});

$('load').addEventListener('click', () => $('file').click());
$('file').addEventListener('change', () => {
  const [file] = $('file').files;
  $('file').value = '';
  if (file) openFile(file);
});
$('save').addEventListener('click', save);
$('copy').addEventListener('click', copyTune);
$('paste').addEventListener('click', pasteTune);
$('share').addEventListener('click', share);
$('reset').addEventListener('click', () => act(() => kit._korvel_reset()));
// The About pictures load only when someone looks.
$('about').addEventListener('click', () => {
  for (const picture of $('aboutBox').querySelectorAll('img[data-src]')) picture.src = picture.dataset.src;
  showDialog('aboutBox');
});
$('keyboard').addEventListener('click', () => showDialog('keyboardBox'));
const zoomChoices = [...document.querySelectorAll('[data-zoom]')];
function showZoom() {
  if (!zoomChoices.some((choice) => choice.dataset.zoom === zoom)) zoom = 'fit';
  for (const choice of zoomChoices) choice.setAttribute('aria-checked', String(choice.dataset.zoom === zoom));
  fit();
}
for (const choice of zoomChoices)
  choice.addEventListener('click', () => {
    zoom = choice.dataset.zoom;
    try {
      localStorage.setItem(zoomSetting, zoom);
    } catch {}
    showZoom();
  });

// Full screen where the browser offers it: more room for the board on a phone.
if (document.fullscreenEnabled) {
  $('fullScreen').addEventListener('click', () => {
    const root = document.documentElement;
    (document.fullscreenElement ? document.exitFullscreen() : root.requestFullscreen()).catch(() => {});
  });
  document.addEventListener('fullscreenchange', () =>
    $('fullScreen').setAttribute('aria-checked', String(!!document.fullscreenElement)));
} else {
  $('fullScreen').previousElementSibling.remove(); // its separator
  $('fullScreen').remove();
}
// Help opens at its top, not at its OK far below, and scrolls by the keyboard.
$('help').addEventListener('click', () => {
  showDialog('helpBox');
  $('helpBox').focus();
  $('helpBox').scrollTop = 0;
});

// Help > Keyboard in the table's order: each run of key lines a table, each other line a paragraph.
{
  const parts = [];
  for (const line of text(kit._korvel_keyboardHelp()).split('\n')) {
    const cells = line.split('\t');
    if (cells.length === 1) {
      if (line) parts.push(Object.assign(document.createElement('p'), { textContent: line }));
      continue;
    }
    if (parts.at(-1)?.tagName !== 'TABLE') parts.push(document.createElement('table'));
    const row = parts.at(-1).insertRow();
    for (const value of cells) row.insertCell().textContent = value;
  }
  $('keyboardHelp').append(...parts);
}

addEventListener('dragover', (event) => event.preventDefault());
addEventListener('drop', (event) => {
  event.preventDefault();
  const [file] = event.dataTransfer.files;
  if (file) openFile(file);
});

// ---- Start: the clock from the local time, then kept by elapsed time ----

// Milliseconds elapsed, sleep included. performance.now() may stop while the
// machine sleeps; Date.now() runs on but moves when the computer's clock is
// set. Each reading counts the larger advance of the two, so neither a sleep
// nor a clock set back stops the count.
const elapsed = { performance: performance.now(), date: Date.now(), counted: 0 };
function elapsedMilliseconds() {
  const performanceNow = performance.now();
  const dateNow = Date.now();
  elapsed.counted += Math.max(0, performanceNow - elapsed.performance, dateNow - elapsed.date);
  elapsed.performance = performanceNow;
  elapsed.date = dateNow;
  return elapsed.counted;
}

const started = new Date();
kit._korvel_start(started.getHours(), started.getMinutes(), started.getSeconds(),
  started.getMilliseconds(), elapsedMilliseconds());
// Undo begins at the tune kept from the last visit.
bringBackTune();
kit._korvel_editorStart();
editor = setUpEditorPanel({ kit, memory, act, note, tell, fit, startSound, keepTune, clipboardTrouble });
setInterval(() => {
  if (kit._korvel_catchUp(elapsedMilliseconds())) refresh();
}, 100);
addEventListener('resize', fit);
addEventListener('hashchange', openLink);
showZoom();
refresh();
openLink();
setUpOffline($('update'), { shown: fit });

// For tests and measurements: the files read so far; the next count samples
// the worklet plays from the next cut on, with the count of breaks.
window.korvel = {
  filesRead: 0,
  toolsDone: 0,
  recordSound(count) {
    sound.node.port.postMessage({ record: count });
  },
  soundReport() {
    return new Promise((resolve) => {
      sound.reports.push(resolve);
      sound.node.port.postMessage({ report: true });
    });
  },
  soundRunning: soundRuns,
  suspendSound: () => sound.context.suspend(),
  shareText,
  wasmMemoryBytes: () => kit.HEAPU8.length,
};
document.documentElement.dataset.ready = 'true';
document.documentElement.dataset.readyAt = performance.now().toFixed(0);
