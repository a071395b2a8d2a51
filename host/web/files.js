// Scripts in and out: files (loaded, dropped, saved as downloads) and the
// clipboard.
import { files, limits } from './boundary.js';

const { maxScriptBytes, fileHeadBytes } = limits;

// The first count bytes of a file, or null when the browser could not read it.
export const readStart = (file, count) =>
  file
    .slice(0, count)
    .arrayBuffer()
    .then(
      (buffer) => new Uint8Array(buffer),
      () => null,
    );

// Why the clipboard could not be used, in a visitor's words.
export function clipboardTrouble(error) {
  if (!navigator.clipboard)
    return 'The browser lets a page use the clipboard only when it is served over https:// or from localhost.';
  if (error?.name === 'NotAllowedError')
    return "The browser did not allow this page to use the clipboard: allow it in the site's settings and try again.";
  return 'The browser could not use the clipboard.';
}

// page: the kit, its strings, act(), the messages, the tune's names and the
// tune tools (page.tools, for a MIDI file) once set up.
export function setUpFiles(page) {
  const { kit, act, tune } = page;
  const { encoder, text, putInput, withString } = page.memory;

  // The whole tune as script text: start address and tempo with the memory.
  const wholeTuneScript = () => withString(tune.title(), (title) => text(kit._korvel_wholeTuneScript(title)));

  function cantOpen(name, reason) {
    withString(name, (file) => withString(reason, (why) => kit._korvel_openFailed(file, why)));
    page.note('');
    page.tellOutcome();
  }

  // Script bytes in place of the tune in memory (the tune replaced one undo
  // away), from a file called name or the clipboard. The text ends at its first
  // zero byte, which goes in with it: it tells a file of zeros from an empty
  // one. One longer than the loader reads is refused before any of it enters
  // the kit's memory, which would stay grown. What happened is told as a note,
  // what went wrong in a box, and a refusal clears the last note.
  function loadScript(bytes, name, { fromClipboard = false } = {}) {
    const end = bytes.indexOf(0);
    const from = fromClipboard ? files.origin.clipboard : files.origin.file;
    const outcome =
      (end < 0 ? bytes.length : end) > maxScriptBytes
        ? withString(name, (pointer) => kit._korvel_scriptTooLarge(pointer, from))
        : (putInput(end < 0 ? bytes : bytes.subarray(0, end + 1)),
          act(() => withString(name, (pointer) => kit._korvel_loadScript(pointer, from))));
    if (outcome === files.outcome.done) page.note(text(kit._korvel_notice()), { lasting: kit._korvel_skipped() > 0 });
    else page.note('');
    page.tellOutcome();
    return outcome === files.outcome.done;
  }

  // What the file holds (files.kind), as the kit tells it by the file's
  // first bytes; null when the browser could not read them.
  async function fileKind(file) {
    const head = await readStart(file, fileHeadBytes);
    if (!head) return null;
    putInput(head);
    return kit._korvel_tuneFileKind();
  }

  // A script is loaded; a MIDI file or a recording, whatever its name, is imported.
  async function openFile(file) {
    const kind = await fileKind(file);
    if (kind === files.kind.midi || kind === files.kind.recording) page.tools.importFile(file);
    else await loadFile(file);
  }

  async function loadFile(file) {
    // No more than the loader reads, and one byte more to tell a longer script.
    const bytes = await readStart(file, maxScriptBytes + 1);
    if (!bytes) cantOpen(file.name, 'The browser could not read the file');
    else if (loadScript(bytes, file.name)) tune.ofScript(bytes, file.name);
    ++window.korvel.filesRead;
  }

  // Offers a Blob as a download called name; false when the browser refused.
  function download(blob, name) {
    try {
      const url = URL.createObjectURL(blob);
      const link = Object.assign(document.createElement('a'), { href: url, download: name });
      link.click();
      setTimeout(() => URL.revokeObjectURL(url), 60000);
      return true;
    } catch {
      withString(name, (pointer) => kit._korvel_writeFailed(pointer));
      page.tellOutcome();
      return false;
    }
  }

  const save = () => download(new Blob([wholeTuneScript()], { type: 'application/octet-stream' }), tune.fileName());

  async function copyTune() {
    try {
      await navigator.clipboard.writeText(wholeTuneScript());
      page.note('Tune copied.');
    } catch (error) {
      page.tell('Copy Tune', `The tune was not copied.\n${clipboardTrouble(error)} Save keeps it in a file instead.`);
    }
  }

  async function pasteTune() {
    let script;
    try {
      script = await navigator.clipboard.readText();
    } catch (error) {
      page.note('');
      return page.tell(
        'Paste Tune',
        `Nothing was pasted.\n${clipboardTrouble(error)} Load opens a tune from a file instead.`,
      );
    }
    const bytes = encoder.encode(script);
    if (loadScript(bytes, 'Clipboard', { fromClipboard: true })) tune.ofScript(bytes);
  }

  const fileInput = document.getElementById('file');
  fileInput.addEventListener('change', () => {
    const [file] = fileInput.files;
    fileInput.value = '';
    if (file) openFile(file);
  });
  addEventListener('dragover', (event) => event.preventDefault());
  addEventListener('drop', (event) => {
    event.preventDefault();
    const [file] = event.dataTransfer.files;
    if (file) openFile(file);
  });

  return { loadScript, download, save, copyTune, pasteTune, fileKind };
}
