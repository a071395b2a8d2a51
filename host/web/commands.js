// The menus' commands that are not the tune tools' or the tune editor's:
// files, the clipboard, the share link, Reset, View and Help.
import { keyboardHelp } from './boundary.js';
import { keepSetting, setting } from './settings.js';

const $ = (id) => document.getElementById(id);
const zoomSetting = 'korvel.zoom';

// page: the kit, act(), the board, the files, the share link and
// the dialogs.
export function setUpCommands(page) {
  const { kit, act } = page;
  $('load').addEventListener('click', () => $('file').click());
  $('save').addEventListener('click', page.save);
  $('copy').addEventListener('click', page.copyTune);
  $('paste').addEventListener('click', page.pasteTune);
  $('share').addEventListener('click', page.share);
  $('reset').addEventListener('click', () => act(() => kit._korvel_reset()));
  // The About pictures load only when someone looks.
  $('about').addEventListener('click', () => {
    for (const picture of $('aboutBox').querySelectorAll('img[data-src]')) picture.src = picture.dataset.src;
    page.showDialog('aboutBox');
  });
  $('keyboard').addEventListener('click', () => page.showDialog('keyboardBox'));
  // Help opens at its top, not at its OK far below, and scrolls by the keyboard.
  $('help').addEventListener('click', () => {
    page.showDialog('helpBox');
    $('helpBox').focus();
    $('helpBox').scrollTop = 0;
  });
  showKeyboardHelp();
  setUpFullScreen();
  return { showZoom: setUpZoom(page) };
}

// View > Zoom: the board fitted to the window, or at a size of its own (the
// page scrolls), kept for the next visit where the browser allows. Returns
// what shows the zoom chosen.
function setUpZoom(page) {
  let zoom = setting(zoomSetting) || 'fit';
  const zoomChoices = [...document.querySelectorAll('[data-zoom]')];
  function showZoom() {
    if (!zoomChoices.some((choice) => choice.dataset.zoom === zoom)) zoom = 'fit';
    for (const choice of zoomChoices) choice.setAttribute('aria-checked', String(choice.dataset.zoom === zoom));
    page.zoomTo(zoom);
  }
  for (const choice of zoomChoices)
    choice.addEventListener('click', () => {
      zoom = choice.dataset.zoom;
      keepSetting(zoomSetting, zoom);
      showZoom();
    });
  return showZoom;
}

// Full screen where the browser offers it: more room for the board on a phone.
function setUpFullScreen() {
  if (!document.fullscreenEnabled) {
    $('fullScreen').previousElementSibling.remove(); // its separator
    $('fullScreen').remove();
    return;
  }
  $('fullScreen').addEventListener('click', () => {
    const root = document.documentElement;
    (document.fullscreenElement ? document.exitFullscreen() : root.requestFullscreen()).catch(() => {});
  });
  document.addEventListener('fullscreenchange', () =>
    $('fullScreen').setAttribute('aria-checked', String(!!document.fullscreenElement)),
  );
}

// Help > Keyboard in the rows' order: each run of rows with keys a table,
// each other row a paragraph.
function showKeyboardHelp() {
  const parts = [];
  for (const { keys, what } of keyboardHelp) {
    if (!keys) {
      parts.push(Object.assign(document.createElement('p'), { textContent: what }));
      continue;
    }
    if (parts.at(-1)?.tagName !== 'TABLE') parts.push(document.createElement('table'));
    const row = parts.at(-1).insertRow();
    for (const value of [keys, what]) row.insertCell().textContent = value;
  }
  $('keyboardHelp').append(...parts);
}
