// The web edition's page, over the kit compiled to WebAssembly (webKit.cpp):
// this module only starts it, setting up each part in turn. The board
// (board.js), its sound (sound.js) and keys (keys.js), the files and the
// clipboard (files.js), the share link (share.js), the menus' commands
// (commands.js), the tune tools (tuneTools.js), the tune editor's panel
// (editorPanel.js) and the MIDI keyboard (midi.js).
//
// The parts share one context, page: the kit, its string helpers, act() and
// what each part offers the others, added as it is set up. A part may use
// what a later one adds only once the page has started (from an event).
import createKitModule from './korvelKit.js';
import { kitMemory } from './kitMemory.js';
import { kitCalls } from './kitCalls.js';
import { setUpSound } from './sound.js';
import { arrangeBoard, setUpBoard } from './board.js';
import { setUpKeys } from './keys.js';
import { setUpDialogs } from './dialogs.js';
import { tuneNames } from './tuneNames.js';
import { setUpShare } from './share.js';
import { clipboardTrouble, setUpFiles } from './files.js';
import { setUpCommands } from './commands.js';
import { setUpMenus } from './menus.js';
import { setUpTuneTools } from './tuneTools.js';
import { setUpEditorPanel } from './editorPanel.js';
import { setUpOffline } from './offline.js';
import { setUpMidi } from './midi.js';

const page = { clipboardTrouble, ...kitCalls() };
const add = (part) => Object.assign(page, part);

// The board fitted to the screen and the menus working before the kit's
// module has loaded; until it has, the board says so, and so does a command
// chosen meanwhile.
add(arrangeBoard(page));
// An open menu takes the keyboard, so a PC key's release would never arrive.
add({ menus: setUpMenus(document.querySelector('.menus'), { opening: () => page.letGoAll?.() }) });
const menuBar = document.querySelector('.menus');
const loadingNote = document.getElementById('note');
const stillLoading = 'The kit is still loading: choose it again in a moment.';
function tooSoon(event) {
  if (!event.target.closest('[role^="menuitem"]:not([aria-haspopup])')) return;
  event.stopImmediatePropagation();
  loadingNote.textContent = stillLoading;
}
menuBar.addEventListener('click', tooSoon, true);

const kit = await createKitModule();
add({ kit, memory: kitMemory(kit) });
menuBar.removeEventListener('click', tooSoon, true);
if (loadingNote.textContent === stillLoading) loadingNote.textContent = '';

// The sound first: the board shows what its pull changed.
add(setUpSound(page));
add(setUpBoard(page));
add(setUpKeys(page));
add(setUpDialogs(page));
add({ tune: tuneNames(page) });
add(setUpShare(page));
add(setUpFiles(page));
const { showZoom } = setUpCommands(page);
add({ tools: setUpTuneTools(page) });

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
kit._korvel_start(
  started.getHours(),
  started.getMinutes(),
  started.getSeconds(),
  started.getMilliseconds(),
  elapsedMilliseconds(),
);
// Undo begins at the tune kept from the last visit.
page.bringBackTune();
kit._korvel_editorStart();
add({ editor: setUpEditorPanel(page) });
page.afterEachCall(page.editor.update);
// The MIDI keyboard records through the editor.
setUpMidi(page);
setInterval(() => {
  if (kit._korvel_catchUp(elapsedMilliseconds())) page.refresh();
}, 100);
addEventListener('hashchange', page.openLink);
showZoom();
page.refresh();
page.openLink();
// The offline copy once the page has what it shows, so that it takes that
// rather than fetching it again alongside.
page.boardReady().then(() => setUpOffline(document.getElementById('update'), { shown: page.fit }));

// For tests and measurements: the files read and the tools finished so far,
// and the sound's own hooks.
window.korvel = {
  filesRead: 0,
  toolsDone: 0,
  ...page.soundHooks,
  ...page.editor.hooks,
  shareText: page.shareText,
  wasmMemoryBytes: () => kit.HEAPU8.length,
};
document.documentElement.dataset.ready = 'true';
document.documentElement.dataset.readyAt = performance.now().toFixed(0);
