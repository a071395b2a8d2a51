#!/usr/bin/env python3
"""Scores transcriptions of the Listen corpus note by note and prints the table.

  score.py CORPUS RESULTS [--files]

CORPUS/ref/TIMBRE/TUNE.notes are the reference notes; RESULTS/SYSTEM/TIMBRE/
TUNE.notes what each system heard (onset, pitch in semitones, duration a line;
other lines are skipped); RESULTS/SYSTEM/timing holds the seconds it took for
CORPUS/timing.wav. A heard note counts when its onset is within 50 ms and its
pitch within 50 cents of a reference note not yet counted (offsets are
ignored), after one time shift and one whole-octave move for the whole tune,
the best of each. --files adds a line per file.
"""

import os
import sys

ONSET = 0.05
PITCH = 0.5
SHIFTS = [i * 0.005 for i in range(-60, 61)]  # up to 300 ms either way
OCTAVES = [-24, -12, 0, 12, 24]
SYSTEMS = [("ours", "KORVEL Listen"), ("aubionotes", "aubionotes")]
ORDER = ["voice-oohs", "choir-aahs", "flute", "whistle", "violin", "clarinet", "hum", "room"]


def read_notes(path):
    notes = []
    if os.path.exists(path):
        for line in open(path):
            fields = line.split()
            if len(fields) == 3:
                onset, pitch, _ = map(float, fields)
                notes.append((onset, pitch))
    return sorted(notes)


def matches(ref, heard, shift, octave):
    """Notes counted, each reference note and each heard note counted once at most."""
    count, start = 0, 0
    used = [False] * len(heard)
    for onset, pitch in ref:
        while start < len(heard) and heard[start][0] + shift < onset - ONSET:
            start += 1
        for i in range(start, len(heard)):
            heard_onset = heard[i][0] + shift
            if heard_onset > onset + ONSET:
                break
            if not used[i] and abs(heard[i][1] + octave - pitch) <= PITCH:
                used[i] = True
                count += 1
                break
    return count


def score(ref, heard):
    """(precision, recall, F) at the best shift and octave."""
    if not ref or not heard:
        return 0.0, 0.0, 0.0
    best = max(matches(ref, heard, s, o) for s in SHIFTS for o in OCTAVES)
    precision, recall = best / len(heard), best / len(ref)
    f = 2 * precision * recall / (precision + recall) if best else 0.0
    return precision, recall, f


def mean(values):
    return sum(values) / len(values) if values else 0.0


def main(args):
    corpus, results = args[0], args[1]
    per_file = "--files" in args
    timbres = sorted(os.listdir(os.path.join(corpus, "ref")),
                     key=lambda t: ORDER.index(t) if t in ORDER else len(ORDER))
    scores = {system: {} for system, _ in SYSTEMS}
    for timbre in timbres:
        for name in sorted(os.listdir(os.path.join(corpus, "ref", timbre))):
            ref = read_notes(os.path.join(corpus, "ref", timbre, name))
            line = []
            for system, _ in SYSTEMS:
                heard = read_notes(os.path.join(results, system, timbre, name))
                p, r, f = score(ref, heard)
                scores[system].setdefault(timbre, []).append(f)
                line.append(f"{system} P {p:.2f} R {r:.2f} F {f:.2f}")
            if per_file:
                print(f"{timbre}/{name[:-6]}: " + ", ".join(line))
    if per_file:
        print()

    print("| Timbre | Recordings | " + " | ".join(f"{label} F" for _, label in SYSTEMS) + " |")
    print("| --- | ---: | " + " | ".join("---:" for _ in SYSTEMS) + " |")
    for timbre in timbres:
        row = [f"{mean(scores[s][timbre]):.2f}" for s, _ in SYSTEMS]
        print(f"| {timbre} | {len(scores[SYSTEMS[0][0]][timbre])} | " + " | ".join(row) + " |")
    every = {s: [f for fs in scores[s].values() for f in fs] for s, _ in SYSTEMS}
    print(f"| **mean of all** | {len(every[SYSTEMS[0][0]])} | "
          + " | ".join(f"**{mean(every[s]):.2f}**" for s, _ in SYSTEMS) + " |")
    lowest = [f"{min(mean(fs) for fs in scores[s].values()):.2f}" for s, _ in SYSTEMS]
    print("| lowest timbre | | " + " | ".join(lowest) + " |")
    timings = []
    for system, _ in SYSTEMS:
        path = os.path.join(results, system, "timing")
        timings.append(f"{float(open(path).read()):.3f} s" if os.path.exists(path) else "-")
    print("| 30 s recording, one core | | " + " | ".join(timings) + " |")


if __name__ == "__main__":
    main(sys.argv[1:])
