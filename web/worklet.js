// The audio worklet's processor: the module player (its glue above, its wasm compiled by the page) renders each
// block of sound and reports every change of order with the sample frame where it was seen.
// The worklet scope has no performance clock and no crypto; the player's runtime asks for both (the random
// numbers only seed the library's generator, which this module's sound does not use).
if (typeof performance === 'undefined') globalThis.performance = { now: () => Date.now() };
if (typeof crypto === 'undefined') {
  globalThis.crypto = {
    getRandomValues(array) {
      for (let i = 0; i < array.length; ++i) array[i] = Math.floor(Math.random() * 256);
      return array;
    },
  };
}

// A player over the module the page compiled from vesk-player.wasm; fails, rather than waits, when it cannot start.
function newVeskPlayer(module) {
  return new Promise((resolve, reject) => {
    VeskPlayer({
      instantiateWasm(imports, receive) {
        WebAssembly.instantiate(module, imports).then((instance) => receive(instance), reject);
        return {};
      },
    }).then(resolve, reject);
  });
}

// The same file also serves the page's fallback player on the main thread, where there is no worklet scope.
if (typeof AudioWorkletProcessor === 'function') {
class VeskProcessor extends AudioWorkletProcessor {
  constructor(options) {
    super();
    this.player = null;
    this.pending = [];
    this.playing = false;
    this.paused = false;
    this.frames = 0;
    this.lastOrder = -1;
    this.port.onmessage = (event) => (this.player ? this.handle(event.data) : this.pending.push(event.data));
    newVeskPlayer(options.processorOptions.module).then((player) => {
      this.player = player;
      this.pending.forEach((m) => this.handle(m));
      this.pending = [];
    }).catch((error) => this.port.postMessage({ type: 'error', text: String(error) }));
  }

  handle(message) {
    const p = this.player;
    switch (message.type) {
      case 'load': {
        const at = p._vesk_player_module_buffer(message.bytes.length);
        p.HEAPU8.set(message.bytes, at);
        if (!p._vesk_player_load()) this.port.postMessage({ type: 'error', text: 'the module cannot be read' });
        break;
      }
      case 'pan': p._vesk_player_set_pan_separation(message.separation); break;
      case 'volume': p._vesk_player_set_volume(message.volume); break;
      case 'play':
        p._vesk_player_rewind();
        this.playing = true;
        this.paused = false;
        this.frames = 0;
        this.lastOrder = p._vesk_player_order();
        break;
      case 'pause': this.paused = message.paused; break;
      case 'stop': this.playing = false; break;
      case 'free': this.playing = false; p._vesk_player_free(); break;
      default: break;
    }
  }

  process(inputs, outputs) {
    const left = outputs[0][0];
    const right = outputs[0][1] || left;
    if (!this.playing || this.paused || !this.player) {
      left.fill(0);
      right.fill(0);
      return true;
    }
    const p = this.player;
    const n = left.length;
    const at = p._vesk_player_render(n) >> 2;
    left.set(p.HEAPF32.subarray(at, at + n));
    right.set(p.HEAPF32.subarray(at + n, at + 2 * n));
    this.frames += n;
    const order = p._vesk_player_order();
    if (order !== this.lastOrder) {
      this.lastOrder = order;
      this.port.postMessage({ type: 'order', order, frame: this.frames });
    }
    return true;
  }
}

registerProcessor('vesk-player', VeskProcessor);
}
