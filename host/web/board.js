// The board: the LED's cells and the keys over the board's picture, placed
// from the board's layout (resources/panelLayout.h, by boundary.js), and the board fitted to the
// window or shown at a zoom of its own. The board is arranged from the layout
// alone, before the kit's module has loaded, so that the first paint already
// fits the screen; its picture is fetched once the keys answer, as it would
// otherwise take the line from the kit's code on a slow one.
import { board as layout } from './boundary.js';

const $ = (id) => document.getElementById(id);

const { width: boardWidth, height: boardHeight, keypad } = layout;
const boardTop = 300; // down to just below the LED
const fingertip = 44;
const largestScale = 2; // the art's double size
const margin = 16;
const below = 96; // the status line and two lines of a note
const gap = 8;
// The tune editor's panel beside the board while the board keeps this much of
// its size: wide enough for the table whole, or for it narrowed (korvel.css).
const panelWidths = [620, 540];
const smallestBesideScale = 0.75;
// Where the board has not that room: on a screen whose shorter side is a
// phone's, the keypad folds away while the editor is open, until asked back.
// The kit keeps beside the panel while the panel keeps its narrowest width,
// or above it while the panel keeps its least height; else the page scrolls.
// Beside, the status line and the note may lie below the screen's edge.
const phoneSide = 500;
const narrowestPanel = 400;
const leastPanelHeight = 420;
const smallestSharingScale = 0.5; // keys of 19 px, for a mouse

// page: the kit, its strings, act() (the board follows every call) and the
// tune editor (page.editor) once it is set up.
export function setUpBoard(page) {
  const { kit } = page;
  const { text } = page.memory;
  const { x: keypadLeft, y: keypadTop } = keypad;
  const cells = layout.ledCellLefts.map((left) => {
    const cell = document.createElement('span');
    cell.className = 'cell';
    cell.style.left = `${left}px`;
    cell.style.top = `${layout.ledTop}px`;
    $('led').append(cell);
    return cell;
  });

  const buttons = layout.keys.map(({ x, y, width, height, legend, pcKey }) => {
    const button = document.createElement('button');
    button.className = 'key';
    button.type = 'button';
    button.textContent = legend;
    button.title = `${legend} (PC key ${pcKey})`;
    Object.assign(button.style, {
      left: `${x - keypadLeft}px`,
      top: `${y - keypadTop}px`,
      width: `${width}px`,
      height: `${height}px`,
      backgroundPosition: `${keypadLeft - x}px ${keypadTop - y}px`,
    });
    return button;
  });
  // Tab goes through the keys as they are read: row by row, left to right.
  const byPlace = (a, b) =>
    parseInt(a.style.top) - parseInt(b.style.top) || parseInt(a.style.left) - parseInt(b.style.left);
  $('keys').append(...[...buttons].sort(byPlace));

  let shown = { cells: '', reading: '', status: '' };
  function refresh() {
    const now = { cells: '', reading: text(kit._korvel_ledReading()), status: text(kit._korvel_status()) };
    const numbers = cells.map((_, p) => kit._korvel_ledCell(p));
    now.cells = numbers.join();
    if (now.cells !== shown.cells)
      numbers.forEach((n, p) => (cells[p].style.backgroundPosition = `${-n * layout.ledCellWidth}px 0`));
    if (now.reading !== shown.reading) {
      $('reading').textContent = now.reading;
      $('led').setAttribute('aria-label', `LED ${now.reading}`);
    }
    if (now.status !== shown.status) $('kitStatus').textContent = now.status;
    shown = now;
  }
  page.afterEachCall(refresh);
  page.afterEachCall(() => {
    buttons.forEach((button, k) => button.classList.toggle('down', !!kit._korvel_held(k)));
  });
  return { buttons, refresh };
}

// Fits the board to the window (or shows it at the zoom chosen), now and as
// the window changes, and beside, above or without the tune editor's panel
// (page.editor once it is set up).
export function arrangeBoard(page) {
  const { x: keypadLeft, y: keypadTop } = keypad;
  const root = document.documentElement;
  const sizes = { boardWidth, boardHeight, keypadWidth: keypad.width, keypadHeight: keypad.height, leastPanelHeight };
  for (const [name, pixels] of Object.entries(sizes)) root.style.setProperty(`--${name}`, `${pixels}px`);
  // The page fits the screen's own viewport: a mobile browser widens innerWidth
  // to content that overflows. With touch, keys smaller than a fingertip leave
  // the board: its top, with the LED, shown beside or above a larger keypad,
  // or the keypad alone where the top would be too small to read.
  const smallestKey = Math.min(...layout.keys.flatMap(({ width, height }) => [width, height]));
  const touch = () => matchMedia('(any-pointer: coarse)').matches;
  const fingerScale = fingertip / smallestKey;
  const smallestScale = 0.3;
  const keysAlone = (keys) => ({ board: 1, cut: 0, keys, x: 0, y: 0 });

  // zoom: 'fit', or the board's scale as a string; room: the width and height to fit.
  function arrange(zoom, { width, height }) {
    if (zoom !== 'fit') {
      const scale = Number(zoom);
      return { board: scale, cut: boardHeight, keys: scale, x: keypadLeft * scale, y: keypadTop * scale };
    }
    const whole = Math.max(smallestScale, Math.min(width / boardWidth, height / boardHeight, largestScale));
    if (!touch() || whole * smallestKey >= fingertip)
      return { board: whole, cut: boardHeight, keys: whole, x: keypadLeft * whole, y: keypadTop * whole };
    const keysScale = (room) => Math.max(fingerScale, Math.min(room / keypad.width, largestScale));
    // Side by side, the keypad as high as the board's top where the height allows.
    if (width > height) {
      const keys = keysScale(Math.min(height, ((width - gap) * boardTop) / (boardWidth + boardTop)));
      const board = Math.min((width - gap - keypad.width * keys) / boardWidth, height / boardTop);
      if (board < smallestScale) return keysAlone(keys);
      return { board, cut: boardTop, keys, x: boardWidth * board + gap, y: 0 };
    }
    const board = Math.min(width / boardWidth, largestScale);
    const keys = keysScale(Math.min(width, height - gap - boardTop * board));
    const x = Math.max(0, boardWidth * board - keypad.width * keys);
    return { board, cut: boardTop, keys, x, y: boardTop * board + gap };
  }
  const extent = ({ board, cut, keys, x, y }) => ({
    width: Math.max(cut && boardWidth * board, x + keypad.width * keys),
    height: Math.max(cut * board, y + keypad.height * keys),
  });
  const fits = (arrangement, room) => {
    const { width, height } = extent(arrangement);
    return width <= room.width + 0.5 && height <= room.height + 0.5 && arrangement.keys >= smallestSharingScale;
  };

  // Where the kit goes while the editor is open: 'beside' the panel (of the
  // width given, or taking what the kit leaves), 'above' it, or 'below' (the
  // page scrolls to the panel), and whether it may fold. folded: the
  // keypad folded away by a tap, or null for as the screen suggests.
  let folded = null;
  // top: the board's place on the page below the header, foldHeight: the fold
  // button's and its margin's, where it is shown. Returns the place, the kit's
  // arrangement, whether it is folded where it may fold, and the panel's width
  // where it has one of its own.
  function placeOf(zoom, top, foldHeight) {
    const width = root.clientWidth - margin;
    const height = root.clientHeight - top;
    const alone = { width, height: height - below };
    if (!page.editor?.isOpen()) return { place: 'alone', arrangement: arrange(zoom, alone) };
    const panel = panelWidths.find((p) => width - p - gap >= boardWidth * smallestBesideScale);
    if (panel) return { place: 'beside', panel, arrangement: arrange(zoom, { ...alone, width: width - panel - gap }) };
    const phone = Math.min(root.clientWidth, root.clientHeight) < phoneSide;
    const fold = folded ?? phone;
    // With touch, the keypad alone where the board's top leaves it too little room.
    const keypadAlone = touch() && zoom === 'fit' ? [keysAlone(fingerScale)] : [];
    const sharing = (room) => [arrange(zoom, room), ...keypadAlone].find((a) => fits(a, room));
    const besideRoom = { width: width - gap - narrowestPanel, height: height - foldHeight };
    const beside = width > besideRoom.height && sharing(besideRoom);
    if (beside) return { place: 'beside', fold, arrangement: beside };
    const above = sharing({ width, height: height - foldHeight - below - leastPanelHeight });
    if (above) return { place: 'above', fold, arrangement: above };
    // No room for both: on a phone the keypad alone (or the kit as if alone,
    // without touch or at a zoom); elsewhere the panel below the kit, as far
    // down the page as that takes it.
    if (!phone) return { place: 'below', arrangement: arrange(zoom, alone) };
    return { place: 'above', fold, arrangement: keypadAlone[0] ?? arrange(zoom, alone) };
  }

  let zoom = 'fit';
  let pictureWanted = false;
  // The page laid out for the place (korvel.css), the fold button shown where it may fold.
  function showPlace(where) {
    const main = document.querySelector('main');
    const foldButton = $('fold');
    const compact = 'fold' in where;
    // Folded, the kit's side is a line above the panel, wherever the kit would go.
    if (where.place === 'beside' || compact) main.classList.add(compact && where.fold ? 'above' : where.place);
    main.style.setProperty('--panel-width', where.panel ? `${where.panel}px` : '');
    if (compact) document.body.classList.add('compact');
    if (compact && where.fold) document.body.classList.add('folded');
    foldButton.hidden = !compact;
    foldButton.setAttribute('aria-expanded', String(!where.fold));
    foldButton.textContent = where.fold ? 'Show keypad' : 'Hide keypad';
    $('fit').hidden = compact && where.fold;
  }

  function fit() {
    document.querySelector('main').classList.remove('beside', 'above');
    document.body.classList.remove('compact', 'folded');
    // Measured with the button shown (hiding it would take the focus from it).
    const foldButton = $('fold');
    foldButton.hidden = false;
    $('fit').hidden = false;
    const where = placeOf(zoom, foldButton.offsetTop, $('fit').offsetTop - foldButton.offsetTop);
    showPlace(where);
    const { arrangement } = where;
    const { board, cut, keys, x, y } = arrangement;
    const picture = $('board').querySelector('img');
    $('board').hidden = !cut;
    Object.assign($('board').style, { height: `${cut}px`, transform: `scale(${board})` });
    picture.height = cut;
    $('keys').style.transform = `translate(${x}px, ${y}px) scale(${keys})`;
    const { width, height } = extent(arrangement);
    Object.assign($('fit').style, { width: `${width}px`, height: `${height}px` });
    // The double-size art wherever the screen shows more than the single size has.
    const sharp = devicePixelRatio * Math.max(board, keys) > 1;
    $('fit').classList.toggle('sharp', sharp);
    $('fit').classList.add('arranged');
    const pictures = sharp ? 'art/base@2x.webp 2x' : 'art/base.webp 1x, art/base@2x.webp 2x';
    if (pictureWanted && picture.srcset !== pictures) picture.srcset = pictures;
  }
  matchMedia('(any-pointer: coarse)').addEventListener('change', fit);
  addEventListener('resize', fit);
  // A press leaves the focus where it was: the table keeps editing.
  $('fold').addEventListener('mousedown', (event) => event.preventDefault());
  $('fold').addEventListener('click', () => {
    folded = !$('fit').hidden;
    fit();
  });
  $('keys').style.setProperty('--keypad-in-board', `${-keypadLeft}px ${-keypadTop}px`);
  fit();

  return {
    fit,
    zoomTo(choice) {
      zoom = choice;
      fit();
    },
    // The kit answers: no more word of loading, and the board's picture,
    // which the returned promise waits for (whether it came or not).
    boardReady() {
      pictureWanted = true;
      fit();
      $('loading').remove();
      $('fit').removeAttribute('aria-busy');
      return $('board')
        .querySelector('img')
        .decode()
        .catch(() => {});
    },
  };
}
