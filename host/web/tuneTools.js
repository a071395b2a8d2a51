// The tune tools of the page: File > Examples, Import (a MIDI file or a
// recording) and the exports as WAV and MIDI. The conversions are
// korvel-cli's own, in the kit's module (tuneTools.cpp), run by a worker
// (tuneWorker.js) so that the page never waits on a long one; the kit itself
// takes only the finished script. A recording is decoded here, by the
// browser, and heard in the worker.
import { files, importChoices, limits } from './boundary.js';
import { readStart } from './files.js';
import { decodeRecording } from './recording.js';

const $ = (id) => document.getElementById(id);

// page: what the tools use of korvel.js: the kit module and its helpers,
// messages, the loaded tune's names and the download.
export function setUpTuneTools(page) {
  const { kit, tell, note, tune } = page;
  const { text, encoder } = page.memory;
  const { maxMidiBytes, maxRecordingBytes, maxTranspose } = limits;

  // ---- The worker ----

  let worker = null;
  let nextId = 0;
  const waiting = new Map(); // id -> resolve
  // The tools' module comes when first asked for: until it has answered, a
  // tool chosen says it is loading them.
  let toolsAnswered = false;
  const loadingTools = 'Loading the tune tools…';

  function convert(request, transfer = []) {
    if (!worker) {
      worker = new Worker('tuneWorker.js', { type: 'module' });
      worker.onmessage = ({ data }) => {
        toolsAnswered = true;
        waiting.get(data.id)?.(data);
        waiting.delete(data.id);
        if (data.broken) {
          worker.terminate();
          worker = null;
        }
      };
      // Unable to start (or broken), it answers every request with the reason.
      worker.onerror = (event) => {
        event.preventDefault();
        worker = null;
        for (const resolve of waiting.values())
          resolve({ ok: false, fault: 'the browser could not run the converter' });
        waiting.clear();
      };
    }
    const id = ++nextId;
    const saying = !toolsAnswered && request.kind !== 'start';
    if (saying) note(loadingTools, { lasting: true });
    return new Promise((resolve) => {
      waiting.set(id, resolve);
      worker.postMessage({ id, ...request }, transfer);
    }).finally(() => {
      if (saying && $('note').textContent === loadingTools) note('');
    });
  }

  // The worker starts as the File menu opens, ready by the time a file is picked.
  $('fileMenu').addEventListener('click', () => worker || convert({ kind: 'start', bytes: new Uint8Array() }));

  // ---- Examples ----

  const examples = $('exampleItems');
  for (let i = 0; i < kit._korvel_exampleCount(); ++i) {
    const item = document.createElement('button');
    item.setAttribute('role', 'menuitem');
    item.tabIndex = -1;
    item.textContent = text(kit._korvel_exampleTitle(i));
    item.dataset.file = text(kit._korvel_exampleName(i));
    item.addEventListener('click', () => {
      const at = kit._korvel_exampleScript(i);
      const bytes = kit.HEAPU8.slice(at, at + kit._korvel_exampleSize(i));
      if (page.loadScript(bytes, item.textContent)) tune.ofExample(bytes, item.dataset.file);
    });
    examples.append(item);
  }

  // ---- Import ----

  const asMidi = 'Import MIDI';
  const asRecording = 'Import Recording';

  // The last note, of a tune loaded before, would read as this one's.
  function cantImport(name, why, title) {
    note('');
    tell(title, `Can't import ${name}: ${why}.\nNothing was changed.`);
  }

  // The import's choices, asked in one dialog; null when cancelled. A
  // recording (voices null) has one voice, and no list of them.
  function askOptions(name, voices, title) {
    const box = $('importBox');
    $('importTitle').textContent = title;
    $('importFile').textContent = name;
    $('importVoice').closest('p').hidden = !voices;
    $('importVoice').replaceChildren(...(voices ?? []).map((voice, i) => new Option(voice.label, i)));
    page.letGoAll();
    box.returnValue = '';
    box.showModal();
    return new Promise((resolve) => {
      box.addEventListener(
        'close',
        () => {
          if (box.returnValue !== 'import') return resolve(null);
          const { track, channel } = voices?.[$('importVoice').value] ?? { track: 0, channel: 0 };
          const by = box.querySelector('input[name="transposition"]:checked').value === 'by';
          resolve({
            track,
            channel,
            transpose: by ? Number($('importSemitones').value) : null,
            fit: $('importFit').checked,
            truncate: $('importTruncate').checked,
          });
        },
        { once: true },
      );
    });
  }
  // The dialog's words and range are the import's own.
  $('importFitLabel').textContent = importChoices.fitLabel;
  $('importTruncateLabel').textContent = importChoices.truncateLabel;
  Object.assign($('importSemitones'), { min: -maxTranspose, max: maxTranspose });
  // The semitones count only when chosen.
  const followTransposition = () => ($('importSemitones').disabled = !$('importBy').checked);
  for (const radio of document.querySelectorAll('input[name="transposition"]'))
    radio.addEventListener('change', followTransposition);
  followTransposition();

  // The report as the kit words it: its notes (the warnings) above its rows.
  function showReport(name, { notes, rows }) {
    const box = $('reportBox');
    $('reportTitle').textContent = `Imported ${name}`;
    $('reportWarnings').replaceChildren(
      ...notes.map((line) => Object.assign(document.createElement('li'), { textContent: line })),
    );
    box.querySelector('table').replaceChildren(
      ...rows.map(({ label, value }) => {
        const row = document.createElement('tr');
        row.append(
          Object.assign(document.createElement('th'), { scope: 'row', textContent: label }),
          Object.assign(document.createElement('td'), { textContent: value }),
        );
        return row;
      }),
    );
    page.letGoAll();
    box.showModal();
  }

  // The tests and measurements count what the tools finished, whichever way.
  const counted =
    (tool) =>
    async (...args) => {
      try {
        return await tool(...args);
      } finally {
        ++window.korvel.toolsDone;
      }
    };

  // The imported script in place of the tune, and its report; timing for the measurements.
  function imported(name, answer, title, timing) {
    if (!answer.ok) return cantImport(name, answer.fault, title);
    if (!page.loadScript(answer.bytes, name)) return;
    tune.ofScript(answer.bytes, name, null); // saved as a script beside it, not over it
    window.korvel.lastImport = { script: answer.bytes, ...timing };
    note(`Tune imported from ${name}: press RUN to play.`);
    showReport(name, answer.report);
  }

  // A MIDI file's voices are read first: a damaged file is told before the choices.
  async function importMidi(file) {
    const bytes = await readStart(file, maxMidiBytes + 1);
    if (!bytes) return cantImport(file.name, 'the browser could not read the file', asMidi);
    if (bytes.length > maxMidiBytes) return cantImport(file.name, text(kit._korvel_midiTooLarge()), asMidi);
    const read = await convert({ kind: 'voices', bytes: bytes.slice() });
    if (!read.ok) return cantImport(file.name, read.fault, asMidi);
    const options = await askOptions(file.name, read.voices, asMidi);
    if (!options) return;
    const started = performance.now();
    const answer = await convert({ kind: 'import', bytes, name: file.name, options }, [bytes.buffer]);
    imported(file.name, answer, asMidi, { milliseconds: performance.now() - started });
  }

  // A recording is decoded first: one the browser cannot read is told before the choices.
  async function importRecording(file) {
    const megabytes = maxRecordingBytes / 2 ** 20;
    if (file.size > maxRecordingBytes)
      return cantImport(
        file.name,
        `it is larger than the ${megabytes} MB the browser decodes at once (korvel-cli import reads a recording of any length)`,
        asRecording,
      );
    const bytes = await readStart(file, maxRecordingBytes);
    if (!bytes) return cantImport(file.name, 'the browser could not read the file', asRecording);
    // A long recording takes the browser seconds: the note says what it does meanwhile.
    note(`Decoding ${file.name}…`, { lasting: true });
    const decodingFrom = performance.now();
    const sound = await decodeRecording(bytes);
    note('');
    if (!sound)
      return cantImport(file.name, 'it is neither a MIDI file nor a recording the browser can decode', asRecording);
    const decoding = performance.now() - decodingFrom;
    const options = await askOptions(file.name, null, asRecording);
    if (!options) return;
    note(`Hearing ${file.name}…`, { lasting: true });
    const started = performance.now();
    const { channels, rate } = sound;
    const request = { kind: 'hear', channels, rate, name: file.name, options };
    const answer = await convert(
      request,
      channels.map((channel) => channel.buffer),
    );
    imported(file.name, answer, asRecording, { milliseconds: performance.now() - started, decoding });
  }

  // A MIDI file by its first bytes; anything else the browser may decode as sound.
  async function importFile(file) {
    const kind = await page.fileKind(file);
    if (kind === null) return cantImport(file.name, 'the browser could not read the file', 'Import');
    return kind === files.kind.midi ? importMidi(file) : importRecording(file);
  }

  // ---- Export ----

  const exportKinds = {
    wave: { caption: 'Export WAV', extension: '.wav', type: 'audio/wav' },
    midi: { caption: 'Export MIDI', extension: '.mid', type: 'audio/midi' },
  };

  async function exportTune(kind) {
    const { caption, extension, type } = exportKinds[kind];
    const name = tune.exportName(extension);
    const answer = await convert({ kind, type, bytes: encoder.encode(page.shareText()), title: tune.title() });
    if (!answer.ok) return tell(caption, `Nothing was exported: ${answer.fault}.`);
    if (answer.question && !(await page.ask(caption, answer.question, 'Export'))) return;
    if (page.download(answer.blob, name)) note(`Exported ${name}.`);
  }

  const importCounted = counted(importFile);
  $('importMidi').addEventListener('click', () => $('midiFile').click());
  $('midiFile').addEventListener('change', () => {
    const [file] = $('midiFile').files;
    $('midiFile').value = '';
    if (file) importCounted(file);
  });
  const exportCounted = counted(exportTune);
  $('exportWave').addEventListener('click', () => exportCounted('wave'));
  $('exportMidi').addEventListener('click', () => exportCounted('midi'));

  return { importFile: importCounted };
}
