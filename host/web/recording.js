// A recording decoded by the browser (WAV, FLAC, Ogg, MP3 and whatever else
// it reads), for the tune tools' worker to hear.

// What the browser decodes at when the file's head gives no rate of its own.
const usualRate = 48000;

// The sample rate a WAV or FLAC file's head gives, so the browser keeps it,
// hearing the samples korvel-cli hears, rather than resampling; null for
// any other file.
export function ownRate(bytes) {
  const view = new DataView(bytes.buffer, bytes.byteOffset, bytes.byteLength);
  const tag = (at) => String.fromCharCode(...bytes.subarray(at, at + 4));
  // STREAMINFO, the first block, has the rate in the 20 bits from its 11th byte.
  if (tag(0) === 'fLaC') return bytes.length >= 22 ? view.getUint32(18) >>> 12 : null;
  if (tag(0) !== 'RIFF' || tag(8) !== 'WAVE') return null;
  // Chunks of any size, each padded to an even one.
  for (let at = 12; at + 16 <= bytes.length; ) {
    const size = view.getUint32(at + 4, true);
    if (tag(at) === 'fmt ') return view.getUint32(at + 12, true);
    at += 8 + size + (size & 1);
  }
  return null;
}

// The recording's channels and their rate, or null when the browser could
// not decode the bytes as sound. The bytes' buffer is the browser's afterwards.
// A rate the tracker cannot hear is the tools' module's to refuse, in
// korvel-cli's words.
export async function decodeRecording(bytes) {
  try {
    const sound = await new OfflineAudioContext(1, 1, ownRate(bytes) ?? usualRate).decodeAudioData(bytes.buffer);
    const channels = Array.from({ length: sound.numberOfChannels }, (_, c) => sound.getChannelData(c).slice());
    return { channels, rate: sound.sampleRate };
  } catch {
    return null;
  }
}
