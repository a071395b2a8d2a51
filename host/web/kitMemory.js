// Passing strings and bytes to and from the kit's module (exchange.h), for
// the page and the tune worker alike.
export function kitMemory(kit) {
  const decoder = new TextDecoder();
  const encoder = new TextEncoder();
  return {
    encoder,
    // The zero-ended string at pointer.
    text(pointer) {
      const heap = kit.HEAPU8;
      return decoder.decode(heap.subarray(pointer, heap.indexOf(0, pointer)));
    },
    // Copies bytes into the kit's input buffer for the call that reads them.
    // The buffer may grow the kit's memory, which replaces HEAPU8: read it after.
    putInput(bytes) {
      const at = kit._korvel_input(bytes.length);
      kit.HEAPU8.set(bytes, at);
    },
    // Calls use with a zero-ended copy of value in the kit's memory.
    withString(value, use) {
      const bytes = encoder.encode(value);
      const pointer = kit._malloc(bytes.length + 1);
      kit.HEAPU8.set(bytes, pointer);
      kit.HEAPU8[pointer + bytes.length] = 0;
      try {
        return use(pointer);
      } finally {
        kit._free(pointer);
      }
    },
    // The bytes the module last handed back.
    handedBack() {
      const at = kit._korvel_handedBack();
      return kit.HEAPU8.slice(at, at + kit._korvel_handedBackSize());
    },
  };
}
