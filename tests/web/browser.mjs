// The system's browsers behind the same verbs, each through its own protocol (no download, no
// library): Chromium headless through the DevTools protocol on a pipe; Firefox through WebDriver
// BiDi and WebKitGTK's MiniBrowser through WebDriver over HTTP, both on an X server of their own
// (headless Firefox has no WebGL). And a page served on 127.0.0.1 as any static file server would.
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

// A browser of engine (chromium, firefox or webkit) with WebGL or without; dpr is WebKit's, which
// takes the ratio once per process; flags are Chromium's. Its verbs: open(url, {width, height, dpr, before}) a page, in
// CSS pixels, the script before runs before the page's own (in WebKit, once it has loaded); close.
// A page's: eval(expression), pointer(points, touch) (down, moves, up), key(name), shot(rect)
// (device pixels), hide() behind another tab or window and show() again, close.
export async function launch(engine, { webgl = true, dpr = 1, flags = [] } = {}) {
  const profile = fs.mkdtempSync(path.join(os.tmpdir(), `bowlview-${engine}-`));
  const procs = [], browser = { close: async () => {
    for (const p of procs.reverse()) {
      const gone = new Promise((resolve) => p.exitCode === null ? p.once('exit', resolve) : resolve());
      process.kill(-p.pid, 'SIGKILL');  // its children with it: they are in its process group
      await gone;
    }
    fs.rmSync(profile, { recursive: true, force: true, maxRetries: 10 });
  } };
  const start = (command, args, env = {}) => {
    const p = spawn(command, args, { stdio: ['ignore', 'ignore', 'pipe', 'pipe', 'pipe'], detached: true,
      env: { ...process.env, ...env } });
    p.log = '';
    p.stderr.on('data', (d) => { p.log += d; });
    procs.push(p);
    return p;
  };
  try {
    if (engine === 'chromium') return Object.assign(browser, chromium(start, profile, webgl, flags));
    const x = start('Xvfb', ['-displayfd', '3', '-screen', '0', '3000x2400x24', '-nolisten', 'tcp']);
    const display = `:${String(await new Promise((r) => x.stdio[3].once('data', r))).trim()}`;
    return Object.assign(browser, await { firefox, webkit }[engine](start, profile, { webgl, dpr, display }));
  } catch (e) {
    await browser.close();
    throw e;
  }
}

// Calls by id over a channel, answered in any order; events (no id) are of no interest.
function calls(write) {
  let id = 0;
  const pending = new Map();
  return {
    send: (method, params = {}, extra = {}) => new Promise((resolve, reject) => {
      pending.set(++id, { resolve, reject, method });
      write({ id, method, params, ...extra });
    }),
    receive(m) {
      const call = pending.get(m.id);
      if (!call) return;
      pending.delete(m.id);
      m.error ? call.reject(new Error(`${call.method}: ${m.error.message ?? `${m.error} ${m.message}`}`))
        : call.resolve(m.result);
    },
    fail: (e) => pending.forEach((c) => c.reject(e)),
  };
}

function chromium(start, profile, webgl, flags) {
  const child = start('chromium', ['--headless', '--no-sandbox', '--disable-gpu', '--disable-quic',
    '--no-first-run', '--disable-background-networking', '--disable-component-update',
    '--disable-sync', '--enable-unsafe-swiftshader', '--remote-debugging-pipe',
    `--user-data-dir=${profile}`, ...webgl ? [] : ['--disable-webgl'], ...flags, 'about:blank']);
  const { send, receive, fail } = calls((m) => child.stdio[3].write(JSON.stringify(m) + '\0'));
  child.on('exit', () => fail(new Error(`chromium ended: ${child.log.slice(-500)}`)));
  let pending = '';
  child.stdio[4].on('data', (d) => {
    const parts = (pending + d).split('\0');
    pending = parts.pop();
    parts.forEach((text) => receive(JSON.parse(text)));
  });
  const open = async (url, { width = 1000, height = 800, dpr = 1, before = '' } = {}) => {
    const { targetId } = await send('Target.createTarget', { url: 'about:blank' });
    const { sessionId } = await send('Target.attachToTarget', { targetId, flatten: true });
    let other;
    const page = {
      send: (method, params) => send(method, params, { sessionId }),
      async eval(expression) {
        const r = await page.send('Runtime.evaluate', { expression, returnByValue: true, awaitPromise: true });
        if (r.exceptionDetails) throw new Error(`${expression}: ${r.exceptionDetails.text}`);
        return r.result.value;
      },
      async pointer(points, touch) {
        const [down, move, up] = touch ? ['touchStart', 'touchMove', 'touchEnd']
          : ['mousePressed', 'mouseMoved', 'mouseReleased'];
        for (const [type, x, y] of [[down, ...points[0]], ...points.slice(1).map((p) => [move, ...p]),
          [up, ...points.at(-1)]]) {
          await (touch ? page.send('Input.dispatchTouchEvent', { type, touchPoints: type === up ? [] : [{ x, y }] })
            : page.send('Input.dispatchMouseEvent',
              { type, x, y, button: 'left', buttons: type === up ? 0 : 1, clickCount: 1 }));
        }
      },
      async key(key) {  // by its DOM name, with what it types and its Windows key code
        const [text, code] = { Enter: ['\r', 13], Escape: ['', 27] }[key] ?? [key, key.toUpperCase().charCodeAt(0)];
        await page.send('Input.dispatchKeyEvent', { type: text ? 'keyDown' : 'rawKeyDown', text, key, windowsVirtualKeyCode: code });
        await page.send('Input.dispatchKeyEvent', { type: 'keyUp', key, windowsVirtualKeyCode: code });
      },
      shot: ({ x, y, width, height }) => page.send('Page.captureScreenshot',
        { format: 'png', clip: { x, y, width, height, scale: 1 }, captureBeyondViewport: false }),
      hide: async () => { other = (await send('Target.createTarget', { url: 'about:blank' })).targetId; },
      show: async () => {
        await send('Target.closeTarget', { targetId: other });
        await page.send('Page.bringToFront');
      },
      close: () => send('Target.closeTarget', { targetId }),
    };
    await page.send('Emulation.setDeviceMetricsOverride', { width, height, deviceScaleFactor: dpr, mobile: false });
    await page.send('Page.enable');  // without it, the script before the page's is not run
    if (before) await page.send('Page.addScriptToEvaluateOnNewDocument', { source: before });
    await page.send('Page.navigate', { url });
    return pictures(page);
  };
  return { send, open };
}

// WebDriver's input: a press, moves and a release at points; a key typed.
const pointerActions = (points, touch, pointerType = touch ? 'touch' : 'mouse') => [{ type: 'pointer', id: pointerType, parameters: { pointerType },
  actions: [...points.flatMap(([x, y], i) => [{ type: 'pointerMove', x: Math.round(x), y: Math.round(y) },
    ...i ? [] : [{ type: 'pointerDown', button: 0 }]]), { type: 'pointerUp', button: 0 }] }];
const keyActions = (key) => [{ type: 'key', id: 'k', actions: ['keyDown', 'keyUp']
  .map((type) => ({ type, value: { Enter: '\uE007', Escape: '\uE00C' }[key] ?? key })) }];

// A remote value of WebDriver BiDi as a plain one.
const plain = (v) => v.type === 'array' ? v.value.map(plain)
  : v.type === 'object' ? Object.fromEntries(v.value.map(([k, x]) => [k, plain(x)])) : v.value ?? null;

async function firefox(start, profile, { webgl, display }) {
  // Its own requests go nowhere: a closed port on this machine is its proxy.
  fs.writeFileSync(path.join(profile, 'user.js'), Object.entries({ 'network.proxy.type': 1,
    'network.proxy.http': '127.0.0.1', 'network.proxy.http_port': 9, 'network.proxy.ssl': '127.0.0.1',
    'network.proxy.ssl_port': 9, 'webgl.disabled': !webgl })
    .map(([k, v]) => `user_pref(${JSON.stringify(k)}, ${JSON.stringify(v)});\n`).join(''));
  const child = start('firefox-esr', ['--remote-debugging-port=0', '--profile', profile, '--no-remote'],
    { DISPLAY: display });
  const url = await new Promise((resolve, reject) => {
    child.stderr.on('data', () => /BiDi listening on (\S+)/.test(child.log) && resolve(RegExp.$1));
    child.on('exit', () => reject(new Error(`firefox: ended: ${child.log.slice(-500)}`)));
  });
  const ws = new WebSocket(`${url}/session`);
  const { send, receive, fail } = calls((m) => ws.send(JSON.stringify(m)));
  ws.onmessage = (e) => receive(JSON.parse(e.data));
  ws.onclose = () => fail(new Error(`firefox: gone: ${child.log.slice(-500)}`));
  await new Promise((resolve) => { ws.onopen = resolve; });
  await send('session.new', { capabilities: {} });
  const open = async (url, { width = 1000, height = 800, dpr = 1, before = '' } = {}) => {
    const { context } = await send('browsingContext.create', { type: 'tab' });
    let other;
    const page = {
      async eval(expression) {
        const r = await send('script.evaluate', { expression, target: { context }, awaitPromise: true });
        if (r.type === 'exception') throw new Error(`${expression}: ${r.exceptionDetails.text}`);
        return plain(r.result);
      },
      pointer: (points, touch) => send('input.performActions', { context, actions: pointerActions(points, touch) }),
      key: (key) => send('input.performActions', { context, actions: keyActions(key) }),
      shot: (box) => send('browsingContext.captureScreenshot', { context, clip: { type: 'box', ...box } }),
      hide: async () => { other = (await send('browsingContext.create', { type: 'tab' })).context; },
      show: async () => {
        await send('browsingContext.close', { context: other });
        await send('browsingContext.activate', { context });
      },
      close: () => send('browsingContext.close', { context }),
    };
    await send('browsingContext.setViewport', { context, viewport: { width, height }, devicePixelRatio: dpr });
    if (before) await send('script.addPreloadScript', { functionDeclaration: `() => { ${before} }`, contexts: [context] });
    await send('browsingContext.navigate', { context, url });
    return pictures(page);
  };
  return { open };
}

async function webkit(start, profile, { webgl, dpr, display }) {
  const port = await new Promise((resolve) => {
    const s = net.createServer().listen(0, '127.0.0.1', () => { const { port } = s.address(); s.close(() => resolve(port)); });
  });
  start('WebKitWebDriver', ['--host=127.0.0.1', `--port=${port}`],
    { DISPLAY: display, GDK_SCALE: dpr, HOME: profile, XDG_CACHE_HOME: profile, XDG_DATA_HOME: profile });
  let session = '';
  const call = async (method, at, body) => {
    const r = await fetch(`http://127.0.0.1:${port}/session${session}${at}`, { method, body: JSON.stringify(body) });
    const { value } = await r.json();
    if (!r.ok) throw new Error(`webkit: ${at}: ${value.error}: ${value.message}`);
    return value;
  };
  await until(() => fetch(`http://127.0.0.1:${port}/status`).catch(() => false), 10000);
  session = `/${(await call('POST', '', { capabilities: { alwaysMatch: { 'webkitgtk:browserOptions': {
    binary: '/usr/lib/x86_64-linux-gnu/webkit2gtk-4.1/MiniBrowser',
    args: ['--automation', `--enable-webgl=${webgl}`] } } } })).sessionId}`;
  const page = pictures({
    eval: (expression) => call('POST', '/execute/sync', { script: 'return eval(arguments[0])', args: [expression] }),
    pointer: (points, touch) => call('POST', '/actions', { actions: pointerActions(points, touch) }),
    key: (key) => call('POST', '/actions', { actions: keyActions(key) }),
    // The viewport's, cut here (its pictures of an element are out of place).
    shot: async (rect) => ({ data: await call('GET', '/screenshot'), rect, dpr }),
    hide: () => call('POST', '/window/minimize', {}),
    show: () => call('POST', '/window/rect', page.rect),
    close: () => {},
  });
  // One window, the page in place of the last one; its size with the browser's toolbar.
  const open = async (url, { width = 1000, height = 800, before = '' } = {}) => {
    await call('POST', '/window/rect', page.rect = { width, height });
    await call('POST', '/url', { url });
    if (before) await page.eval(before);
    return page;
  };
  return { open };
}

// The page's shots as pictures: width, height, rgb; cut to a rectangle if it is given at a ratio.
function pictures(page) {
  const shot = page.shot;
  page.shot = async (box) => {
    const { data, rect, dpr } = await shot(box), s = decodePng(Buffer.from(data, 'base64'));
    if (!rect) return s;
    const [x, y, width, height] = [rect.x, rect.y, rect.width, rect.height].map((v) => Math.round(v * dpr));
    const rgb = Buffer.alloc(width * height * 3);
    for (let r = 0; r < height; ++r) s.rgb.copy(rgb, r * width * 3, ((y + r) * s.width + x) * 3, ((y + r) * s.width + x + width) * 3);
    return { width, height, rgb };
  };
  return page;
}

// An 8-bit RGB or RGBA PNG (the browsers' screenshots) as rows of RGB.
function decodePng(png) {
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
  const rows = Buffer.alloc(height * stride), rgb = Buffer.alloc(width * height * 3);
  for (let y = 0; y < height; ++y) {
    const filter = raw[y * (stride + 1)];
    for (let i = 0; i < stride; ++i) {
      const x = raw[y * (stride + 1) + 1 + i], o = y * stride + i;
      const a = i >= channels ? rows[o - channels] : 0, b = y ? rows[o - stride] : 0;
      const c = i >= channels && y ? rows[o - stride - channels] : 0;
      const p = a + b - c, pa = Math.abs(p - a), pb = Math.abs(p - b), pc = Math.abs(p - c);
      const predictor = [0, a, b, (a + b) >> 1, pa <= pb && pa <= pc ? a : pb <= pc ? b : c][filter];
      rows[o] = (x + predictor) & 255;
    }
    for (let i = 0; i < width; ++i) rows.copy(rgb, (y * width + i) * 3, y * stride + i * channels, y * stride + i * channels + 3);
  }
  return { width, height, rgb };
}
