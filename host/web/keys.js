// The kit's keys played by pointers, touches and the PC keyboard.

// The tune editor's table and fields, dialogs and open menus keep the keyboard (a key a menu took, Escape
// closing it, included), and a menu's button focused from the keyboard keeps
// the keys that open it.
const menuKeys = [' ', 'Enter', 'ArrowDown', 'ArrowUp'];
const ownsKey = (page, event) =>
  event.defaultPrevented ||
  page.editor?.editing() ||
  event.target.closest?.('input') ||
  document.querySelector('dialog[open]') ||
  (event.target.closest?.('.menus') && (page.menus.isOpen() || menuKeys.includes(event.key)));

// page: the kit, its strings, act(), the board's key buttons, startSound(),
// and the menus and the tune editor (page.menus, page.editor) once set up.
export function setUpKeys(page) {
  const { kit, act, buttons } = page;
  const { withString } = page.memory;
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
      page.startSound();
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
    for (const type of ['pointerup', 'pointercancel', 'lostpointercapture']) button.addEventListener(type, up);
    button.addEventListener('contextmenu', (event) => event.preventDefault());
    // Enter on a focused key, or a screen reader's activation: a press and a release.
    button.addEventListener('click', (event) => {
      if (event.detail !== 0) return;
      page.startSound();
      hold(k);
      letGo(k);
    });
  });

  // The keyboard table decides, in the kit.
  const kitKeyOf = (event) =>
    withString(event.key, (key) => kit._korvel_kitKeyForPcKey(key, event.ctrlKey || event.altKey || event.metaKey));

  addEventListener('keydown', (event) => {
    if (ownsKey(page, event)) return;
    const k = kitKeyOf(event);
    if (k < 0) return;
    event.preventDefault();
    const physical = event.code || event.key;
    if (event.repeat || pcKeys.has(physical)) return;
    page.startSound();
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

  return { letGoAll };
}
