// The board: the LED's cells and the keys over the board's picture, placed
// from the kit's layout (resources/panelLayout.h), and the board fitted to the
// window or shown at a zoom of its own.
const $ = (id) => document.getElementById(id);

const keyCount = 22;
const ledCellWidth = 19;
const boardWidth = 556;
const boardHeight = 600;
const keypadSize = 198;
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
  page.afterEachCall(refresh);
  page.afterEachCall(() => {
    for (let k = 0; k < keyCount; ++k) buttons[k].classList.toggle('down', !!kit._korvel_held(k));
  });

  // The page fits the screen's own viewport: a mobile browser widens innerWidth
  // to content that overflows. With touch, keys smaller than a fingertip leave
  // the board: its top, with the LED, shown beside or above a larger keypad.
  const smallestKey = Math.min(...layout.subarray(7).filter((_, i) => i % 4 >= 2));
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

  let zoom = 'fit';
  function fit() {
    document.querySelector('main').classList.toggle('beside', !!besidePanel());
    const { board, cut, keys, x, y } = arrange(zoom);
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
    const pictures = sharp ? 'art/base@2x.png 2x' : 'art/base.png 1x, art/base@2x.png 2x';
    if (picture.srcset !== pictures) picture.srcset = pictures;
  }
  matchMedia('(any-pointer: coarse)').addEventListener('change', fit);
  addEventListener('resize', fit);

  return {
    buttons,
    refresh,
    fit,
    zoomTo(choice) {
      zoom = choice;
      fit();
    },
  };
}
