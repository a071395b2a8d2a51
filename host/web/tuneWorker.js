// The tune conversions (tuneTools.cpp) in a worker of their own, so that a
// long import or export never holds up the page: a request in, its answer out,
// matched by id. Bytes come in and a script goes out as transferred buffers;
// an export goes out as a Blob made here, as making one of megabytes takes
// the thread that does it a tenth of a second.
import { kitMemory } from './kitMemory.js';
import createToolsModule from './korvelTools.js';

const ready = createToolsModule().then((kit) => ({ kit, ...kitMemory(kit) }));

// A recording is heard this many frames at a time, within a small heap.
const hearingBlock = 65536;

// The recording's channels heard, a block of frames at a time, their samples
// side by side, until they end or the module has heard enough.
function hear(kit, channels, rate) {
  const length = channels[0]?.length ?? 0;
  if (!kit._korvel_hearStart(rate, channels.length)) return;
  for (let at = 0; at < length; at += hearingBlock) {
    const frames = Math.min(hearingBlock, length - at);
    const block = kit.HEAPF32.subarray(kit._korvel_hearBlock(frames) / 4);
    channels.forEach((samples, c) => {
      for (let i = 0; i < frames; ++i) block[i * channels.length + c] = samples[at + i];
    });
    if (!kit._korvel_hear(frames)) break;
  }
}

function convert({ kit, text, putInput, withString, handedBack }, request) {
  putInput(request.bytes ?? new Uint8Array());
  // What was handed back, and what to tell of it.
  const outcome = (ok) => ({
    ok: !!ok,
    fault: text(kit._korvel_fault()),
    question: text(kit._korvel_question()),
    bytes: ok ? handedBack() : null,
  });
  switch (request.kind) {
    case 'start':
      return { ok: true };
    case 'voices': {
      const count = kit._korvel_midiVoices();
      if (count < 0) return outcome(false);
      return {
        ok: true,
        voices: Array.from({ length: count }, (_, i) => ({
          label: text(kit._korvel_voiceLabel(i)),
          track: kit._korvel_voiceTrack(i),
          channel: kit._korvel_voiceChannel(i),
        })),
      };
    }
    case 'import':
    case 'hear': {
      const { track, channel, transpose, fit, truncate } = request.options;
      const transposed = transpose !== null;
      if (request.kind === 'hear') hear(kit, request.channels, request.rate);
      const ok = withString(request.name, (name) =>
        request.kind === 'hear'
          ? kit._korvel_importHeard(name, transposed, transpose ?? 0, fit, truncate)
          : kit._korvel_importMidi(name, track, channel, transposed, transpose ?? 0, fit, truncate),
      );
      const result = outcome(ok);
      return { ...result, report: ok ? JSON.parse(text(kit._korvel_importReport())) : null };
    }
    case 'wave':
    case 'midi': {
      const { bytes, ...result } = outcome(
        request.kind === 'wave'
          ? kit._korvel_exportWave()
          : withString(request.title, (title) => kit._korvel_exportMidi(title)),
      );
      return { ...result, blob: bytes && new Blob([bytes], { type: request.type }) };
    }
  }
  return { ok: false, fault: `unknown request ${request.kind}` };
}

// A conversion that fails outright leaves the module unusable: the answer
// says so, and the page starts another worker for the next request.
onmessage = async ({ data }) => {
  let answer;
  try {
    answer = { id: data.id, ...convert(await ready, data) };
  } catch {
    answer = { id: data.id, ok: false, fault: 'the converter failed', broken: true };
  }
  postMessage(answer, answer.bytes ? [answer.bytes.buffer] : []);
};
