// The page's menus, as a desktop program's: each a button that opens a list
// of commands, and a command may open a list of its own (a submenu).
//
// Keyboard: Enter, Space or Down on a menu's button opens it at its first
// command, Up at its last; in a menu, Up and Down move (round), Home and End
// go to the ends, a letter to the next command that starts with it, Right
// opens a submenu or the next menu, Left closes a submenu or opens the
// previous menu, Escape closes one level and Tab all of them. A command chosen
// from the keyboard gives the focus back to its menu's button; one clicked
// leaves it to the kit, so that Space after it is RUN.
const opener = (list) => document.getElementById(list.getAttribute('aria-labelledby'));
const listOf = (button) => document.getElementById(button.getAttribute('aria-controls'));
const itemsOf = (list) => [...list.querySelectorAll(':scope > [role^="menuitem"]')];
const parentList = (element) => element.parentElement.closest('[role="menu"]');

export function setUpMenus(bar, { opening }) {
  const buttons = [...bar.querySelectorAll(':scope > .menu > button')];
  let open = []; // the lists open, outermost first

  function close(depth = 0) {
    for (const list of open.splice(depth)) {
      list.hidden = true;
      opener(list).setAttribute('aria-expanded', 'false');
    }
  }

  // Opens a list (closing what is open beside it) and focuses one of its
  // commands: the first, the last, or none.
  function show(list, focus = 'first') {
    const depth = parentList(opener(list)) ? open.indexOf(parentList(opener(list))) + 1 : 0;
    if (depth === 0 && !open.length) opening();
    close(depth);
    list.hidden = false;
    opener(list).setAttribute('aria-expanded', 'true');
    open.push(list);
    keepOnScreen(list);
    const items = itemsOf(list);
    if (focus !== 'none') (focus === 'last' ? items.at(-1) : items[0]).focus();
  }

  // A list that would leave the screen on the right moves left as far as
  // needed, and one that would leave it at the bottom up, short of its top.
  function keepOnScreen(list) {
    list.style.translate = '';
    const { top, right, bottom } = list.getBoundingClientRect();
    const { clientWidth, clientHeight } = document.documentElement;
    const left = Math.max(0, right - clientWidth + 4);
    const up = Math.max(0, Math.min(bottom - clientHeight + 4, top));
    if (left || up) list.style.translate = `${-left}px ${-up}px`;
  }

  function neighbour(button, step) {
    const next = buttons[(buttons.indexOf(button) + step + buttons.length) % buttons.length];
    next.focus();
    show(listOf(next));
  }

  for (const button of buttons) {
    button.addEventListener('click', () => {
      if (open[0] === listOf(button)) close();
      else show(listOf(button));
    });
    // With a menu open, pointing at another menu's button opens that one.
    button.addEventListener('pointerenter', (event) => {
      if (event.pointerType === 'mouse' && open.length && open[0] !== listOf(button)) {
        button.focus();
        show(listOf(button));
      }
    });
    button.addEventListener('keydown', (event) => {
      const where = { ArrowDown: 'first', ArrowUp: 'last' }[event.key];
      if (!where) return;
      event.preventDefault();
      show(listOf(button), where);
    });
  }

  bar.addEventListener('keydown', (event) => {
    const item = event.target.closest('[role^="menuitem"]');
    if (!item) return;
    const list = parentList(item);
    const items = itemsOf(list);
    const at = items.indexOf(item);
    const top = opener(open[0]);
    const submenu = item.getAttribute('aria-haspopup') === 'menu' ? listOf(item) : null;
    const move = (index) => items[(index + items.length) % items.length].focus();
    switch (event.key) {
      case 'ArrowDown':
        move(at + 1);
        break;
      case 'ArrowUp':
        move(at - 1);
        break;
      case 'Home':
        move(0);
        break;
      case 'End':
        move(items.length - 1);
        break;
      case 'ArrowRight':
        if (submenu) show(submenu);
        else neighbour(top, 1);
        break;
      case 'ArrowLeft':
        if (open.length > 1) {
          close(open.length - 1);
          opener(list).focus();
        } else neighbour(top, -1);
        break;
      case 'Escape':
        close(open.indexOf(list));
        opener(list).focus();
        break;
      case 'Tab':
        close();
        return;
      default: {
        // Enter and Space choose the command, as a button's click.
        if (event.key.length !== 1 || event.key === ' ' || event.ctrlKey || event.altKey || event.metaKey) return;
        const letter = event.key.toLowerCase();
        const next = [...items.slice(at + 1), ...items.slice(0, at + 1)].find((i) =>
          i.textContent.trim().toLowerCase().startsWith(letter),
        );
        next?.focus();
      }
    }
    event.preventDefault();
  });

  // Before the command runs (so its own dialog keeps the focus it takes), the
  // menus close and the focus goes back to the menu's button or away.
  bar.addEventListener(
    'click',
    (event) => {
      const item = event.target.closest('[role^="menuitem"]');
      if (!item) return;
      // A submenu stays open, however often its command is chosen.
      if (item.getAttribute('aria-haspopup') === 'menu') {
        if (!open.includes(listOf(item))) show(listOf(item), event.detail ? 'none' : 'first');
        return;
      }
      const top = opener(open[0]);
      close();
      if (event.detail === 0) top.focus();
      else document.activeElement?.blur();
    },
    true,
  );
  // Pointing at a command takes the focus to it; at one with a submenu opens
  // that, at another closes one open beside it.
  bar.addEventListener('pointerover', (event) => {
    const item = event.target.closest('[role^="menuitem"]');
    if (event.pointerType !== 'mouse' || !item) return;
    item.focus();
    const depth = open.indexOf(parentList(item)) + 1;
    if (item.getAttribute('aria-haspopup') === 'menu') {
      if (open[depth] !== listOf(item)) show(listOf(item), 'none');
    } else if (open.length > depth) close(depth);
  });
  // A press anywhere else, or the page losing the focus, closes the menus.
  document.addEventListener('pointerdown', (event) => bar.contains(event.target) || close());
  addEventListener('blur', () => close());
  bar.addEventListener('focusout', (event) => bar.contains(event.relatedTarget) || !event.relatedTarget || close());

  return { close, isOpen: () => open.length > 0 };
}
