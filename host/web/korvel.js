// The web edition's page: the board, its keys and LED, the commands, the
// share link and the sound, over the kit compiled to WebAssembly (webKit.cpp).
//
// The kit, its sound queue included, runs on this main thread. The audio
// worklet (soundWorklet.js) asks for samples when its store runs low; the
// answer is pulled from the queue here and posted to it. A melody note's end
// is answered inside that pull, so the next note follows with no break, and a
// cut (a key let go, STOP) drops what the worklet holds at once.
import createKitModule from './korvelKit.js';

const kit = await createKitModule();
const sampleRate = 22050;
// The most the queue gives at once (webKit.cpp); the worklet asks again for the rest.
const largestPull = 4096;
const keyCount = 22;
const ledCellWidth = 19;
const decoder = new TextDecoder();
const encoder = new TextEncoder();
const $ = (id) => document.getElementById(id);

const text = (pointer) => {
  const heap = kit.HEAPU8;
  return decoder.decode(heap.subarray(pointer, heap.indexOf(0, pointer)));
};

// Copies bytes into the kit's input buffer for the call that reads them. The
// buffer may grow the kit's memory, which replaces HEAPU8: read it after.
function putInput(bytes) {
  const at = kit._korvel_input(bytes.length + 1);
  kit.HEAPU8.set(bytes, at);
}

function withString(value, use) {
  const bytes = encoder.encode(value);
  const pointer = kit._malloc(bytes.length + 1);
  kit.HEAPU8.set(bytes, pointer);
  kit.HEAPU8[pointer + bytes.length] = 0;
  try {
    return use(pointer);
  } finally {
    kit._free(pointer);
  }
}

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
    left: `${x}px`,
    top: `${y}px`,
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
  for (let k = 0; k < keyCount; ++k) buttons[k].classList.toggle('down', !!kit._korvel_held(k));
  return result;
}

function fit() {
  const board = $('board').getBoundingClientRect();
  const room = Math.min((innerWidth - 16) / 556, (innerHeight - board.top - 72 + scrollY) / 600);
  document.documentElement.style.setProperty('--scale', Math.max(0.3, Math.min(1, room)));
}

// ---- Sound ----

let sound = null; // {context, node} once the worklet runs
let workletIdle = true;

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
  if (sound?.node && (cut || workletIdle)) postSamples(largestPull, cut);
}

// Browsers let a page sound only after a user's gesture: the first key starts it.
async function startSound() {
  if (sound || !window.AudioWorkletNode) return;
  sound = {};
  try {
    const context = new AudioContext({ sampleRate, latencyHint: 'interactive' });
    await context.audioWorklet.addModule('soundWorklet.js');
    const node = new AudioWorkletNode(context, 'kit-sound', {
      numberOfInputs: 0,
      outputChannelCount: [1],
    });
    node.connect(context.destination);
    node.port.onmessage = ({ data }) => {
      if (data.want) act(() => postSamples(Math.min(data.want, largestPull), false));
      if (data.report) sound.reports.shift()?.(data.report);
    };
    Object.assign(sound, { context, node, reports: [] });
    if (context.state !== 'running') await context.resume();
    act(() => postSamples(largestPull, true));
  } catch (error) {
    note(`No sound: ${error.message}`);
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

// The keyboard table decides; "@" by the character typed, as layouts put it
// on different keys; others not with Ctrl, Alt or Meta, which belong to the browser.
function kitKeyOf(event) {
  if (event.key === '@') return kit._korvel_keyForCharacter(64);
  if (event.ctrlKey || event.altKey || event.metaKey) return -1;
  if (event.key.length === 1 && event.key.charCodeAt(0) < 128)
    return kit._korvel_keyForCharacter(event.key.charCodeAt(0));
  const control = { Backspace: 8, Escape: 27 }[event.key];
  return control ? kit._korvel_keyForCharacter(control) : -1;
}

// Dialogs keep the keyboard, and a command button focused from the keyboard
// keeps Enter and Space.
const ownsKey = (event) =>
  document.querySelector('dialog[open]') ||
  (event.target.closest?.('.commands') && (event.key === ' ' || event.key === 'Enter'));

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

// Shows the message of the kit's last file outcome, if it has one.
function tellOutcome() {
  const message = text(kit._korvel_message());
  if (message) tell(text(kit._korvel_caption()), message);
}

let noteTimer = 0;
function note(message) {
  $('note').textContent = message;
  clearTimeout(noteTimer);
  noteTimer = setTimeout(() => ($('note').textContent = ''), 8000);
}

function showDialog(id) {
  letGoAll();
  $(id).showModal();
}

// ---- Scripts: files, the clipboard and dropped files ----

const maxScriptBytes = kit._korvel_maxScriptBytes();
let scriptName = 'korvel.dat';

async function loadFile(file) {
  let bytes;
  try {
    // Only as much as the loader may read: a longer script cannot be opened.
    bytes = new Uint8Array(await file.slice(0, maxScriptBytes + 1).arrayBuffer());
  } catch {
    act(() => withString(file.name, (name) => kit._korvel_openFailed(name)));
    tellOutcome();
    ++window.korvel.filesRead;
    return;
  }
  putInput(bytes);
  const outcome = act(() => withString(file.name, (name) => kit._korvel_loadScript(name)));
  if (outcome === 0) scriptName = file.name;
  tellOutcome();
  ++window.korvel.filesRead;
}

function save() {
  const at = kit._korvel_scriptImage();
  const bytes = kit.HEAPU8.slice(at, at + kit._korvel_scriptImageSize());
  try {
    const url = URL.createObjectURL(new Blob([bytes], { type: 'application/octet-stream' }));
    const link = Object.assign(document.createElement('a'), { href: url, download: scriptName });
    link.click();
    setTimeout(() => URL.revokeObjectURL(url), 60000);
  } catch {
    withString(scriptName, (name) => kit._korvel_writeFailed(name));
    tellOutcome();
  }
}

async function copyTune() {
  const at = kit._korvel_scriptImage();
  const script = String.fromCharCode(...kit.HEAPU8.subarray(at, at + kit._korvel_scriptImageSize()));
  try {
    await navigator.clipboard.writeText(script);
    note('Tune copied.');
  } catch (error) {
    tell('Copy Tune', `Can't use the clipboard: ${error.message}`);
  }
}

async function pasteTune() {
  let script;
  try {
    script = await navigator.clipboard.readText();
  } catch (error) {
    return tell('Paste Tune', `Can't use the clipboard: ${error.message}`);
  }
  putInput(encoder.encode(script));
  act(() => withString('Clipboard', (name) => kit._korvel_loadScript(name)));
  tellOutcome();
}

// ---- The share link ----

function shareLink() {
  return `${location.href.split('#')[0]}#${text(kit._korvel_shareText())}`;
}

async function share() {
  const link = shareLink();
  try {
    await navigator.clipboard.writeText(link);
    note('Link copied: it opens this tune.');
  } catch {
    tell('Share', `Copy this link; it opens this tune:\n${link}`);
  }
}

// A link's tune replaces memory, tempo and start address; a fragment that is
// not one changes nothing.
function openLink() {
  const fragment = location.hash.slice(1);
  if (!fragment) return;
  putInput(encoder.encode(fragment));
  if (act(() => kit._korvel_applyShareText())) note('Tune loaded from the link: press RUN to play.');
  else tell('Open Link', 'This link does not hold a KORVEL tune. Nothing was changed.');
}

// ---- Commands ----

// A command clicked with the mouse leaves the focus to the kit, so that Space
// after it is RUN rather than the command again.
for (const command of document.querySelectorAll('.commands button'))
  command.addEventListener('click', (event) => event.detail > 0 && command.blur());
$('load').addEventListener('click', () => $('file').click());
$('file').addEventListener('change', () => {
  const [file] = $('file').files;
  $('file').value = '';
  if (file) loadFile(file);
});
$('save').addEventListener('click', save);
$('copy').addEventListener('click', copyTune);
$('paste').addEventListener('click', pasteTune);
$('share').addEventListener('click', share);
$('reset').addEventListener('click', () => act(() => kit._korvel_reset()));
$('about').addEventListener('click', () => showDialog('aboutBox'));
$('help').addEventListener('click', () => showDialog('helpBox'));

{
  const rows = [];
  const advice = [];
  for (const line of text(kit._korvel_keyboardHelp()).split('\n')) {
    const [kitKey, pcKey] = line.split('\t');
    if (pcKey !== undefined) {
      const row = document.createElement('tr');
      for (const value of [kitKey, pcKey]) row.insertCell().textContent = value;
      rows.push(row);
    } else if (line) advice.push(line);
  }
  $('helpBox').querySelector('table').append(...rows);
  $('helpBox').querySelector('p').textContent = advice.join(' ');
}

addEventListener('dragover', (event) => event.preventDefault());
addEventListener('drop', (event) => {
  event.preventDefault();
  const [file] = event.dataTransfer.files;
  if (file) loadFile(file);
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
setInterval(() => {
  if (kit._korvel_catchUp(elapsedMilliseconds())) refresh();
}, 100);
addEventListener('resize', fit);
addEventListener('hashchange', openLink);
fit();
refresh();
openLink();

// For tests and measurements: the files read so far; the next count samples
// the worklet plays from the next cut on, with the count of breaks.
window.korvel = {
  filesRead: 0,
  recordSound(count) {
    sound.node.port.postMessage({ record: count });
  },
  soundReport() {
    return new Promise((resolve) => {
      sound.reports.push(resolve);
      sound.node.port.postMessage({ report: true });
    });
  },
  soundRunning: () => sound?.context?.state === 'running',
  shareText: () => text(kit._korvel_shareText()),
  wasmMemoryBytes: () => kit.HEAPU8.length,
};
document.documentElement.dataset.ready = 'true';
document.documentElement.dataset.readyAt = performance.now().toFixed(0);
