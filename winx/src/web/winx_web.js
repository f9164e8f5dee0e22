// The browser's side of the web backend: the page's events in a queue the core pumps, the
// waits that hand the thread back to the browser (Asyncify), canvases, and the modal box.
mergeInto(LibraryManager.library, {
  $winx__postset: 'winx.listen();',
  $winx: {
    events: [],     // [type, a, b, c, d, e], drained by winx_web_next_event
    wake: null,     // the pending wait's wakeUp, while the program waits for events
    box: null,      // the dialog while one is up: input is its own
    buttons: 0,     // MK_ flags held on our canvases
    dpr: function() { return window.devicePixelRatio || 1; },
    push: function(event) {
      winx.events.push(event);
      if (winx.wake) { var w = winx.wake; winx.wake = null; w(); }
    },
    mods: function(e) { return (e.shiftKey ? 4 : 0) | (e.ctrlKey ? 8 : 0); },
    // Client coordinates in device pixels; a canvas's id names its window.
    pointer: function(type, e, button) {
      var c = e.currentTarget, r = c.getBoundingClientRect(), k = winx.dpr();
      winx.push([type, +c.dataset.window, Math.floor((e.clientX - r.left) * k),
                 Math.floor((e.clientY - r.top) * k), button, winx.buttons | winx.mods(e)]);
    },
    // Keysyms (X's values, which the core's key table reads) and the byte a key types.
    keysym: function(e) {
      var named = {Enter: [0xff0d, 13], Escape: [0xff1b, 27], Backspace: [0xff08, 8],
                   Tab: [0xff09, 9], Delete: [0xffff, 127], ArrowLeft: [0xff51, 0],
                   ArrowUp: [0xff52, 0], ArrowRight: [0xff53, 0], ArrowDown: [0xff54, 0],
                   Shift: [0xffe1, 0], Control: [0xffe3, 0], Alt: [0xffe9, 0]};
      if (named[e.key]) return named[e.key];
      var f = /^F([0-9]+)$/.exec(e.key);
      if (f && f[1] >= 1 && f[1] <= 12) return [0xffbd + +f[1], 0];
      var c = e.key.length == 1 ? e.key.charCodeAt(0) : 0;
      return c >= 0x20 && c <= 0xff ? [c, c] : null;  // Latin-1, the program's code page
    },
    key: function(e, down) {
      if (winx.box || e.metaKey || e.altKey) return;
      var k = winx.keysym(e);
      if (!k) return;
      // The browser keeps its own shortcuts (F5, Ctrl+R...); the rest is the program's.
      if (!e.ctrlKey && !/^F[0-9]+$/.test(e.key)) e.preventDefault();
      winx.push([down ? 5 : 6, k[0], k[1], e.ctrlKey ? 1 : 0, e.repeat ? 1 : 0, 0]);
    },
    listen: function() {
      document.addEventListener('keydown', function(e) { winx.key(e, true); });
      document.addEventListener('keyup', function(e) { winx.key(e, false); });
      document.addEventListener('visibilitychange', function() {
        winx.push([7, document.hidden ? 1 : 0, 0, 0, 0, 0]);
      });
      window.addEventListener('resize', winx.display);
      window.addEventListener('orientationchange', winx.display);
      winx.screen = winx.screenSize();
      winx.ratio = winx.dpr();
      winx.watchRatio();
    },
    // The viewport in device pixels: "the screen".
    screenSize: function() {
      var k = winx.dpr();
      return [Math.round(window.innerWidth * k), Math.round(window.innerHeight * k)];
    },
    // A ratio change alone fires no resize: a query for the ratio now tells when it is no more.
    // (Chromium's emulated ratio fires neither: each presented frame checks the ratio too.)
    watchRatio: function() {
      if (winx.query) winx.query.onchange = null;
      winx.query = matchMedia('(resolution: ' + winx.ratio + 'dppx)');
      winx.query.onchange = winx.display;
    },
    // The screen changed: each canvas keeps its buffer, shown at its size in CSS pixels at the
    // ratio now (crisp); a new size in device pixels is the program's to hear, as a display change.
    display: function() {
      var k = winx.dpr(), s = winx.screenSize();
      if (k != winx.ratio) {
        winx.ratio = k;
        winx.watchRatio();
      }
      document.querySelectorAll('canvas[id^="winx-window-"]').forEach(function(c) {
        c.style.width = c.width / k + 'px';
        c.style.height = c.height / k + 'px';
      });
      if (s[0] == winx.screen[0] && s[1] == winx.screen[1]) return;
      winx.screen = s;
      winx.push([8, s[0], s[1], 0, 0, 0]);
    },
    flags: [1, 16, 2],  // MK_LBUTTON, MK_MBUTTON, MK_RBUTTON by the DOM's button number
    // Touch is the left button, one finger only, as Windows promotes touch to the mouse.
    attach: function(c) {
      c.addEventListener('pointerdown', function(e) {
        if (!e.isPrimary || e.button < 0 || e.button > 2) return;
        e.preventDefault();
        // The implicit grab of other window systems: the drag stays ours outside the canvas.
        c.setPointerCapture(e.pointerId);
        winx.buttons |= winx.flags[e.button];
        winx.pointer(1, e, e.button);
      });
      c.addEventListener('pointerup', function(e) {
        if (!e.isPrimary || e.button < 0 || e.button > 2) return;
        winx.buttons &= ~winx.flags[e.button];
        winx.pointer(2, e, e.button);
      });
      c.addEventListener('pointermove', function(e) { if (e.isPrimary) winx.pointer(3, e, 0); });
      var lost = function() {
        if (winx.buttons) { winx.buttons = 0; winx.push([4, +c.dataset.window, 0, 0, 0, 0]); }
      };
      c.addEventListener('lostpointercapture', lost);
      c.addEventListener('pointercancel', lost);
      c.addEventListener('contextmenu', function(e) { e.preventDefault(); });
      // Without preventDefault a lost context never comes back.
      c.addEventListener('webglcontextlost', function(e) {
        e.preventDefault();
        winx.push([9, +c.dataset.window, 1, 0, 0, 0]);
      });
      c.addEventListener('webglcontextrestored', function() {
        winx.push([9, +c.dataset.window, 0, 0, 0, 0]);
      });
    }
  },

  winx_web_next_event__deps: ['$winx'],
  winx_web_next_event: function(out) {
    var e = winx.events.shift();
    if (!e) return 0;
    for (var i = 0; i < 6; ++i) HEAP32[(out >> 2) + i] = e[i];
    return 1;
  },

  // Sleeps until an event comes or ms pass (-1: no limit); the browser runs meanwhile.
  winx_web_wait__deps: ['$winx'],
  winx_web_wait: function(ms) {
    Asyncify.handleSleep(function(wakeUp) {
      if (winx.events.length) return wakeUp();
      var timer = ms >= 0 ? setTimeout(function() { winx.wake = null; wakeUp(); }, ms) : 0;
      winx.wake = function() { clearTimeout(timer); wakeUp(); };
    });
  },

  // Hands the frame to the browser and sleeps until the next animation frame: 1 then, or 0 as
  // soon as the tab is hidden (it gets no animation frames).
  winx_web_present__deps: ['$winx'],
  winx_web_present: function() {
    return Asyncify.handleSleep(function(wakeUp) {
      if (document.hidden) return wakeUp(0);
      var done = false, finish = function(shown) {
        if (done) return;
        done = true;
        document.removeEventListener('visibilitychange', onHide);
        wakeUp(shown);
      };
      var onHide = function() { if (document.hidden) finish(0); };
      document.addEventListener('visibilitychange', onHide);
      requestAnimationFrame(function() {
        if (winx.dpr() != winx.ratio) winx.display();
        finish(1);
      });
    });
  },

  winx_web_hidden: function() { return document.hidden ? 1 : 0; },

  // WebKit with WebGL turned off has no WebGLRenderingContext, which creating a context names.
  winx_web_webgl: function() { return typeof WebGLRenderingContext != 'undefined' ? 1 : 0; },

  winx_web_screen_size__deps: ['$winx'],
  winx_web_screen_size: function(width, height) {
    var s = winx.screenSize();
    HEAP32[width >> 2] = s[0];
    HEAP32[height >> 2] = s[1];
  },

  // A canvas for window id, width x height device pixels, hidden until shown.
  winx_web_canvas_create__deps: ['$winx'],
  winx_web_canvas_create: function(id, width, height) {
    var c = document.createElement('canvas');
    c.id = 'winx-window-' + id;
    c.dataset.window = id;
    c.hidden = true;
    c.setAttribute('role', 'img');  // a picture, named by the window's title
    (document.getElementById('screen') || document.body).appendChild(c);
    winx.attach(c);
    _winx_web_canvas_size(id, width, height);
  },
  winx_web_canvas_size: function(id, width, height) {
    var c = document.getElementById('winx-window-' + id), k = window.devicePixelRatio || 1;
    c.width = width;
    c.height = height;
    c.style.width = width / k + 'px';
    c.style.height = height / k + 'px';
  },
  winx_web_canvas_show: function(id, show, title) {
    var c = document.getElementById('winx-window-' + id);
    c.hidden = !show;
    if (show) c.setAttribute('aria-label', document.title = UTF8ToString(title));
  },
  // Over every window; a name CSS lacks (Win32's up-arrow) shows the arrow.
  winx_web_set_cursor: function(css) {
    var name = UTF8ToString(css);
    document.querySelectorAll('canvas[id^="winx-window-"]').forEach(function(c) {
      c.style.cursor = name;
      if (c.style.cursor != name) c.style.cursor = 'default';
    });
  },
  winx_web_canvas_destroy: function(id) {
    var c = document.getElementById('winx-window-' + id);
    if (c) c.remove();
  },

  // A modal <dialog>: caption, text, OK. Enter, Space, Esc or OK dismiss it.
  winx_web_message_box__deps: ['$winx'],
  winx_web_message_box: function(text, caption, error) {
    return Asyncify.handleSleep(function(wakeUp) {
      var d = document.createElement('dialog'), h = document.createElement('h1');
      var p = document.createElement('p'), ok = document.createElement('button');
      d.className = error ? 'winx-box error' : 'winx-box';
      h.textContent = UTF8ToString(caption);
      p.textContent = UTF8ToString(text);
      ok.textContent = 'OK';
      h.id = 'winx-box-caption';
      p.id = 'winx-box-text';
      d.setAttribute('aria-labelledby', h.id);
      d.setAttribute('aria-describedby', p.id);
      d.append(h, p, ok);
      document.body.appendChild(d);
      // However it closes (OK, a key, the browser's own Esc): the box is dismissed.
      d.addEventListener('close', function() {
        winx.box = null;
        d.remove();
        wakeUp(1);
      });
      ok.addEventListener('click', function() { d.close(); });
      d.addEventListener('keydown', function(e) {
        if (e.key == 'Enter' || e.key == ' ' || e.key == 'Escape') {
          e.preventDefault();
          d.close();
        }
      });
      winx.box = d;
      d.showModal();
      ok.focus();
    });
  }
});
