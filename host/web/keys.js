// The kit's keys played by pointers, touches and the PC keyboard.

// The tune editor's table and fields, dialogs and open menus keep the keyboard (a key a menu took, Escape
// closing it, included), a menu's button focused from the keyboard keeps
// the keys that open it, and a note palette's button those that press it.
const menuKeys = [' ', 'Enter', 'ArrowDown', 'ArrowUp'];
const pressKeys = [' ', 'Enter'];
const ownsKey = (page, event) =>
  event.defaultPrevented ||
  page.editor?.editing() ||
  event.target.closest?.('input') ||
  document.querySelector('dialog[open]') ||
  (event.target.closest?.('.menus') && (page.menus.isOpen() || menuKeys.includes(event.key))) ||
  (event.target.closest?.('#palette') && pressKeys.includes(event.key));

// page: the kit, its strings, act(), the board's key buttons, startSound(),
// and the menus and the tune editor (page.menus, page.editor) once set up.
export function setUpKeys(page) {
  const { kit, act, buttons } = page;
  const { withString } = page.memory;
  const hold = (k) => act(() => kit._korvel_hold(k));
  const letGo = (k) => act(() => kit._korvel_letGo(k));
  const pointers = new Map(); // pointerId -> kit key

  function letGoAll() {
    pointers.clear();
    act(() => kit._korvel_letGoAll());
  }

  buttons.forEach((button, k) => {
    button.addEventListener('pointerdown', (event) => {
      if (event.pointerType === 'mouse' && event.button !== 0) return;
      event.preventDefault(); // the focus stays where it was: the step table goes on taking the kit's keys
      page.startSound();
      button.setPointerCapture(event.pointerId);
      // A key the tune editor takes is not the kit's, neither its press nor its release.
      if (page.editor?.typeKitKey(k)) return;
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

  // The PC keys decide, in the kit: whether the key is the kit's, and what to let go of and hold.
  const physical = (event) => event.code || event.key;
  function doAnswer(event, answer) {
    const { taken, letGo: released, hold: held } = JSON.parse(page.memory.text(answer));
    if (!taken) return;
    event.preventDefault();
    if (released !== undefined) letGo(released);
    if (held === undefined) return;
    page.startSound();
    hold(held);
  }
  const commandHeld = (event) => event.ctrlKey || event.altKey || event.metaKey;
  addEventListener('keydown', (event) => {
    if (ownsKey(page, event)) return;
    withString(physical(event), (code) =>
      withString(event.key, (key) =>
        doAnswer(event, kit._korvel_pcKeyPress(code, key, commandHeld(event), event.repeat)),
      ),
    );
  });
  addEventListener('keyup', (event) => {
    withString(physical(event), (code) =>
      withString(event.key, (key) => doAnswer(event, kit._korvel_pcKeyRelease(code, key))),
    );
  });
  // A key let go elsewhere never reports its release here.
  addEventListener('blur', letGoAll);
  document.addEventListener('visibilitychange', () => document.hidden && letGoAll());

  return { letGoAll };
}
