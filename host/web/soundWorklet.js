// The kit's audio output: plays the 8-bit samples the page posts, keeping a
// store of them so the page's main thread has time to answer, and asks for
// more whenever the store runs low. Between sounds it asks for nothing and
// plays silence, until the page posts samples again.
//
// Messages in: {samples: Uint8Array|null, flush} (null: nothing more to play;
// flush: drop what is stored, the sound was cut), {record: N} (keep the next
// N samples played from the next flush on, with the count of underruns and
// the longest wait between two calls of the audio thread, in ms),
// {report: true}. Out: {want: count}, {report: {samples, breaks, longestWait}}.
import { sound } from './boundary.js';

// The page may be busy for up to storeLow samples (186 ms) before a break.
const storeTarget = 8192;
const storeLow = 4096;
// Room for the store and the answer to an ask already on its way.
const capacity = 16384;

class KitSound extends AudioWorkletProcessor {
  constructor() {
    super();
    this.store = new Uint8Array(capacity);
    this.first = 0;
    this.count = 0;
    this.asked = false;
    this.idle = true;
    // Quanta that found the store short while a sound was playing.
    this.breaks = 0;
    // A machine that starves the audio thread shows here, not in the page's own timers.
    this.longestWait = 0;
    this.lastCall = 0;
    this.recording = null;
    this.recorded = 0;
    this.recordArmed = false;
    this.port.onmessage = (event) => this.receive(event.data);
  }

  receive(message) {
    if (message.record) {
      this.recording = new Uint8Array(message.record);
      this.recorded = 0;
      this.recordArmed = true;
      return;
    }
    if (message.report) {
      const samples = this.recording ? this.recording.slice(0, this.recorded) : new Uint8Array(0);
      this.port.postMessage({ report: { samples, breaks: this.breaks, longestWait: this.longestWait } });
      return;
    }
    if (message.flush) {
      this.count = 0;
      if (this.recordArmed) {
        this.recordArmed = false;
        this.breaks = 0;
        this.longestWait = 0;
        this.lastCall = 0;
      }
    }
    this.asked = false;
    const samples = message.samples;
    this.idle = !samples;
    if (!samples) return;
    // The page never posts more than the store has room for; anything more would be lost.
    const taken = Math.min(samples.length, capacity - this.count);
    for (let i = 0; i < taken; ++i) this.store[(this.first + this.count + i) % capacity] = samples[i];
    this.count += taken;
  }

  process(inputs, outputs) {
    const out = outputs[0][0];
    const played = Math.min(out.length, this.count);
    const keep = this.recording && !this.recordArmed && this.recorded < this.recording.length;
    if (keep) {
      const now = Date.now();
      if (this.lastCall) this.longestWait = Math.max(this.longestWait, now - this.lastCall);
      this.lastCall = now;
    }
    for (let i = 0; i < played; ++i) {
      const value = this.store[(this.first + i) % capacity];
      out[i] = (value - sound.silentLevel) / sound.silentLevel;
      if (keep && this.recorded < this.recording.length) this.recording[this.recorded++] = value;
    }
    this.first = (this.first + played) % capacity;
    this.count -= played;
    if (played < out.length) {
      out.fill(0, played);
      if (!this.idle) {
        ++this.breaks;
        for (let i = played; keep && i < out.length && this.recorded < this.recording.length; ++i)
          this.recording[this.recorded++] = sound.silentLevel;
      }
    }
    if (!this.idle && !this.asked && this.count < storeLow) {
      this.asked = true;
      this.port.postMessage({ want: storeTarget - this.count });
    }
    return true;
  }
}

registerProcessor('kit-sound', KitSound);
