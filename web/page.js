// The page around the program: the launch form (built from launch_layout.js), the canvas and its 4:3 box, full
// screen, the audio worklet, the trace of presented frames, and starting the program afresh after each show.
'use strict';

const VeskAudio = (() => {
  let context = null;
  let node = null;
  let queue = [];          // messages posted before the worklet is ready
  let currentOrder = -1;
  let fallback = null;     // the player on this thread, when the page has no sound
  const orderLog = [];     // [order, sample frame, ms since play] at every change the player reports
  let playAt = 0;
  let soundDeadline = 0;   // a context not running by then (2 s after "Run Demo") means no sound output
  let playerModule = null; // vesk-player.wasm, compiled once for the worklet or the silent player

  function compilePlayer() {
    if (!playerModule) playerModule = WebAssembly.compileStreaming(fetch('vesk-player.wasm'));
    return playerModule;
  }

  function receive(message) {
    if (message.type === 'order') {
      currentOrder = message.order;
      orderLog.push([message.order, message.frame, performance.now() - playAt]);
    } else if (message.type === 'error') {
      console.error('vesk audio: ' + message.text);
    }
  }

  // Without sound the module still has to advance: the same player, rendered unheard on a timer.
  function startFallback(reason) {
    console.warn('vesk audio: no sound (' + reason + '); the music advances silently');
    fallback = { player: null, pending: queue || [], playing: false, pausedAt: 0, startMs: 0, frames: 0,
      lastOrder: -1 };
    queue = [];
    // Settles either way: a player that cannot load leaves the song at rest, not the show waiting for it.
    fallback.ready = new Promise((resolve) => {
      const script = document.createElement('script');
      script.src = 'vesk-worklet.js';
      script.onload = () => compilePlayer().then(newVeskPlayer).then((player) => {
        fallback.player = player;
        const pending = fallback.pending;
        fallback.pending = [];
        pending.forEach(handleFallback);
      }).catch((error) => console.error('vesk audio: ' + error)).finally(resolve);
      script.onerror = resolve;
      document.head.appendChild(script);
    });
    setInterval(() => {
      const f = fallback;
      if (!f.player || !f.playing || f.pausedAt) return;
      // Whole blocks of 128 frames, as the worklet renders them.
      const due = Math.floor((performance.now() - f.startMs) * 44.1 / 128) * 128;
      while (f.frames < due) {
        const n = 128;
        f.player._vesk_player_render(n);
        f.frames += n;
        const order = f.player._vesk_player_order();
        if (order !== f.lastOrder) {
          f.lastOrder = order;
          receive({ type: 'order', order, frame: f.frames });
        }
      }
    }, 10);
  }

  function handleFallback(message) {
    const f = fallback;
    if (!f.player) { f.pending.push(message); return; }
    const p = f.player;
    switch (message.type) {
      case 'load': {
        const at = p._vesk_player_module_buffer(message.bytes.length);
        p.HEAPU8.set(message.bytes, at);
        p._vesk_player_load();
        break;
      }
      case 'play':
        p._vesk_player_rewind();
        Object.assign(f, { playing: true, pausedAt: 0, startMs: performance.now(), frames: 0,
          lastOrder: p._vesk_player_order() });
        break;
      // The song's time stands still while it is held: it goes on from the same frame.
      case 'pause':
        if (message.paused && !f.pausedAt) f.pausedAt = performance.now();
        if (!message.paused && f.pausedAt) { f.startMs += performance.now() - f.pausedAt; f.pausedAt = 0; }
        break;
      case 'pan': p._vesk_player_set_pan_separation(message.separation); break;
      case 'volume': p._vesk_player_set_volume(message.volume); break;
      case 'stop': f.playing = false; break;
      case 'free': f.playing = false; p._vesk_player_free(); break;
      default: break;
    }
  }

  return {
    // At page load: the worklet and its player load while the user reads the form, so that the music starts
    // as soon as the show asks for it. The context stays suspended until "Run Demo".
    prepare() {
      if (context || typeof AudioContext !== 'function') return;
      try {
        // Blocks of about 50 ms rather than 10: a fifth of the audio threads' wake-ups, which cost the browser more
        // than the mixing itself. The orders are seen as the blocks are mixed, so the pictures that wait for the music
        // may run a block (three frames) ahead of the sound.
        context = new AudioContext({ sampleRate: 44100, latencyHint: 0.05 });
      } catch (error) {
        context = null;
        return;
      }
      queue = [];
      Promise.all([compilePlayer(), context.audioWorklet.addModule('vesk-worklet.js')]).then(([module]) => {
        node = new AudioWorkletNode(context, 'vesk-player',
          { numberOfInputs: 0, outputChannelCount: [2], processorOptions: { module } });
        node.port.onmessage = (event) => receive(event.data);
        node.connect(context.destination);
        const pending = queue;
        queue = null;
        pending.forEach((m) => node.port.postMessage(m, m.bytes ? [m.bytes.buffer] : []));
      }).catch((error) => {
        if (node === null) startFallback(String(error));
      });
    },
    // Called from "Run Demo", the user's gesture that lets the page start sound.
    start() {
      currentOrder = -1;
      orderLog.length = 0;
      soundDeadline = performance.now() + 2000;
      this.prepare();
      if (fallback) return;
      if (context) context.resume().catch(() => {});
      else startFallback('this browser has no AudioContext');
    },
    // The show opens its sound before it starts its clock, so the music must be able to start at once: this
    // waits until the context runs (resuming one takes Firefox most of a second), or, when it does not run by
    // the deadline (no sound output: Firefox leaves it suspended for good), for the silent player instead.
    async open() {
      while (!fallback && context.state !== 'running' && performance.now() < soundDeadline) {
        await new Promise((resolve) => setTimeout(resolve, 20));
      }
      if (!fallback && context.state !== 'running') startFallback('no sound output');
      if (fallback) {
        document.getElementById('no-sound').hidden = false;
        await fallback.ready;
      }
      return true;
    },
    // The show has closed its sound: the worklet rests until the next "Run Demo".
    close() { if (context) context.suspend(); },
    post(message) {
      if (fallback) handleFallback(message);
      else if (queue) queue.push(message);
      else if (node) node.port.postMessage(message, message.bytes ? [message.bytes.buffer] : []);
    },
    load(bytes) { this.post({ type: 'load', bytes }); return true; },
    play() { currentOrder = 0; playAt = performance.now(); this.post({ type: 'play' }); },
    stop() { this.post({ type: 'stop' }); },
    pause(paused) { this.post({ type: 'pause', paused }); },
    order() { return currentOrder; },
    orderLog() { return orderLog.slice(); },
    sampleRate() { return context ? context.sampleRate : 0; },
  };
})();

const VeskPage = (() => {
  const $ = (id) => document.getElementById(id);
  const params = () => new URLSearchParams(location.search);
  const kInputEscape = 1;
  const kInputPause = 2;
  // sharp: the picture scaled by whole pixels past the box's size in device pixels, then smoothly down to the box;
  // nearest: the canvas at the show's size, stretched by the browser; integer: the largest whole multiple of the
  // show's size, each axis on its own, centred on black. Sharp and integer canvases have the box's device pixels,
  // so that the compositor shows them pixel for pixel: in software it scales far more slowly than the canvas does.
  const scaleMode = ['nearest', 'integer'].includes(params().get('scale')) ? params().get('scale') : 'sharp';
  const canvas = $('screen');
  canvas.className = scaleMode;
  // Desynchronized: the canvas's updates go to the display by their own path instead of with each commit of the
  // page, which in a browser that composites in software takes a sixth of the page's cost of playing.
  const context2d = canvas.getContext('2d', { alpha: false, desynchronized: true });
  // The show's own picture, as the program hands it over; the canvas itself where the browser does the scaling.
  const newCanvas = () => Object.assign(document.createElement('canvas'), { width: canvas.width, height: canvas.height });
  const frame = scaleMode === 'nearest' ? canvas : newCanvas();
  const frame2d = frame === canvas ? context2d : frame.getContext('2d', { alpha: false });
  // Sharp: the picture in whole blocks, at least as large as the box.
  const blocks = scaleMode === 'sharp' ? newCanvas() : null;
  const blocks2d = blocks && blocks.getContext('2d', { alpha: false });
  // Each present waits for `every` animation frames, so that at most about maxFps frames a second are presented
  // (max-fps=0: every animation frame).
  const maxFps = Number(params().get('max-fps') ?? 75);
  let every = 1;
  let refreshProbed = false;
  let input = [];
  let showing = false;
  let fullScreen = false;
  let boxSize = [640, 480];
  let launchResolve = null;
  let compiled = null;
  let trace = null;
  let frames = 0;
  let presents = [];  // [source, clock, music order, ms since Run Demo] of every presented frame
  let runAt = 0;

  // The launch form and the About box, placed in dialog units as the other launch dialogs place them: a unit
  // is a quarter of the dialog font's average character width across and an eighth of its height down.
  const kElementIds = {
    LAUNCH_CONTROLS: { RESOLUTION_LIST: 'resolution', RUN_DEMO_BUTTON: 'run-demo', EXIT_BUTTON: 'exit',
      ABOUT_BUTTON: 'about', WINDOWED_BOX: 'windowed', LOOP_BOX: 'loop', NOSOUND_BOX: 'nosound' },
    ABOUT_CONTROLS: { RUN_DEMO_BUTTON: 'about-ok' },
  };
  function buildDialogs() {
    const L = VeskLayout;
    const font = `${L.DIALOG_FONT_POINTS}pt "${L.DIALOG_FONT}", "MS Sans Serif", sans-serif`;
    const probe = document.createElement('span');
    probe.style.cssText = `position: absolute; visibility: hidden; white-space: nowrap; font: ${font}`;
    probe.textContent = 'ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz';
    document.body.appendChild(probe);
    const measured = probe.getBoundingClientRect();
    probe.remove();
    const unit = [(measured.width / 26 + 1) / 2 / 4, measured.height / 8];
    const px = (units, axis) => Math.round(units * unit[axis]) + 'px';
    const make = (tag, className, text) => {
      const element = document.createElement(tag);
      if (className) element.className = className;
      if (text) element.textContent = text;
      return element;
    };
    const build = (body, width, height, list) => {
      Object.assign(body.style, { font, width: px(width, 0), height: px(height, 1) });
      for (const c of L[list]) {
        const id = c.id && kElementIds[list][c.id];
        let element;
        if (c.kind === 'COMBO') element = make('select');
        else if (c.kind === 'GROUP') element = make('fieldset');
        else if (c.kind === 'BUTTON') element = make('button', null, c.text);
        else if (c.kind === 'CENTRED') element = make('div', 'centred', c.text);
        else if (c.kind === 'LOGO') element = Object.assign(make('img', 'logo'), { src: 'logo.png', alt: '' });
        else if (c.kind.startsWith('CHECK')) element = make('label', 'check');
        else element = make('div', null, c.text);
        if (c.kind === 'GROUP' && c.text) element.append(make('legend', null, c.text));
        if (c.kind.startsWith('CHECK')) {
          const box = Object.assign(make('input'), { type: 'checkbox', disabled: c.kind === 'CHECK_DISABLED' });
          if (box.disabled) element.classList.add('disabled');
          element.append(box, c.text);
          if (id) box.id = id;
        } else if (id) {
          element.id = id;
        }
        Object.assign(element.style, { left: px(c.x, 0), top: px(c.y, 1), width: px(c.width, 0) });
        // A drop-down list's height counts its open list; closed, it is one line high.
        if (c.kind !== 'COMBO') element.style.height = px(c.height, 1);
        body.append(element);
      }
    };
    $('launch-title').textContent = L.LAUNCH_TITLE;
    $('about-title').textContent = L.ABOUT_TITLE;
    build($('launch-body'), L.LAUNCH_WIDTH, L.LAUNCH_HEIGHT, 'LAUNCH_CONTROLS');
    build($('about-body'), L.ABOUT_WIDTH, L.ABOUT_HEIGHT, 'ABOUT_CONTROLS');
  }
  buildDialogs();

  function resize(target, [width, height]) {
    if (target.width === width && target.height === height) return false;
    Object.assign(target, { width, height });
    return true;
  }

  // The show's last picture where the program fills the canvas itself: put on `frame` only when something reads
  // it there (a screenshot, a resized canvas), as putting every picture costs the browser as much as scaling it.
  let picture = null;
  let pictureStale = false;
  function framePicture() {
    if (pictureStale) frame2d.putImageData(picture, 0, 0);
    pictureStale = false;
  }

  function drawScaled() {
    if (frame === canvas) return;
    framePicture();
    if (blocks) blocks2d.drawImage(frame, 0, 0, blocks.width, blocks.height);
    context2d.drawImage(blocks || frame, 0, 0, canvas.width, canvas.height);
  }

  function fitBox() {
    // The largest 4:3 box that fits, no larger than the chosen size in a window.
    let width = fullScreen ? window.innerWidth : Math.min(boxSize[0], window.innerWidth);
    let height = fullScreen ? window.innerHeight : Math.min(boxSize[1], window.innerHeight);
    if (width * 3 > height * 4) width = Math.floor(height * 4 / 3); else height = Math.floor(width * 3 / 4);
    if (frame !== canvas) {
      const ratio = window.devicePixelRatio || 1;
      const [w, h] = [frame.width, frame.height];
      let size = [Math.max(1, Math.round(width * ratio)), Math.max(1, Math.round(height * ratio))];
      if (scaleMode === 'integer') {
        size = [w * Math.max(1, Math.floor(size[0] / w)), h * Math.max(1, Math.floor(size[1] / h))];
      }
      let changed = resize(canvas, size);
      if (blocks) changed = resize(blocks, [w * Math.ceil(size[0] / w), h * Math.ceil(size[1] / h)]) || changed;
      if (changed) {
        // A canvas given a new size forgets how it draws.
        if (blocks) blocks2d.imageSmoothingEnabled = false;
        context2d.imageSmoothingEnabled = Boolean(blocks);
        context2d.imageSmoothingQuality = 'low';
        drawScaled();
      }
      [width, height] = [size[0] / ratio, size[1] / ratio];
    }
    canvas.style.width = width + 'px';
    canvas.style.height = height + 'px';
  }
  window.addEventListener('resize', () => { if (showing) fitBox(); });

  function toggleFullScreen() {
    if (document.fullscreenElement) document.exitFullscreen().catch(() => {});
    else if ($('show').requestFullscreen) {
      $('show').requestFullscreen().catch((error) => console.warn('vesk: no full screen: ' + error));
    }
  }

  // The picture on screen, at the show's size, as a PNG download.
  function saveScreenshot() {
    framePicture();
    frame.toBlob((blob) => {
      if (!blob) return;
      const link = Object.assign(document.createElement('a'), { href: URL.createObjectURL(blob),
        download: 'vesk-' + new Date().toISOString().replace(/[-:]/g, '').slice(0, 15) + '.png' });
      document.body.append(link);
      link.click();
      link.remove();
      setTimeout(() => URL.revokeObjectURL(link.href), 60000);
    }, 'image/png');
  }

  const showActions = {
    pause: () => input.push(kInputPause),
    'full-screen': toggleFullScreen,
    screenshot: saveScreenshot,
    quit: () => input.push(kInputEscape),
  };
  // A clicked button keeps no focus, lest Space or Enter press it again.
  $('full-screen').addEventListener('click', (event) => { event.currentTarget.blur(); toggleFullScreen(); });
  // A tap on the picture shows the touch controls for a few seconds; each use of them keeps them a while longer.
  let touchTimer = 0;
  function showTouchControls() {
    $('touch-controls').hidden = false;
    clearTimeout(touchTimer);
    touchTimer = setTimeout(() => { $('touch-controls').hidden = true; }, 4000);
  }
  canvas.addEventListener('pointerdown', (event) => { if (event.pointerType === 'touch') showTouchControls(); });
  $('touch-controls').addEventListener('click', (event) => {
    const action = showActions[event.target.dataset.action];
    if (!action) return;
    event.target.blur();
    action();
    showTouchControls();
  });

  document.addEventListener('keydown', (event) => {
    if (showing) {
      const key = event.key;
      let action = null;
      if (key === 'Escape') action = showActions.quit;
      else if (key === ' ') action = showActions.pause;
      else if (key === 'F11' || (key === 'Enter' && event.altKey)) action = toggleFullScreen;
      else if (key === 'F12') action = saveScreenshot;
      if (!action) return;
      // The browser's own meaning of these keys (its full screen, its tools, scrolling) stays out of the show.
      event.preventDefault();
      if (!event.repeat || key === 'Escape') action();
      return;
    }
    if (!launchResolve || !$('about-box').hidden) return;
    if (event.key === 'Escape') finishLaunch(-1);
    else if (event.key === 'Enter' && document.activeElement.tagName !== 'BUTTON') runDemo();
  });
  // Leaving full screen keeps the show playing, in its box on the page.
  document.addEventListener('fullscreenchange', () => {
    fullScreen = document.fullscreenElement !== null;
    if (showing) fitBox();
  });

  // The display's refresh rate, from the median interval of a run of animation frames; logged once.
  function probeRefresh() {
    if (refreshProbed) return;
    refreshProbed = true;
    const times = [];
    const step = (time) => {
      times.push(time);
      if (times.length < 31) { requestAnimationFrame(step); return; }
      const intervals = times.slice(1).map((t, i) => t - times[i]).sort((a, b) => a - b);
      const refresh = 1000 / intervals[intervals.length >> 1];
      // A little over the limit still counts as within it: a 75 Hz display that measures 75.3 keeps every frame.
      every = maxFps > 0 ? Math.max(1, Math.ceil(refresh / (maxFps * 1.05))) : 1;
      console.log(`vesk: refresh about ${refresh.toFixed(1)} Hz; presenting every ${every === 1 ? '' : every + ' '}`
        + `animation frame${every === 1 ? '' : 's'}` + (maxFps > 0 ? `, at most ${maxFps} a second` : ''));
    };
    requestAnimationFrame(step);
  }

  function finishLaunch(answer) {
    const resolve = launchResolve;
    launchResolve = null;
    $('launch').hidden = true;
    if (answer < 0) $('exited').hidden = false;
    resolve(answer);
  }

  function runDemo() {
    if (!launchResolve) return;
    const windowed = $('windowed').checked;
    const nosound = $('nosound').checked;
    const item = $('resolution').selectedIndex;
    const label = $('resolution').value.split('x');
    boxSize = [Number(label[0]) || 640, Number(label[1]) || 480];
    fullScreen = !windowed;
    VeskAudio.start();
    // Full screen needs the click itself, so it is asked for here, before the program sets up its display; a
    // page that may not go full screen shows the picture in its largest 4:3 box instead.
    if (fullScreen) {
      $('show').hidden = false;
      fitBox();
      toggleFullScreen();
    }
    trace = params().has('trace') || window.veskRecordTrace ? [] : null;
    frames = 0;
    presents = [];
    runAt = performance.now();
    finishLaunch((item < 0 ? 0xFFFF : item) | (windowed ? 1 << 16 : 0) | (nosound ? 1 << 17 : 0));
  }

  $('run-demo').addEventListener('click', runDemo);
  $('exit').addEventListener('click', () => { if (launchResolve) finishLaunch(-1); });
  $('about').addEventListener('click', () => { $('about-box').hidden = false; $('about-ok').focus(); });
  $('about-ok').addEventListener('click', () => { $('about-box').hidden = true; });
  $('again').addEventListener('click', () => { $('exited').hidden = true; startProgram(); });

  function startProgram() {
    $('loading').hidden = false;
    if (!compiled) compiled = WebAssembly.compileStreaming(fetch('vesk.wasm'));
    createVesk({
      instantiateWasm(imports, receiveInstance) {
        compiled.then((module) => WebAssembly.instantiate(module, imports))
          .then((instance) => receiveInstance(instance))
          .catch((error) => VeskPage.message('The program cannot start: ' + error, 'Error'));
        return {};
      },
      print: (text) => console.log(text),
      printErr: (text) => console.warn(text),
    });
  }

  return {
    runLaunch(items, selection, windowed, nosound) {
      $('loading').hidden = true;
      document.title = VeskLayout.LAUNCH_TITLE;
      const select = $('resolution');
      select.replaceChildren(...items.map((label) => {
        const option = document.createElement('option');
        option.textContent = label;
        return option;
      }));
      select.selectedIndex = selection;
      // Every run of the program opens the form afresh, with the boxes the program offers.
      $('windowed').checked = windowed;
      $('nosound').checked = nosound;
      $('loop').checked = false;
      $('launch').hidden = false;
      $('exited').hidden = true;
      return new Promise((resolve) => { launchResolve = resolve; });
    },
    showShow(isFullScreen, title) {
      if (title) document.title = title;
      input = [];
      showing = true;
      fullScreen = isFullScreen && fullScreen;
      $('show').hidden = false;
      fitBox();
      probeRefresh();
    },
    hideShow() {
      showing = false;
      $('no-sound').hidden = true;
      $('touch-controls').hidden = true;
      $('show').hidden = true;
      if (document.fullscreenElement) document.exitFullscreen().catch(() => {});
    },
    takeInput() { return input.length > 0 ? input.shift() : 0; },
    nextFrame() {
      return new Promise((resolve) => {
        let wait = every;
        const step = () => (--wait > 0 ? requestAnimationFrame(step) : resolve());
        requestAnimationFrame(step);
      });
    },
    // Only a new picture comes here: the program leaves the canvas alone while the picture stays the same. The
    // program also scales it to the canvas (canvasSize) when the page does not leave that to the compositor.
    draw(rgba, width, height, scaled, scaledWidth, scaledHeight) {
      const image = (bytes, w, h) => new ImageData(new Uint8ClampedArray(bytes.buffer, bytes.byteOffset, bytes.length),
        w, h);
      ++frames;
      if (resize(frame, [width, height])) fitBox();
      if (frame === canvas) {
        context2d.putImageData(image(rgba, width, height), 0, 0);
        return;
      }
      if (!picture || picture.width !== width || picture.height !== height) picture = new ImageData(width, height);
      picture.data.set(rgba);
      pictureStale = true;
      if (scaled && canvas.width === scaledWidth && canvas.height === scaledHeight) {
        context2d.putImageData(image(scaled, scaledWidth, scaledHeight), 0, 0);
      } else {
        drawScaled();
      }
    },
    canvasSize() { return frame === canvas ? 0 : canvas.width << 16 | canvas.height; },
    screenSize() { return [window.screen.width || 1024, window.screen.height || 768]; },
    message(text, caption) {
      console.warn(caption + ': ' + text);
      $('message').textContent = caption + ': ' + text;
      $('message').hidden = false;
    },
    // The program has ended: back to the launch form with a fresh program, unless the form said "Exit".
    ended() {
      VeskPage.hideShow();
      VeskAudio.close();
      if ($('exited').hidden) setTimeout(startProgram, 0);
    },
    notePresent(source, clock, order) { presents.push([source, clock, order, performance.now() - runAt]); },
    traceWanted() { return trace !== null; },
    traceAppend(bytes) { if (Array.isArray(trace)) trace.push(bytes); },
    // For tests and tools: the recorded trace as one byte array, and the show's state.
    traceBytes() {
      if (!trace) return new Uint8Array(0);
      if (trace.stopped) return trace.stopped;
      const all = new Uint8Array(trace.reduce((n, b) => n + b.length, 0));
      let at = 0;
      for (const b of trace) { all.set(b, at); at += b.length; }
      return all;
    },
    // Stops recording; what was recorded stays readable through traceBytes.
    stopTrace() { if (trace) { const t = this.traceBytes(); trace = { stopped: t }; } },
    presents(from) { return presents.slice(from || 0); },
    state() {
      return { showing, frames, order: VeskAudio.order(), orderLog: VeskAudio.orderLog(),
               sampleRate: VeskAudio.sampleRate(), launch: !$('launch').hidden };
    },
    start: startProgram,
  };
})();

VeskAudio.prepare();
VeskPage.start();
