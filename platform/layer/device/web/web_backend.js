// The page's side of the browser backend (web_backend.cpp), linked in with
// --js-library. Its state lives in Module.webScreen: the canvas and its 2D
// context, the picture shown, the keys held, and the figures the page and
// the benchmarks read. A key is held while the keyboard, a finger on the
// page's touch controls (Module.controls) or a game pad holds it.
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

  // The pads the browser shows the page, or none where a permissions policy
  // forbids them.
  $webPads: function() {
    try {
      return navigator.getGamepads ? Array.from(navigator.getGamepads()) : [];
    } catch (error) {
      return [];
    }
  },

  $webPadsConnected__deps: ['$webPads'],
  $webPadsConnected: function() {
    return webPads().some(pad => pad && pad.connected);
  },

  // Whether a pad holds the virtual key now, read at each call so that a
  // key's state is the pad's at the moment the program asks; nothing is kept
  // or built for it. Pads with the standard mapping give the d-pad (buttons
  // 12 to 15), Back (8) and B (1); every pad's first two axes count as the
  // arrows beyond a dead zone, for a stick or a d-pad reported as axes.
  $webPadHolds__deps: ['$webPads'],
  $webPadHolds: function(virtualKey) {
    const DEAD_ZONE = 0.5;
    for (const pad of webPads()) {
      if (!pad || !pad.connected) continue;
      const buttons = pad.mapping == 'standard' ? pad.buttons : [];
      const pressed = index => !!(buttons[index] && buttons[index].pressed);
      const x = pad.axes[0] || 0, y = pad.axes[1] || 0;
      if (virtualKey == 37 ? pressed(14) || x < -DEAD_ZONE
          : virtualKey == 38 ? pressed(12) || y < -DEAD_ZONE
          : virtualKey == 39 ? pressed(15) || x > DEAD_ZONE
          : virtualKey == 40 ? pressed(13) || y > DEAD_ZONE
          : virtualKey == 27 && (pressed(8) || pressed(1)))
        return true;
    }
    return false;
  },

  // False without a canvas that has a 2D context. Writes the canvas's size
  // to size[0] and size[1].
  web_start__deps: ['$webVirtualKeys', '$webPadsConnected'],
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
    const controls = Module['controls'] || null;
    const state = {
      canvas: canvas, context: context, image: null, imageAt: 0,
      keys: new Uint8Array(256), down: new Set(), controls: controls,
      touched: new Uint8Array(256), tapped: new Uint8Array(256), fingers: new Map(), pads: false,
      frames: 0, firstFrameMs: 0, workMs: 0, presentMs: 0,
    };
    function press(event, down) {
      if (kept.has(event.code)) event.preventDefault();
      if (down == state.down.has(event.code)) return;  // a repeat, or never seen going down
      if (down) state.down.add(event.code); else state.down.delete(event.code);
      for (const key of webVirtualKeys(event.code)) state.keys[key] += down ? 1 : -1;
      if (down && controls) controls.hidden = true;  // the keyboard has taken over
    }
    // The keys under a finger at (x, y). The d-pad is a 3 x 3 square whose
    // corners hold two arrows at once; elsewhere it is the control's own key.
    function keysAt(x, y) {
      const square = controls.querySelector('[data-pad]');
      const pad = square ? square.getBoundingClientRect() : {left: 0, top: 0, width: 0, height: 0};
      const column = Math.floor(3 * (x - pad.left) / pad.width);
      const row = Math.floor(3 * (y - pad.top) / pad.height);
      if (column >= 0 && column < 3 && row >= 0 && row < 3)
        return [[37, 0, 39][column], [38, 0, 40][row]].filter(key => key);
      const hit = document.elementFromPoint(x, y);
      const control = hit && controls.contains(hit) && hit.closest('[data-key]');
      return control ? [Number(control.dataset.key)] : [];
    }
    // Each finger holds the keys under it, following it as it slides; a key
    // it pressed stays held until the program has read it once, so that a
    // quick tap is never lost between two frames.
    function follow(event) {
      const id = event.pointerId;
      const ends = event.type == 'pointerup' || event.type == 'pointercancel';
      if (event.type == 'pointerdown') {
        if (!controls || controls.hidden || !controls.contains(event.target)) return;
      } else if (!state.fingers.has(id)) {
        return;
      }
      event.preventDefault();
      const before = state.fingers.get(id) || [];
      const after = ends ? [] : keysAt(event.clientX, event.clientY);
      for (const key of before) --state.touched[key];
      for (const key of after) {
        if (!before.includes(key)) state.tapped[key] = 1;
        ++state.touched[key];
      }
      if (ends) state.fingers.delete(id); else state.fingers.set(id, after);
      for (const button of controls.querySelectorAll('[data-key]'))
        button.classList.toggle('held', state.touched[button.dataset.key] > 0);
    }
    // A key's release never reaches a page that has lost focus or is hidden.
    state.releaseAll = () => {
      state.down.clear();
      state.keys.fill(0);
      state.fingers.clear();
      state.touched.fill(0);
      state.tapped.fill(0);
      if (controls)
        for (const button of controls.querySelectorAll('.held')) button.classList.remove('held');
    };
    state.listeners = [
      [window, 'keydown', event => press(event, true)],
      [window, 'keyup', event => press(event, false)],
      [window, 'blur', state.releaseAll],
      [document, 'visibilitychange', () => { if (document.hidden) state.releaseAll(); }],
      // Until a pad shows up the page asks for none: each look costs about
      // 6 us, five times a frame.
      [window, 'gamepadconnected', () => state.pads = true],
    ];
    if (controls) {
      for (const type of ['pointerdown', 'pointermove', 'pointerup', 'pointercancel'])
        state.listeners.push([window, type, follow]);
      // Back to the touch controls when a finger touches the page again.
      state.listeners.push([window, 'pointerdown', event => {
        if (event.pointerType == 'touch') controls.hidden = false;
      }]);
      state.listeners.push([controls, 'contextmenu', event => event.preventDefault()]);
    }
    // A pad may have been announced before the program listened (a button
    // pressed while the page loaded), or never: look once now.
    state.pads = webPadsConnected();
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

  web_key_held__deps: ['$webPadHolds'],
  web_key_held: function(virtualKey) {
    const state = Module['webScreen'];
    const pad = state.pads && webPadHolds(virtualKey);
    if (pad && state.controls) state.controls.hidden = true;  // a pad has taken over
    const tapped = state.tapped[virtualKey];
    state.tapped[virtualKey] = 0;
    return state.keys[virtualKey] > 0 || state.touched[virtualKey] > 0 || tapped > 0 || pad;
  },

  web_show_pointer: function(visible) {
    Module['webScreen'].canvas.style.cursor = visible ? '' : 'none';
  },
});
