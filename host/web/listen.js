// Listen in the tune editor: a tune sung, whistled or played into the
// microphone becomes steps at the selected row. The browser captures the
// sound as it is (no echo cancellation, noise suppression or automatic gain:
// the pitch tracker wants the voice unchanged), an audio worklet
// (listenWorklet.js) posts it in blocks, and the kit's module hears them
// (listenExports.cpp), by the rules every edition shares. Each animation
// frame draws the pitch heard as a line, newest on the right, with the kit
// note nearest it. Listen again, or Stop and write, writes what was heard as
// one step of undo; Esc, Cancel or the palette's Stop drops it. The sound
// goes nowhere but the page, and the microphone is let go as Listen ends.
import { listen as line, palette } from './boundary.js';

const $ = (id) => document.getElementById(id);
const { control } = palette;

// Why the browser gave no microphone, in a visitor's words; error as getUserMedia threw it.
export function microphoneTrouble(error) {
  if (!navigator.mediaDevices?.getUserMedia)
    return 'The browser lets a page use the microphone only when it is served over https:// or from localhost.';
  switch (error?.name) {
    case 'NotAllowedError':
      return "The browser did not allow this page to use the microphone: allow it in the site's settings and try again.";
    case 'NotFoundError':
      return 'The browser found no microphone: connect one and try again.';
  }
  return `The browser could not open the microphone (${error?.name || 'no reason given'}).`;
}

// The sound as the tracker wants it, from one microphone.
const asItIs = { echoCancellation: false, noiseSuppression: false, autoGainControl: false };

// The pitches (semitones, NaN where silent) drawn on canvas, newest at the
// right edge, between the lowest and highest heard, an octave at least.
function drawLine(canvas, pitches) {
  const scale = devicePixelRatio;
  const width = Math.round(canvas.clientWidth * scale);
  const height = Math.round(canvas.clientHeight * scale);
  if (canvas.width !== width || canvas.height !== height) Object.assign(canvas, { width, height });
  const context = canvas.getContext('2d');
  context.clearRect(0, 0, width, height);
  const voiced = pitches.filter((pitch) => !Number.isNaN(pitch));
  if (!voiced.length) return;
  const middle = (Math.min(...voiced) + Math.max(...voiced)) / 2;
  const span = Math.max(12, Math.max(...voiced) - Math.min(...voiced) + 2);
  const step = width / line.frames;
  const x = (i) => width - (pitches.length - 1 - i) * step;
  const y = (pitch) => height * (0.5 - (pitch - middle) / span);
  context.lineWidth = 2 * scale;
  context.strokeStyle = '#a3221b';
  context.beginPath();
  let drawing = false;
  pitches.forEach((pitch, i) => {
    if (Number.isNaN(pitch)) drawing = false;
    else if (drawing) context.lineTo(x(i), y(pitch));
    else {
      context.moveTo(x(i), y(pitch));
      drawing = true;
    }
  });
  context.stroke();
}

// page: the kit, its strings, act(), note(), tell() and the editor panel's showing of a message.
export function setUpListen(page) {
  const { kit, act } = page;
  const { text } = page.memory;
  const bar = $('listening');
  const canvas = $('pitchLine');
  let button = null; // the palette's Listen
  // While on: {stream, context, node, frame} as each is made; null when off.
  let session = null;
  // For the measurements: when the first loud block came, and when the line first showed a pitch.
  const times = {};

  function show() {
    const on = !!session;
    button?.setAttribute('aria-pressed', String(on));
    bar.hidden = !on;
    const table = $('stepScroll');
    if (on)
      Object.assign(bar.style, {
        top: `${table.offsetTop}px`,
        left: `${table.offsetLeft}px`,
        width: `${table.offsetWidth}px`,
      });
    $('heard').textContent = '';
  }

  function hear(samples) {
    if (!times.loudAt && samples.some((s) => Math.abs(s) > 0.05)) times.loudAt = performance.now();
    const at = kit._korvel_listenBlock(samples.length);
    kit.HEAPF32.set(samples, at / 4);
    kit._korvel_listenFeed(samples.length);
  }

  function draw() {
    session.frame = requestAnimationFrame(draw);
    const at = kit._korvel_listenLine() / 4;
    const pitches = Array.from(kit.HEAPF32.subarray(at, at + kit._korvel_listenLineLength()));
    // The note heard, or nothing beside "Listening" while it hears none.
    const voiced = !Number.isNaN(pitches.at(-1) ?? NaN);
    if (times.loudAt && !times.voicedAt && voiced) times.voicedAt = performance.now();
    $('heard').textContent = voiced ? text(kit._korvel_listenHeard()) : '';
    drawLine(canvas, pitches);
  }

  // The microphone, the worklet and the drawing let go.
  function release({ stream, context, node, frame }) {
    cancelAnimationFrame(frame);
    if (node) node.port.onmessage = null;
    for (const track of stream?.getTracks() ?? []) track.stop();
    context?.close();
  }

  async function start() {
    const own = (session = {});
    Object.keys(times).forEach((key) => delete times[key]);
    show();
    const refused = (error) => {
      if (session !== own) return;
      end(null);
      page.tell('Listen', `Nothing was heard.\n${microphoneTrouble(error)}`);
    };
    if (!navigator.mediaDevices?.getUserMedia) return refused(null);
    try {
      own.stream = await navigator.mediaDevices.getUserMedia({ audio: asItIs, video: false });
    } catch (error) {
      return refused(error);
    }
    // Cancelled while the browser asked: the microphone goes at once.
    if (session !== own) return release(own);
    own.context = new AudioContext();
    try {
      await own.context.audioWorklet.addModule('listenWorklet.js');
    } catch (error) {
      return refused(error);
    }
    if (session !== own) return release(own);
    const { sampleRate } = own.context;
    own.node = new AudioWorkletNode(own.context, 'listen-capture', {
      numberOfOutputs: 0,
      channelCount: 1,
      channelCountMode: 'explicit',
      processorOptions: { blockFrames: Math.round((sampleRate * line.frameMilliseconds) / 1000) },
    });
    kit._korvel_listenStart(sampleRate);
    own.node.port.onmessage = ({ data }) => hear(data);
    own.context.createMediaStreamSource(own.stream).connect(own.node);
    own.context.resume();
    own.frame = requestAnimationFrame(draw);
  }

  // Ends Listen: write, what was heard written at the cursor; else dropped,
  // and said unless quiet (null).
  function end(write) {
    const own = session;
    if (!own) return;
    session = null;
    release(own);
    show();
    if (write && own.node) {
      act(() => kit._korvel_listenStop());
      page.note(text(kit._korvel_listenMessage()), { lasting: true });
      return;
    }
    kit._korvel_listenCancel();
    if (write !== null) page.note('Listen cancelled: nothing was written.');
  }

  const toggle = () => (session ? end(true) : start());

  $('listenStop').addEventListener('click', () => end(true));
  $('listenCancel').addEventListener('click', () => end(false));
  // F7 while the editor is open; Esc while listening, before the table's own Esc.
  addEventListener(
    'keydown',
    (event) => {
      if (document.querySelector('dialog[open]') || event.repeat) return;
      if (event.key === 'F7' && page.editor?.isOpen()) toggle();
      else if (event.key === 'Escape' && session) end(false);
      else return;
      event.preventDefault();
      event.stopImmediatePropagation();
    },
    true,
  );

  return {
    // For the tests and measurements: the seconds heard so far, and times.
    hooks: { listenTimes: times, listenSeconds: () => (session ? kit._korvel_listenSeconds() : 0) },
    // The palette's button shows Listen on; the palette offers each press here first.
    attach(listenButton) {
      button = listenButton;
      show();
    },
    // True when Listen took the palette's button: Listen itself, and Stop while listening.
    takes(entry) {
      if (entry.control === control.listen) toggle();
      else if (entry.control === control.stop && session) end(false);
      else return false;
      return true;
    },
    cancel: () => end(false),
  };
}
