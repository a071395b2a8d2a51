#!/usr/bin/env python3
"""The Listen benchmark's corpus, piece by piece (bench/listen/make-corpus runs it).

  corpus.py octaves MIDI CENTRE          whole octaves that bring the tune's middle near CENTRE
  corpus.py voice MIDI OUT.mid PROGRAM OCTAVES   the tune for a General MIDI instrument
  corpus.py notes MIDI                   the reference notes: onset, pitch, duration a line
  corpus.py hum MIDI OUT.wav SEED        a hummed rendition (its notes are MIDI's)

The hum is made here, not sampled: a voice's tone with scoops into the notes,
vibrato, slow drift and jitter, louder and softer notes, breath between phrases
and a little breath under the tone, legato notes of the same pitch parted by a
dip in level. Everything random comes from SEED, so the corpus is the same on
every machine.
"""

import array
import math
import random
import sys
import wave

import midi

HUM_RATE = 16000


def octaves(path, centre):
    pitches = sorted(pitch for _, pitch, _ in midi.notes(path))
    return round((centre - pitches[len(pitches) // 2]) / 12)


def _tone_table(size=4096):
    """One cycle of a hummed tone: the low harmonics strong, the rest falling away."""
    weights = [1.0, 0.7, 0.45, 0.3, 0.2, 0.12, 0.08, 0.05, 0.03, 0.02]
    table = [sum(w * math.sin(2 * math.pi * (k + 1) * i / size + k) for k, w in enumerate(weights))
             for i in range(size)]
    peak = max(abs(x) for x in table)
    return [x / peak for x in table]


def hum(notes, path, seed):
    rnd = random.Random(seed)
    table = _tone_table()
    size = len(table)
    end = max(onset + duration for onset, _, duration in notes) + 0.5
    count = int(end * HUM_RATE)
    pitch = [math.nan] * count
    level = [0.0] * count
    for index, (onset, target, duration) in enumerate(notes):
        first, last = int(onset * HUM_RATE), int((onset + duration) * HUM_RATE)
        joined = index + 1 < len(notes) and notes[index + 1][0] - (onset + duration) < 0.02
        scoop = rnd.uniform(0.4, 1.5)  # semitones below the note it starts
        vibrato_depth = rnd.uniform(0.25, 0.5)  # semitones either side
        vibrato_rate = rnd.uniform(4.5, 6.5)
        loudness = rnd.uniform(0.45, 0.9)
        drift = 0.0
        for i in range(first, min(last, count)):
            t = (i - first) / HUM_RATE
            left = (last - i) / HUM_RATE
            drift += rnd.gauss(0, 0.004) - drift * 0.002  # jitter around a slow wander
            depth = vibrato_depth * min(1.0, max(0.0, (t - 0.15) / 0.25))
            pitch[i] = (target - scoop * math.exp(-t / 0.045) + drift +
                        depth * math.sin(2 * math.pi * vibrato_rate * t))
            attack = min(1.0, t / 0.04)
            # A legato note fades a little into the next, a parted one fully.
            release = min(1.0, left / 0.05) if not joined else 0.55 + 0.45 * min(1.0, left / 0.06)
            level[i] = loudness * attack * release
    samples = array.array("h")
    phase, breath = 0.0, 0.0
    for i in range(count):
        breath += 0.25 * (rnd.gauss(0, 1) - breath)
        noise = breath * (0.01 if not math.isnan(pitch[i]) else 0.04)  # louder between notes
        tone = 0.0
        if not math.isnan(pitch[i]):
            phase = (phase + 440 * 2 ** ((pitch[i] - 69) / 12) / HUM_RATE) % 1.0
            tone = level[i] * table[int(phase * size)]
        samples.append(max(-32767, min(32767, int(12000 * (tone + noise)))))
    with wave.open(path, "wb") as out:
        out.setnchannels(1)
        out.setsampwidth(2)
        out.setframerate(HUM_RATE)
        out.writeframes(samples.tobytes())


def print_notes(notes):
    for onset, pitch, duration in notes:
        print(f"{onset:.4f}\t{pitch:.3f}\t{duration:.4f}")


def main(args):
    command = args[0]
    if command == "octaves":
        print(octaves(args[1], float(args[2])))
    elif command == "voice":
        midi.write_voiced(args[1], args[2], int(args[3]), int(args[4]))
    elif command == "notes":
        print_notes(midi.notes(args[1]))
    elif command == "hum":
        hum(midi.notes(args[1]), args[2], int(args[3]))
    else:
        sys.exit(f"corpus.py: unknown command {command}")


if __name__ == "__main__":
    main(sys.argv[1:])
