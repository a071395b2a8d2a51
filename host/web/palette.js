// The note palette: the editor core's buttons (boundary.js) as on-screen
// buttons in the editor's panel, for a person with a touch screen or a mouse
// alone. A button is pressed and let go by its index in the core's list; the
// core does what the key of the same meaning does, a note sounding and moving
// down a row, or, while recording, playing for as long as it is held.
//
// On a touch screen the palette is always there with the editor; on the
// desktop it is a toggle, remembered.
import { palette } from './boundary.js';
import { keepSetting, setting } from './settings.js';

const $ = (id) => document.getElementById(id);
const { control, group } = palette;
const groupNames = { piano: 'Piano', length: 'Length', step: 'Steps', play: 'Play' };
const shownSetting = 'korvel.palette';
export const touchScreen = matchMedia('(pointer: coarse)');

// The piano's keys on a grid of half-key columns: the white keys side by
// side below, each black key above the meeting of the white keys it sits
// between, as the list's order of notes has them.
function placePianoKeys(buttons) {
  let whites = 0;
  for (const { button, entry } of buttons) {
    if (entry.control !== control.note) continue;
    const first = entry.black ? 2 * whites : 2 * whites + 1;
    if (!entry.black) whites += 1;
    button.style.gridColumn = `${first} / span 2`;
  }
}

// page: the kit, its strings, act(), startSound(), note(); focusTable puts
// the focus back on the step table after a press by pointer, so the kit's
// keys go on typing there; takes(entry) has each press first, true when it
// answered it itself (Listen, which the page does, not the core).
export function setUpPalette(page, { focusTable, showMessage, takes }) {
  const { kit, act } = page;
  const container = $('palette');
  const groups = Object.fromEntries(
    Object.entries(group).map(([name, code]) => {
      const element = Object.assign(document.createElement('div'), { className: `paletteGroup ${name}` });
      element.setAttribute('role', 'group');
      element.setAttribute('aria-label', groupNames[name] ?? name);
      return [code, element];
    }),
  );
  container.append(...Object.values(groups));
  const octaveShown = Object.assign(document.createElement('output'), { className: 'octave' });

  const press = (index) => {
    page.startSound();
    act(() => kit._korvel_editorPalettePress(index));
    showMessage();
  };
  const release = (index) => act(() => kit._korvel_editorPaletteRelease(index));

  const buttons = palette.buttons.map((entry, index) => {
    const button = Object.assign(document.createElement('button'), { type: 'button', textContent: entry.label });
    if (entry.name !== entry.label) button.setAttribute('aria-label', entry.name);
    button.title = `${entry.name} (${entry.key})`;
    button.classList.toggle('black', entry.black);
    if (entry.control === control.octaveUp) groups[entry.group].append(octaveShown);
    groups[entry.group].append(button);

    // Held for as long as the pointer is down; the pointer captured, its release comes wherever it is.
    const pointers = new Set();
    button.addEventListener('pointerdown', (event) => {
      if (event.pointerType === 'mouse' && event.button !== 0) return;
      event.preventDefault(); // the focus stays where it was
      if (takes(entry)) return;
      button.setPointerCapture(event.pointerId);
      pointers.add(event.pointerId);
      button.classList.add('held');
      press(index);
      focusTable();
    });
    const up = (event) => {
      if (!pointers.delete(event.pointerId)) return;
      button.classList.toggle('held', pointers.size > 0);
      release(index);
    };
    for (const type of ['pointerup', 'pointercancel', 'lostpointercapture']) button.addEventListener(type, up);
    button.addEventListener('contextmenu', (event) => event.preventDefault());
    // Enter or Space on a focused button, or a screen reader's activation: a press and a release.
    button.addEventListener('click', (event) => {
      if (event.detail !== 0 || takes(entry)) return;
      press(index);
      release(index);
    });
    return { button, entry };
  });
  placePianoKeys(buttons);
  const byControl = (code) => buttons.find(({ entry }) => entry.control === code).button;
  const recordButton = byControl(control.record);
  recordButton.setAttribute('aria-pressed', 'false');
  const undoButton = byControl(control.undo);
  const redoButton = byControl(control.redo);

  // ---- Shown: always on a touch screen, else as the toggle was left ----
  const toggle = $('paletteToggle');
  let wanted = !!setting(shownSetting);
  function showPalette() {
    container.hidden = !(touchScreen.matches || wanted);
    toggle.hidden = touchScreen.matches;
    toggle.setAttribute('aria-pressed', String(wanted));
  }
  toggle.addEventListener('click', () => {
    wanted = !wanted;
    keepSetting(shownSetting, wanted ? 'shown' : '');
    showPalette();
  });
  touchScreen.addEventListener('change', showPalette);
  showPalette();

  return {
    listenButton: byControl(control.listen),
    // The core's state as the panel read it.
    show({ recording, octave, canUndo, canRedo }) {
      recordButton.setAttribute('aria-pressed', String(!!recording));
      octaveShown.textContent = `Octave ${octave}`;
      undoButton.setAttribute('aria-disabled', String(!canUndo));
      redoButton.setAttribute('aria-disabled', String(!canRedo));
    },
  };
}
