// The tune editor's panel: the step table, start address and tempo, the
// checks, Record and Play from row and the note palette (palette.js), the
// line above the table and the kit's keys offered to the table, over the
// editor's core in the kit's module (editorExports.cpp), which holds every
// rule. The panel only shows the core's state and hands it keys, clicks,
// palette buttons and the clipboard's text. Listen (listen.js) hears the
// microphone and writes what it heard through the core too.
//
// After every call into the kit the page calls update(): it looks at a few
// numbers (the rows' revision, the sounding row, the cursor...) and repaints
// only what they say changed, the rows' texts from one JSON text for all of them.
// Every code and field exchanged is the core's, by boundary.js.
import { editor as boundary, palette } from './boundary.js';
import { setUpPalette, touchScreen } from './palette.js';
import { setUpListen } from './listen.js';
import { keepSetting, setting } from './settings.js';

const $ = (id) => document.getElementById(id);
const { rowCount, state: field, result, tableColumn } = boundary;
// Piano keys and digits by their place on the keyboard, whatever its layout.
const punctuation = { Minus: '-', Equal: '=', Period: '.', Slash: '/', Comma: ',' };
function characterOf(event) {
  const code = event.code ?? '';
  if (/^Key[A-Z]$/.test(code)) return code.slice(3).toLowerCase();
  if (/^(Digit|Numpad)[0-9]$/.test(code)) return code.at(-1);
  if (punctuation[code]) return punctuation[code];
  return event.key.length === 1 ? event.key.toLowerCase() : '';
}
// The key as the core reads it, or null for one it never takes (Tab leaves the table).
// With Ctrl or Cmd the character typed counts, as in the menus' shortcuts, so
// Ctrl+Z undoes on any layout.
function editorKeyOf(event) {
  const code = boundary.keys[event.key];
  if (code !== undefined) return { code, character: 0 };
  const command = event.ctrlKey || event.metaKey;
  const character = command && event.key.length === 1 ? event.key.toLowerCase() : characterOf(event);
  return character ? { code: boundary.characterKey, character: character.charCodeAt(0) } : null;
}

// The table's columns (TuneColumn).
const columnCount = Object.keys(tableColumn).length;

// page: the kit module, its string helpers, act() and note().
export function setUpEditorPanel(page) {
  const { kit, act, note } = page;
  const { text, putInput, handedBack } = page.memory;
  const panel = $('editor');
  const grid = $('steps');
  const scroller = $('stepScroll');
  const { stateFields } = boundary;
  const { revision, cursor, column, recording, canUndo, canRedo, octave } = field;
  const { soundingRow: sounding, selectionFirst: first, selectionLast: last } = field;
  // The start address and the tempo, both in hex as the kit shows them; their digits, tips and
  // refusals are the core's.
  const settingFields = [
    [field.startAddress, { id: 'startAddress', which: boundary.setting.startAddress }],
    [field.tempo, { id: 'tempo', which: boundary.setting.tempo }],
  ];

  grid.tHead.rows[0].append(
    ...boundary.columnTitles.map((title) => Object.assign(document.createElement('th'), { textContent: title })),
  );

  // ---- The rows, made once and reused ----
  const rows = [];
  const cells = []; // [row][column]: the element whose text shows the column
  const bars = [];
  // [row]: the row as last shown; a blank one shows nothing yet.
  const blankRow = { texts: [], reached: null, bar: null };
  const shownRows = Array(rowCount).fill(blankRow);
  const body = grid.tBodies[0];
  for (let r = 0; r < rowCount; ++r) {
    const row = body.insertRow();
    row.id = `step${r}`;
    row.setAttribute('aria-selected', 'false');
    const rowCells = Array.from({ length: columnCount }, (_, c) => {
      const cell = row.insertCell();
      cell.id = `step${r}c${c}`;
      if (c !== tableColumn.length) return cell;
      const value = document.createElement('span');
      const bar = document.createElement('span');
      bar.className = 'bar';
      bars.push(bar);
      cell.append(value, bar);
      return value;
    });
    rows.push(row);
    cells.push(rowCells);
  }

  let shown = new Int32Array(stateFields).fill(-2);
  let shownChecks = '';

  function showRows() {
    JSON.parse(text(kit._korvel_editorRows())).forEach((fresh, r) => {
      const old = shownRows[r];
      fresh.texts.forEach((value, c) => {
        if (value === old.texts[c]) return;
        cells[r][c].textContent = value;
        // Shown in the note's cell where the table is narrow (korvel.css).
        if (c === tableColumn.pitch) rows[r].cells[tableColumn.note].dataset.pitch = value;
        if (c === tableColumn.kind) rows[r].cells[tableColumn.note].dataset.kind = value;
      });
      if (fresh.reached !== old.reached) rows[r].classList.toggle('unreached', !fresh.reached);
      if (fresh.blank !== old.blank) rows[r].classList.toggle('blank', fresh.blank);
      if (fresh.bar !== old.bar) bars[r].style.width = `${(100 * fresh.bar) / boundary.lengthBarScale}%`;
      shownRows[r] = fresh;
    });
    const checks = text(kit._korvel_editorChecks());
    if (checks === shownChecks) return;
    shownChecks = checks;
    $('checks').replaceChildren(
      ...JSON.parse(checks).map(({ row, text: sentence }) => {
        const item = document.createElement('li');
        const button = Object.assign(document.createElement('button'), { type: 'button', textContent: sentence });
        button.addEventListener('click', () => {
          act(() => kit._korvel_editorSelect(row, tableColumn.digits, 0));
          grid.focus();
        });
        item.append(button);
        return item;
      }),
    );
  }

  // Keeps row in the scroller's view, a third from its top when it must move.
  let ownScrollUntil = 0;
  function keepInView(r) {
    const row = rows[r];
    const top = row.offsetTop - grid.tHead.offsetHeight;
    if (top >= scroller.scrollTop && row.offsetTop + row.offsetHeight <= scroller.scrollTop + scroller.clientHeight)
      return;
    ownScrollUntil = performance.now() + 100;
    scroller.scrollTop = top - scroller.clientHeight / 3;
  }
  scroller.addEventListener('scroll', () => {
    if (performance.now() > ownScrollUntil) kit._korvel_editorUserScrolled();
  });

  function showState(now) {
    if (now[sounding] !== shown[sounding]) {
      rows[shown[sounding]]?.classList.remove('sounding');
      rows[now[sounding]]?.classList.add('sounding');
      if (now[sounding] >= 0 && kit._korvel_editorFollowsSounding()) keepInView(now[sounding]);
    }
    if (now[first] !== shown[first] || now[last] !== shown[last]) {
      for (let r = 0; r < rowCount; ++r) {
        const selected = r >= now[first] && r <= now[last];
        if (selected !== (r >= shown[first] && r <= shown[last]))
          rows[r].setAttribute('aria-selected', String(selected));
      }
    }
    if (now[cursor] !== shown[cursor] || now[column] !== shown[column]) {
      const cell = cells[now[cursor]][boundary.cursorColumn[now[column]]].closest('td');
      grid.querySelector('.cursor')?.classList.remove('cursor');
      cell.classList.add('cursor');
      grid.setAttribute('aria-activedescendant', cell.id);
      if (now[cursor] !== shown[cursor]) keepInView(now[cursor]);
    }
    if (now[recording] !== shown[recording]) $('record').setAttribute('aria-pressed', String(!!now[recording]));
    for (const [field, setting] of settingFields)
      if (now[field] !== shown[field] && document.activeElement !== $(setting.id))
        $(setting.id).value = text(kit._korvel_tuneSettingText(setting.which));
    if (now[octave] !== shown[octave] || now[recording] !== shown[recording]) showMode();
    if ([recording, octave, canUndo, canRedo].some((f) => now[f] !== shown[f]))
      notePalette.show({
        recording: now[recording],
        octave: now[octave],
        canUndo: now[canUndo],
        canRedo: now[canRedo],
      });
  }

  // After every call into the kit: the core looks at the kit, and the panel
  // repaints what changed; the tune is kept for the next visit.
  let keptRevision = -1;
  function update() {
    kit._korvel_editorSync();
    const now = new Int32Array(kit.HEAP32.buffer, kit._korvel_editorState(), stateFields).slice();
    if (now[revision] !== keptRevision) {
      keptRevision = now[revision];
      page.keepTune();
    }
    if (now[canUndo] !== shown[canUndo]) $('undo').setAttribute('aria-disabled', String(!now[canUndo]));
    if (now[canRedo] !== shown[canRedo]) $('redo').setAttribute('aria-disabled', String(!now[canRedo]));
    if (panel.hidden) {
      shown[canUndo] = now[canUndo];
      shown[canRedo] = now[canRedo];
      return;
    }
    if (now[revision] !== shown[revision]) showRows();
    showState(now);
    shown = now;
  }

  function showMessage() {
    const message = text(kit._korvel_editorMessage());
    if (message) note(message);
  }
  const listen = setUpListen(page);
  const notePalette = setUpPalette(page, {
    focusTable: () => grid.focus({ preventScroll: true }),
    showMessage,
    takes: listen.takes,
  });
  listen.attach(notePalette.listenButton);

  // ---- Which the keys play: the editor or the kit ----
  // The line above the table is the core's, in words for the device last used.
  const editing = () => document.activeElement === grid;
  const { inputWay } = palette;
  let way = touchScreen.matches ? inputWay.touch : inputWay.keyboard;
  function showMode() {
    $('keysMode').textContent = text(kit._korvel_editorHint(way, editing()));
    panel.classList.toggle('editing', editing());
  }
  function usedWay(now) {
    if (now === way) return;
    way = now;
    showMode();
  }
  addEventListener(
    'pointerdown',
    (event) => usedWay(event.pointerType === 'mouse' ? inputWay.mouse : inputWay.touch),
    true,
  );
  addEventListener('keydown', () => usedWay(inputWay.keyboard), true);
  grid.addEventListener('focus', showMode);
  grid.addEventListener('blur', showMode);
  // A kit key pressed while the table has the focus, offered to the core
  // first: true when it took it (it typed the row's digits), and then the key
  // is not the kit's, neither pressed nor let go.
  const typeKitKey = (key) => editing() && !!act(() => kit._korvel_editorTypeKitKey(key));

  // ---- The clipboard: script text ----
  async function toClipboard(script) {
    try {
      await navigator.clipboard.writeText(script);
      note('Rows copied as script text.');
    } catch (error) {
      page.tell('Copy Rows', `The rows were not copied.\n${page.clipboardTrouble(error)}`);
    }
  }
  async function pasteRows() {
    let script;
    try {
      script = await navigator.clipboard.readText();
    } catch (error) {
      return page.tell('Paste Rows', `Nothing was pasted.\n${page.clipboardTrouble(error)}`);
    }
    putInput(page.memory.encoder.encode(script));
    act(() => kit._korvel_editorPaste());
    showMessage();
  }
  const copiedText = () => new TextDecoder().decode(handedBack());

  grid.addEventListener('keydown', (event) => {
    const key = editorKeyOf(event);
    if (!key || event.altKey) return;
    const command = event.ctrlKey || event.metaKey;
    page.startSound();
    const bits = act(() => kit._korvel_editorKey(key.code, key.character, event.shiftKey, command));
    if (!(bits & result.handled)) return;
    event.preventDefault();
    if (bits & result.copied) toClipboard(copiedText());
    if (bits & result.wantsPaste) pasteRows();
    showMessage();
  });
  grid.addEventListener('keyup', (event) => {
    const key = editorKeyOf(event);
    if (key?.code === boundary.characterKey) act(() => kit._korvel_editorKeyUp(key.code, key.character));
  });

  // A click (or a tap) selects the row and the column under it; Shift extends.
  // The cell is the one pressed: the panel may move under the finger before
  // the click comes (the line above the table rewords itself as the table
  // takes the focus, a check appears as a palette button is tapped), and the
  // click then lands on another row, or outside the table.
  let pressedCell = null;
  addEventListener('pointerdown', (event) => (pressedCell = event.target.closest?.('#steps td') ?? null), true);
  addEventListener('click', (event) => {
    const cell = pressedCell;
    pressedCell = null;
    if (!cell) return;
    const row = cell.parentElement.sectionRowIndex;
    page.startSound();
    act(() => kit._korvel_editorSelect(row, cell.cellIndex, event.shiftKey));
    grid.focus({ preventScroll: true });
  });

  // ---- Start address, tempo, Record and Play from row ----
  for (const [field, { id, which }] of settingFields) {
    const input = $(id);
    input.maxLength = kit._korvel_tuneSettingDigits(which);
    input.title = text(kit._korvel_tuneSettingTip(which));
    input.addEventListener('change', () => {
      putInput(page.memory.encoder.encode(input.value));
      if (!act(() => kit._korvel_editorSetSetting(which))) note(text(kit._korvel_tuneSettingRefusal(which)));
      shown[field] = -2;
      act(() => {});
    });
  }
  $('record').addEventListener('click', () => {
    act(() => kit._korvel_editorSetRecording(shown[recording] ? 0 : 1));
    showMessage();
    grid.focus();
  });
  $('playFromRow').addEventListener('click', () => {
    page.startSound();
    act(() => kit._korvel_editorPlayFromCursor());
  });

  // ---- The Edit menu's and View's commands ----
  const undo = () => act(() => kit._korvel_editorUndo());
  const redo = () => act(() => kit._korvel_editorRedo());
  $('undo').addEventListener('click', undo);
  $('redo').addEventListener('click', redo);
  $('copyRows').addEventListener('click', () => toClipboard(text(kit._korvel_editorCopy())));
  $('cutRows').addEventListener('click', () => toClipboard(act(() => text(kit._korvel_editorCut()))));
  $('pasteRows').addEventListener('click', pasteRows);

  const openSetting = 'korvel.editor';
  function setOpen(open) {
    if (!open) listen.cancel();
    panel.hidden = !open;
    $('editorToggle').setAttribute('aria-checked', String(open));
    keepSetting(openSetting, open ? 'open' : '');
    shown.fill(-2);
    shownRows.fill(blankRow);
    shownChecks = '';
    page.fit();
    update(); // at once: while the page starts, no call into the kit comes to repaint it
  }
  // Opened by the command, the panel takes the keyboard, its table ready to edit.
  $('editorToggle').addEventListener('click', () => {
    setOpen(panel.hidden);
    if (!panel.hidden) grid.focus();
  });
  if (setting(openSetting)) setOpen(true);
  showMode();

  // Ctrl+Z and the rest from anywhere but a text field or the table (which has them from the core).
  addEventListener('keydown', (event) => {
    if (!(event.ctrlKey || event.metaKey) || event.altKey || editing() || event.defaultPrevented) return;
    if (event.target.closest?.('input, select, textarea, dialog')) return;
    const letter = event.key.toLowerCase();
    const command = { z: event.shiftKey ? redo : undo, y: redo }[letter];
    if (!command) return;
    event.preventDefault();
    command();
  });

  return { update, editing, typeKitKey, isOpen: () => !panel.hidden, hooks: listen.hooks };
}
