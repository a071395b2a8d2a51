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
// The tune editor's panel beside the board while the board keeps this much of its size.
const panelWidth = 540;
const smallestBesideScale = 0.75;

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
    if (now.status !== shown.status) $('status').textContent = now.status;
    shown = now;
  }
  page.afterEachCall(refresh);
  page.afterEachCall(() => {
    buttons.forEach((button, k) => button.classList.toggle('down', !!kit._korvel_held(k)));
  });
  return { buttons, refresh };
}

// Fits the board to the window (or shows it at the zoom chosen), now and as
// the window changes. page: the tune editor (page.editor) once it is set up.
export function arrangeBoard(page) {
  const { x: keypadLeft, y: keypadTop } = keypad;
  // The page fits the screen's own viewport: a mobile browser widens innerWidth
  // to content that overflows. With touch, keys smaller than a fingertip leave
  // the board: its top, with the LED, shown beside or above a larger keypad.
  const smallestKey = Math.min(...layout.keys.flatMap(({ width, height }) => [width, height]));
  const besidePanel = () =>
    page.editor?.isOpen() &&
    document.documentElement.clientWidth - margin - panelWidth - gap >= boardWidth * smallestBesideScale;

  // zoom: 'fit', or the board's scale as a string.
  function arrange(zoom) {
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
    const keysScale = (room) => Math.max(fingerScale, Math.min(room / keypad.width, largestScale));
    if (width > height) {
      const keys = keysScale(height);
      const board = Math.max(0.3, Math.min((width - gap - keypad.width * keys) / boardWidth, height / boardTop));
      return { board, cut: boardTop, keys, x: boardWidth * board + gap, y: 0 };
    }
    const board = Math.min(width / boardWidth, largestScale);
    const keys = keysScale(Math.min(width, height - gap - boardTop * board));
    const x = Math.max(0, boardWidth * board - keypad.width * keys);
    return { board, cut: boardTop, keys, x, y: boardTop * board + gap };
  }

  let zoom = 'fit';
  let pictureWanted = false;
  function fit() {
    document.querySelector('main').classList.toggle('beside', !!besidePanel());
    const { board, cut, keys, x, y } = arrange(zoom);
    const picture = $('board').querySelector('img');
    Object.assign($('board').style, { height: `${cut}px`, transform: `scale(${board})` });
    picture.height = cut;
    $('keys').style.transform = `translate(${x}px, ${y}px) scale(${keys})`;
    Object.assign($('fit').style, {
      width: `${Math.max(boardWidth * board, x + keypad.width * keys)}px`,
      height: `${Math.max(cut * board, y + keypad.height * keys)}px`,
    });
    // The double-size art wherever the screen shows more than the single size has.
    const sharp = devicePixelRatio * Math.max(board, keys) > 1;
    $('fit').classList.toggle('sharp', sharp);
    $('fit').classList.add('arranged');
    const pictures = sharp ? 'art/base@2x.webp 2x' : 'art/base.webp 1x, art/base@2x.webp 2x';
    if (pictureWanted && picture.srcset !== pictures) picture.srcset = pictures;
  }
  matchMedia('(any-pointer: coarse)').addEventListener('change', fit);
  addEventListener('resize', fit);
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
