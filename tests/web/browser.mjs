// The system's browsers behind the same verbs, no download, no library: Chromium headless (the
// DevTools protocol on a pipe); Firefox (WebDriver BiDi) and WebKitGTK's MiniBrowser (WebDriver),
// on an Xvfb each, since headless they have no WebGL. And a static server on 127.0.0.1.
import { spawn } from 'node:child_process';
import fs from 'node:fs';
import http from 'node:http';
import net from 'node:net';
import os from 'node:os';
import path from 'node:path';
import zlib from 'node:zlib';

const types = { '.html': 'text/html', '.js': 'text/javascript', '.wasm': 'application/wasm' };

export function serve(dir) {
  const server = http.createServer((req, res) => {
    const file = path.join(dir, new URL(req.url, 'http://x').pathname.replace(/\/$/, '/index.html'));
    fs.readFile(file, (err, data) => {
      res.writeHead(err ? 404 : 200, { 'Content-Type': types[path.extname(file)] || 'text/plain' });
      res.end(err ? '' : data);
    });
  });
  return new Promise((resolve) => server.listen(0, '127.0.0.1', () =>
    resolve({ url: `http://127.0.0.1:${server.address().port}/`, close: () => server.close() })));
}

// Asks test until it holds (or ms pass); its last answer.
export async function until(test, ms = 20000) {
  const end = Date.now() + ms;
  for (;;) {
    const value = await test();
    if (value || Date.now() > end) return value;
    await new Promise((r) => setTimeout(r, 50));
  }
}

// A browser of engine (dpr: WebKit's, once a process; flags: Chromium's). open(url, {width,
// height, dpr, before}) gives a page (CSS pixels; before runs ahead of its scripts, in WebKit
// once loaded): eval, pointer(points, touch) (pressed at the first, released at the last), key,
// shot(rect) (device pixels), hide() and show().
export async function launch(engine, { webgl = true, dpr = 1, flags = [] } = {}) {
  if (!drivers[engine]) throw new Error(`web: no engine '${engine}' (chromium, firefox or webkit)`);
  const profile = fs.mkdtempSync(path.join(os.tmpdir(), `bowlview-${engine}-`)), children = [];
  const start = (command, args, env) => {
    const child = spawn(command, args, { stdio: ['ignore', 'ignore', 'pipe', 'pipe', 'pipe'],
      detached: true, env: { ...process.env, ...env } });
    child.log = '';
    child.stderr.on('data', (d) => { child.log += d; });
    return children[children.length] = child;
  };
  const close = async () => {
    for (const child of children.reverse()) {
      const gone = child.exitCode === null && child.signalCode === null && new Promise((r) => child.once('exit', r));
      // Its children with it, they are in its process group (which may be gone already).
      try { process.kill(-child.pid, 'SIGKILL'); } catch {}
      await gone;
    }
    fs.rmSync(profile, { recursive: true, force: true, maxRetries: 10 });
  };
  try {
    const x = engine !== 'chromium' &&
      start('Xvfb', ['-displayfd', '3', '-screen', '0', '3000x2400x24', '-nolisten', 'tcp']);
    const env = x && { DISPLAY: `:${await ready(x, x.stdio[3], /(\d+)\n/)}` };
    return { close, ...await drivers[engine]({ start, profile, webgl, dpr, flags, env }) };
  } catch (e) {
    await close();
    throw e;
  }
}

const ended = (child) => new Error(`web: ${child.spawnargs[0]} ended: ${child.log.slice(-500)}`);
// What the child prints on stream that re matches first; an error if it ends before.
const ready = (child, stream, re) => new Promise((resolve, reject) => {
  let text = '';
  stream.on('data', (d) => { const m = re.exec(text += d); if (m) resolve(m[1]); });
  child.once('exit', () => reject(ended(child)));
});

// Calls by id over a channel to child, answered in any order; events (no id) are of no interest.
function calls(child, write) {
  let id = 0;
  const pending = new Map();
  const send = (method, params = {}, extra = {}) => new Promise((resolve, reject) => {
    pending.set(++id, { resolve, reject, method });
    write({ id, method, params, ...extra });
  });
  send.receive = (m) => {
    const call = pending.get(m.id);
    pending.delete(m.id);
    const error = m.error && new Error(`${call?.method}: ${m.error.message ?? `${m.error} ${m.message}`}`);
    error ? call?.reject(error) : call?.resolve(m.result);
  };
  child.once('exit', () => pending.forEach((c) => c.reject(ended(child))));
  return send;
}

// WebDriver's input through act(actions): a press, moves and a release; a key typed.
const input = (act) => ({
  pointer: (points, touch, pointerType = touch ? 'touch' : 'mouse') => act([{ type: 'pointer',
    id: pointerType, parameters: { pointerType }, actions: [...points.flatMap(([x, y], i) => [{ type:
      'pointerMove', x: Math.round(x), y: Math.round(y) }, ...i ? [] : [{ type: 'pointerDown', button: 0 }]]),
    { type: 'pointerUp', button: 0 }] }]),
  key: (key) => act([{ type: 'key', id: 'k', actions: ['keyDown', 'keyUp']
    .map((type) => ({ type, value: { Enter: '\uE007', Escape: '\uE00C' }[key] ?? key })) }]),
});

const drivers = {
  chromium({ start, profile, webgl, flags }) {
    const child = start('chromium', ['--headless', '--no-sandbox', '--disable-gpu', '--disable-quic',
      '--no-first-run', '--disable-background-networking', '--disable-component-update',
      '--disable-sync', '--enable-unsafe-swiftshader', '--remote-debugging-pipe',
      `--user-data-dir=${profile}`, ...webgl ? [] : ['--disable-webgl'], ...flags, 'about:blank']);
    const send = calls(child, (m) => child.stdio[3].write(JSON.stringify(m) + '\0'));
    let pending = '';
    child.stdio[4].on('data', (d) => {
      const messages = (pending + d).split('\0');
      pending = messages.pop();
      messages.forEach((text) => send.receive(JSON.parse(text)));
    });
    const tab = async () => (await send('Target.createTarget', { url: 'about:blank' })).targetId;
    return { send, async open(url, { width = 1000, height = 800, dpr = 1, before = '' } = {}) {
      const targetId = await tab();
      const { sessionId } = await send('Target.attachToTarget', { targetId, flatten: true });
      let other;
      const page = {
        send: (method, params) => send(method, params, { sessionId }),
        async eval(expression) {
          const r = await page.send('Runtime.evaluate',
            { expression, returnByValue: true, awaitPromise: true });
          if (r.exceptionDetails) throw new Error(`${expression}: ${r.exceptionDetails.text}`);
          return r.result.value;
        },
        async pointer(points, touch) {  // k: 0 pressed, 1 moved, 2 released
          for (const [k, [x, y]] of [[0, points[0]], ...points.slice(1).map((p) => [1, p]), [2, points.at(-1)]]) {
            await (touch ? page.send('Input.dispatchTouchEvent', { type: ['touchStart', 'touchMove',
              'touchEnd'][k], touchPoints: k < 2 ? [{ x, y }] : [] }) : page.send('Input.dispatchMouseEvent',
            { type: ['mousePressed', 'mouseMoved', 'mouseReleased'][k], x, y, button: 'left',
              buttons: +(k < 2), clickCount: 1 }));
          }
        },
        async key(key) {  // with what it types and its Windows key code
          const [text, windowsVirtualKeyCode] =
            { Enter: ['\r', 13], Escape: ['', 27] }[key] ?? [key, key.toUpperCase().charCodeAt(0)];
          for (const type of [text ? 'keyDown' : 'rawKeyDown', 'keyUp']) {
            await page.send('Input.dispatchKeyEvent', { type, text, key, windowsVirtualKeyCode });
          }
        },
        shot: async ({ x, y, width, height }) => decodePng((await page.send('Page.captureScreenshot',
          { format: 'png', clip: { x, y, width, height, scale: 1 }, captureBeyondViewport: false })).data),
        hide: async () => { other = await tab(); },
        show: async () => {
          await send('Target.closeTarget', { targetId: other });
          await page.send('Page.bringToFront');
        },
        close: () => send('Target.closeTarget', { targetId }),
      };
      await page.send('Emulation.setDeviceMetricsOverride',
        { width, height, deviceScaleFactor: dpr, mobile: false });
      await page.send('Page.enable');  // without it, the script before the page's is not run
      if (before) await page.send('Page.addScriptToEvaluateOnNewDocument', { source: before });
      await page.send('Page.navigate', { url });
      return page;
    } };
  },

  async firefox({ start, profile, webgl, env }) {
    // Its own requests go nowhere, names included: a closed port on this machine is its proxy.
    fs.writeFileSync(path.join(profile, 'user.js'), Object.entries({ 'network.proxy.type': 1,
      'network.proxy.socks': '127.0.0.1', 'network.proxy.socks_port': 9,
      'network.proxy.socks_remote_dns': true, 'webgl.disabled': !webgl })
      .map(([k, v]) => `user_pref("${k}", ${JSON.stringify(v)});\n`).join(''));
    const child = start('firefox-esr',
      ['--remote-debugging-port=0', '--profile', profile, '--no-remote'], env);
    const ws = new WebSocket(`${await ready(child, child.stderr, /BiDi listening on (\S+)/)}/session`);
    const send = calls(child, (m) => ws.send(JSON.stringify(m)));
    ws.onmessage = (e) => send.receive(JSON.parse(e.data));
    await new Promise((resolve) => { ws.onopen = resolve; });
    await send('session.new', { capabilities: {} });
    const tab = async () => (await send('browsingContext.create', { type: 'tab' })).context;
    return { async open(url, { width = 1000, height = 800, dpr = 1, before = '' } = {}) {
      const context = await tab();
      let other;
      await send('browsingContext.setViewport',
        { context, viewport: { width, height }, devicePixelRatio: dpr });
      if (before) {
        await send('script.addPreloadScript', { functionDeclaration: `() => { ${before} }`, contexts: [context] });
      }
      await send('browsingContext.navigate', { context, url });
      return {
        async eval(expression) {  // as JSON: the plain value
          const r = await send('script.evaluate', { target: { context }, awaitPromise: true,
            expression: `(async () => JSON.stringify(await (${expression})))()` });
          if (r.type === 'exception') throw new Error(`${expression}: ${r.exceptionDetails.text}`);
          return JSON.parse(r.result.value ?? 'null');
        },
        ...input((actions) => send('input.performActions', { context, actions })),
        shot: async (box) => decodePng((await send('browsingContext.captureScreenshot',
          { context, clip: { type: 'box', ...box } })).data),
        hide: async () => { other = await tab(); },
        show: async () => {
          await send('browsingContext.close', { context: other });
          await send('browsingContext.activate', { context });
        },
      };
    } };
  },

  async webkit({ start, profile, webgl, dpr, env }) {
    const port = await new Promise((resolve) => {  // a free one
      const s = net.createServer().listen(0, '127.0.0.1', () => { resolve(s.address().port); s.close(); });
    });
    const driver = start('WebKitWebDriver', ['--host=127.0.0.1', `--port=${port}`],
      { ...env, GDK_SCALE: dpr, HOME: profile, XDG_CACHE_HOME: profile, XDG_DATA_HOME: profile });
    let session = '';
    const call = async (method, at, body) => {
      const r = await fetch(`http://127.0.0.1:${port}/session${session}${at}`,
        { method, body: JSON.stringify(body), headers: { 'Content-Type': 'application/json' } });
      const { value } = await r.json();
      if (!r.ok) throw new Error(`webkit: ${at}: ${value.error}: ${value.message}`);
      return value;
    };
    const up = () => driver.exitCode === null &&
      fetch(`http://127.0.0.1:${port}/status`).catch(() => false);
    if (!await until(up, 10000)) throw new Error(`webkit: no driver: ${driver.log.slice(-500)}`);
    session = `/${(await call('POST', '', { capabilities: { alwaysMatch: { 'webkitgtk:browserOptions': {
      // In the machine's multiarch folder of /usr/lib.
      binary: fs.readdirSync('/usr/lib').map((d) => `/usr/lib/${d}/webkit2gtk-4.1/MiniBrowser`)
        .find((f) => fs.existsSync(f)),
      args: ['--automation', `--enable-webgl=${webgl}`] } } } })).sessionId}`;
    const page = {
      eval: (expression) => call('POST', '/execute/sync',
        { script: 'return eval(arguments[0])', args: [expression] }),
      ...input((actions) => call('POST', '/actions', { actions })),
      // The viewport's, cut here (its pictures of an element are out of place).
      shot: async ({ x, y, width, height }) => decodePng(await call('GET', '/screenshot'),
        [x, y, width, height].map((v) => Math.round(v * dpr))),
      hide: () => call('POST', '/window/minimize', {}),
      show: () => call('POST', '/window/rect', page.rect),
    };
    // Its one window; the size with the browser's toolbar.
    return { async open(url, { width = 1000, height = 800, before = '' } = {}) {
      await call('POST', '/window/rect', page.rect = { width, height });
      await call('POST', '/url', { url });
      if (before) await page.eval(before);
      return page;
    } };
  },
};

// A browser's screenshot (an 8-bit RGB or RGBA PNG, base64) as RGB rows, or its part [x, y, w, h].
function decodePng(base64, cut) {
  const png = Buffer.from(base64, 'base64');
  let at = 8, width, height, channels;
  const idat = [];
  while (at < png.length) {
    const length = png.readUInt32BE(at), type = png.toString('ascii', at + 4, at + 8);
    const body = png.subarray(at + 8, at + 8 + length);
    if (type === 'IHDR') [width, height, channels] = [body.readUInt32BE(0), body.readUInt32BE(4), body[9] === 6 ? 4 : 3];
    if (type === 'IDAT') idat.push(body);
    at += 12 + length;
  }
  const raw = zlib.inflateSync(Buffer.concat(idat)), stride = width * channels;
  const [x0, y0, w, h] = cut ?? [0, 0, width, height];
  const rows = Buffer.alloc(height * stride), rgb = Buffer.alloc(w * h * 3);
  for (let y = 0; y < y0 + h; ++y) {
    const filter = raw[y * (stride + 1)];
    for (let i = 0; i < stride; ++i) {
      const x = raw[y * (stride + 1) + 1 + i], o = y * stride + i;
      const a = i >= channels ? rows[o - channels] : 0, b = y ? rows[o - stride] : 0;
      const c = i >= channels && y ? rows[o - stride - channels] : 0;
      const p = a + b - c, pa = Math.abs(p - a), pb = Math.abs(p - b), pc = Math.abs(p - c);
      const predictor = [0, a, b, (a + b) >> 1, pa <= pb && pa <= pc ? a : pb <= pc ? b : c][filter];
      rows[o] = (x + predictor) & 255;
    }
    for (let i = 0, o = y * stride + x0 * channels; y >= y0 && i < w; ++i, o += channels) {
      rows.copy(rgb, ((y - y0) * w + i) * 3, o, o + 3);
    }
  }
  return { width: w, height: h, rgb };
}
