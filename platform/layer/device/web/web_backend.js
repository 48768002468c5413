// The page's side of the browser backend (web_backend.cpp), linked in with
// --js-library. Its state lives in Module.webScreen: the canvas and its 2D
// context, the picture shown, the keys held, and the figures the page and
// the benchmarks read.
mergeInto(LibraryManager.library, {
  // Virtual-key codes by KeyboardEvent.code; a key shared by two physical
  // keys (VK_SHIFT) is held while either is.
  $webVirtualKeys: function(code) {
    const named = {
      Backspace: [8], Tab: [9], Enter: [13], NumpadEnter: [13],
      ShiftLeft: [16, 160], ShiftRight: [16, 161], ControlLeft: [17, 162],
      ControlRight: [17, 163], AltLeft: [18, 164], AltRight: [18, 165],
      Pause: [19], Escape: [27], Space: [32], PageUp: [33], PageDown: [34],
      End: [35], Home: [36], ArrowLeft: [37], ArrowUp: [38], ArrowRight: [39],
      ArrowDown: [40], Insert: [45], Delete: [46],
    };
    let match = /^Key([A-Z])$/.exec(code) || /^Digit([0-9])$/.exec(code);
    if (match) return [match[1].charCodeAt(0)];
    match = /^F([1-9]|1[0-2])$/.exec(code);
    return match ? [111 + Number(match[1])] : (named[code] || []);
  },

  // False without a canvas that has a 2D context. Writes the canvas's size
  // to size[0] and size[1].
  web_start__deps: ['$webVirtualKeys'],
  web_start: function(size) {
    const canvas = Module['canvas'];
    let context = null;
    try {
      context = canvas.getContext('2d', {alpha: false});
    } catch (error) {
    }
    if (!context) return 0;
    // The page keeps these for itself: the arrows must not scroll it.
    const kept = new Set(['ArrowLeft', 'ArrowUp', 'ArrowRight', 'ArrowDown', 'Escape']);
    const state = {
      canvas: canvas, context: context, image: null, imageAt: 0,
      keys: new Uint8Array(256), down: new Set(),
      frames: 0, firstFrameMs: 0, workMs: 0, presentMs: 0,
    };
    function press(event, down) {
      if (kept.has(event.code)) event.preventDefault();
      if (down == state.down.has(event.code)) return;  // a repeat, or never seen going down
      if (down) state.down.add(event.code); else state.down.delete(event.code);
      for (const key of webVirtualKeys(event.code)) state.keys[key] += down ? 1 : -1;
    }
    // A key's release never reaches a page that has lost focus or is hidden.
    state.releaseAll = () => {
      state.down.clear();
      state.keys.fill(0);
    };
    state.listeners = [
      [window, 'keydown', event => press(event, true)],
      [window, 'keyup', event => press(event, false)],
      [window, 'blur', state.releaseAll],
      [document, 'visibilitychange', () => { if (document.hidden) state.releaseAll(); }],
    ];
    // No destructuring here: emscripten 3.1.6's minifier mangles it in for-of.
    for (const entry of state.listeners) entry[0].addEventListener(entry[1], entry[2]);
    Module['webScreen'] = state;
    HEAP32[size >> 2] = canvas.width;
    HEAP32[(size >> 2) + 1] = canvas.height;
    return 1;
  },

  web_stop: function() {
    const state = Module['webScreen'];
    for (const entry of state.listeners) entry[0].removeEventListener(entry[1], entry[2]);
    state.releaseAll();
  },

  // A new mode blanks the screen. False when the canvas cannot take the size.
  web_set_mode: function(width, height) {
    const state = Module['webScreen'];
    state.canvas.width = width;
    state.canvas.height = height;
    if (state.canvas.width != width || state.canvas.height != height) return 0;
    state.context.fillStyle = '#000';
    state.context.fillRect(0, 0, width, height);
    return 1;
  },

  // Puts `height` rows of `width` RGBA pixels at `rgba` on the canvas. The
  // picture is a view onto the module's memory, which never grows, so it is
  // made again only when the buffer moves or the size changes. A waiting
  // present counts as a displayed frame.
  web_show_frame: function(rgba, width, height, waited, startedAt, workMs) {
    const state = Module['webScreen'];
    if (state.canvas.width != width || state.canvas.height != height) {
      state.canvas.width = width;
      state.canvas.height = height;
    }
    if (!state.image || state.imageAt != rgba || state.image.width != width ||
        state.image.height != height) {
      const view = new Uint8ClampedArray(HEAPU8.buffer, rgba, width * height * 4);
      state.image = new ImageData(view, width, height);
      state.imageAt = rgba;
    }
    state.context.putImageData(state.image, 0, 0);
    if (!waited) return;
    const now = performance.now();
    if (++state.frames == 1) state.firstFrameMs = now;
    state.workMs += workMs;
    state.presentMs += now - startedAt;
  },

  // Returns at the browser's next refresh, the page having run in between.
  // The program may end while running on from here: exit() then unwinds to
  // this callback with ExitStatus, which is that end and not an error.
  web_wait_for_refresh: function() {
    Asyncify.handleSleep(wakeUp => requestAnimationFrame(() => {
      try {
        wakeUp();
      } catch (error) {
        if (!(error instanceof ExitStatus)) throw error;
      }
    }));
  },

  web_key_held: function(virtualKey) {
    return Module['webScreen'].keys[virtualKey] > 0;
  },

  web_show_pointer: function(visible) {
    Module['webScreen'].canvas.style.cursor = visible ? '' : 'none';
  },
});
