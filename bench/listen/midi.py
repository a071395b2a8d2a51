"""Reads and writes the Standard MIDI Files of the Listen benchmark's corpus.

Only what the corpus needs: the notes of one voice with their bends (the kit's
tones sit between semitones), tempo changes, and a copy of a file in another
instrument, moved by whole octaves.
"""

import struct


def _varlen(data, pos):
    value = 0
    while True:
        byte = data[pos]
        pos += 1
        value = (value << 7) | (byte & 0x7F)
        if byte < 0x80:
            return value, pos


def _write_varlen(value):
    out = [value & 0x7F]
    value >>= 7
    while value:
        out.append(0x80 | (value & 0x7F))
        value >>= 7
    return bytes(reversed(out))


def read_events(path):
    """(division, [(tick, bytes)]) of every track merged, in order of time."""
    data = open(path, "rb").read()
    if data[:4] != b"MThd":
        raise ValueError(f"{path}: not a MIDI file")
    _, tracks, division = struct.unpack(">HHH", data[8:14])
    if division & 0x8000:
        raise ValueError(f"{path}: SMPTE time is not read")
    pos = 8 + struct.unpack(">I", data[4:8])[0]
    events = []
    for index in range(tracks):
        if data[pos : pos + 4] != b"MTrk":
            raise ValueError(f"{path}: track {index} missing")
        end = pos + 8 + struct.unpack(">I", data[pos + 4 : pos + 8])[0]
        pos += 8
        tick, status, order = 0, 0, 0
        while pos < end:
            delta, pos = _varlen(data, pos)
            tick += delta
            if data[pos] & 0x80:
                status = data[pos]
                pos += 1
            if status == 0xFF:
                kind = data[pos]
                length, body = _varlen(data, pos + 1)
                events.append((tick, index, order, bytes([0xFF, kind]) + data[body : body + length]))
                pos = body + length
            elif status in (0xF0, 0xF7):
                length, body = _varlen(data, pos)
                pos = body + length
            else:
                size = 1 if status & 0xF0 in (0xC0, 0xD0) else 2
                events.append((tick, index, order, bytes([status]) + data[pos : pos + size]))
                pos += size
            order += 1
        pos = end
    events.sort(key=lambda e: (e[0], e[1], e[2]))
    return division, [(tick, body) for tick, _, _, body in events]


def notes(path):
    """[(onset s, pitch in semitones with its bend, duration s)] of a one-voice file."""
    division, events = read_events(path)
    seconds, last_tick, tempo = 0.0, 0, 500000
    bend_range, bend = 2.0, 0.0
    rpn = [127, 127]
    sounding = {}
    out = []
    for tick, body in events:
        seconds += (tick - last_tick) * tempo / division / 1e6
        last_tick = tick
        kind = body[0] & 0xF0
        if body[:2] == b"\xff\x51":
            tempo = int.from_bytes(body[2:5], "big")
        elif kind == 0xB0 and body[1] in (0x65, 0x64):
            rpn[body[1] == 0x64] = body[2]
        elif kind == 0xB0 and body[1] == 0x06 and rpn == [0, 0]:
            bend_range = body[2]
        elif kind == 0xE0:
            bend = ((body[2] << 7 | body[1]) - 8192) / 8192 * bend_range
        elif kind == 0x90 and body[2] > 0:
            sounding[body[1]] = (seconds, body[1] + bend)
        elif kind in (0x80, 0x90) and body[1] in sounding:
            onset, pitch = sounding.pop(body[1])
            out.append((onset, pitch, seconds - onset))
    return sorted(out)


def write_voiced(source, target, program, octaves):
    """source played by GM program (0-based), every note moved by octaves."""
    division, events = read_events(source)
    track = bytearray(b"\x00\xc0" + bytes([program]))
    last = 0
    for tick, body in events:
        kind = body[0] & 0xF0
        if kind == 0xC0 or body[:2] in (b"\xff\x2f",):
            continue
        if kind in (0x80, 0x90):
            body = bytes([body[0] & 0xF0, body[1] + 12 * octaves, body[2]])
        elif kind < 0xF0:
            body = bytes([kind]) + body[1:]  # one channel
        elif body[0] == 0xFF:
            body = body[:2] + _write_varlen(len(body) - 2) + body[2:]
        track += _write_varlen(tick - last) + body
        last = tick
    track += b"\x00\xff\x2f\x00"
    with open(target, "wb") as out:
        out.write(b"MThd" + struct.pack(">IHHH", 6, 0, 1, division))
        out.write(b"MTrk" + struct.pack(">I", len(track)) + track)
