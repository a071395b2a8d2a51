// Standard MIDI Files made for the tests and measurements: a small song of
// two voices, and ten minutes of melody over chords (as bench/midiBench.cpp).
const big = (value, bytes) => Array.from({ length: bytes }, (_, i) => (value >> (8 * (bytes - 1 - i))) & 0xff);

function variableLength(value) {
  const bytes = [value & 0x7f];
  for (value >>= 7; value > 0; value >>= 7) bytes.unshift(0x80 | (value & 0x7f));
  return bytes;
}

// A note of length ticks after delta ticks; more keys sound as a chord.
const note = (delta, channel, keys, length) => [
  ...keys.flatMap((key, i) => [...variableLength(i ? 0 : delta), 0x90 | channel, key, 0x50]),
  ...keys.flatMap((key, i) => [...variableLength(i ? 0 : length), 0x80 | channel, key, 0]),
];
const named = (name) => [0, 0xff, 0x03, name.length, ...Buffer.from(name)];
const tempo = (microsPerCrotchet) => [0, 0xff, 0x51, 3, ...big(microsPerCrotchet, 3)];
const end = [0, 0xff, 0x2f, 0];

// A format-1 file of the given tracks' events, 480 ticks a crotchet.
function midiFile(tracks) {
  const chunks = tracks.map((events) => [
    ...Buffer.from('MTrk'),
    ...big(events.length + end.length, 4),
    ...events,
    ...end,
  ]);
  return Buffer.from([
    ...Buffer.from('MThd'),
    ...big(6, 4),
    ...big(1, 2),
    ...big(tracks.length, 2),
    ...big(480, 2),
    ...chunks.flat(),
  ]);
}

// A tune in a named track and a bass line in another, on channels 1 and 2.
export function smallSong() {
  const tune = [60, 62, 64, 65, 67, 69, 71, 72, 84, 96, 72, 67, 64, 62, 60, 48];
  const bass = [36, 43, 41, 36];
  return midiFile([
    tempo(500000),
    [...named('Flute'), ...tune.flatMap((key, i) => note(i % 4 ? 0 : 120, 0, [key], 240))],
    [...named('Bass'), ...bass.flatMap((key) => note(0, 1, [key], 960))],
  ]);
}

// Ten minutes at 120 crotchets a minute: 2400 quavers of melody over 1200
// crotchet triads on another channel, in three tracks.
export function tenMinuteSong() {
  const scale = [0x3c, 0x3e, 0x40, 0x41, 0x43, 0x45, 0x47, 0x48];
  const melody = Array.from({ length: 2400 }, (_, q) => note(0, 0, [scale[(q * 3 + Math.floor(q / 7)) % 8]], 240));
  const chords = Array.from({ length: 1200 }, (_, c) => {
    const root = 0x30 + (c % 5);
    return note(0, 1, [root, root + 4, root + 7], 480);
  });
  return midiFile([tempo(500000), melody.flat(), chords.flat()]);
}
