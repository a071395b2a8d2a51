// Messages and questions in boxes, and notes under the board.
const $ = (id) => document.getElementById(id);

// page: the kit, its strings, and letGoAll(): a box takes the keyboard, so a
// PC key's release would never arrive.
export function setUpDialogs(page) {
  const { kit } = page;
  const { text } = page.memory;

  function showDialog(id) {
    page.letGoAll();
    $(id).showModal();
  }

  function tell(caption, message) {
    const box = $('message');
    box.querySelector('h2').textContent = caption;
    box.querySelector('p').textContent = message;
    showDialog('message');
  }

  // A question with Cancel and a button that goes on (labelled go); true when
  // that button was chosen. Escape cancels.
  function ask(caption, question, go) {
    const box = $('askBox');
    box.querySelector('h2').textContent = caption;
    box.querySelector('p').textContent = question;
    $('askGo').textContent = go;
    box.returnValue = '';
    showDialog('askBox');
    return new Promise((resolve) =>
      box.addEventListener('close', () => resolve(box.returnValue === 'go'), { once: true }),
    );
  }

  // Shows the message of the kit's last file outcome, if it has one, with the
  // reason on a line of its own.
  function tellOutcome() {
    const message = text(kit._korvel_message());
    if (message) tell(text(kit._korvel_caption()), message);
  }

  // A note fades after a while; a lasting one stays until the next.
  let noteTimer = 0;
  function note(message, { lasting = false } = {}) {
    $('note').textContent = message;
    clearTimeout(noteTimer);
    if (!lasting) noteTimer = setTimeout(() => ($('note').textContent = ''), 8000);
  }

  return { tell, ask, tellOutcome, note, showDialog };
}
