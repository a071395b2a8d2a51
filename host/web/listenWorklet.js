// Listen's capture: the microphone's samples, which the node's input has
// already mixed to one channel, posted to the page in blocks of blockFrames
// (processorOptions), a block's buffer handed over, not copied. Nothing is
// kept here after a block is posted, and nothing goes anywhere but the page.
class ListenCapture extends AudioWorkletProcessor {
  constructor({ processorOptions }) {
    super();
    this.size = processorOptions.blockFrames;
    this.block = new Float32Array(this.size);
    this.filled = 0;
  }

  process([input]) {
    const samples = input?.[0];
    for (let at = 0; samples && at < samples.length; ) {
      const taken = Math.min(samples.length - at, this.size - this.filled);
      this.block.set(samples.subarray(at, at + taken), this.filled);
      this.filled += taken;
      at += taken;
      if (this.filled < this.size) break;
      this.port.postMessage(this.block, [this.block.buffer]);
      this.block = new Float32Array(this.size);
      this.filled = 0;
    }
    return true;
  }
}

registerProcessor('listen-capture', ListenCapture);
