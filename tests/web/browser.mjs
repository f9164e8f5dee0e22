// The system's Chromium, headless, driven through the DevTools protocol on a pipe (no download,
// no library), and a page served on 127.0.0.1 as any static file server would.
import { spawn } from 'node:child_process';
import fs from 'node:fs';
import http from 'node:http';
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

export class Browser {
  // Flags this closed network needs; a fresh profile each time.
  static launch(extra = []) {
    const profile = fs.mkdtempSync(path.join(os.tmpdir(), 'bowlview-chromium-'));
    const child = spawn('chromium', ['--headless', '--no-sandbox', '--disable-gpu', '--disable-quic',
      '--no-first-run', '--disable-background-networking', '--disable-component-update',
      '--disable-sync', '--enable-unsafe-swiftshader', '--remote-debugging-pipe',
      `--user-data-dir=${profile}`, ...extra, 'about:blank'],
    { stdio: ['ignore', 'ignore', 'pipe', 'pipe', 'pipe'], detached: true });
    return new Browser(child, profile);
  }

  constructor(child, profile) {
    Object.assign(this, { child, profile, id: 0, calls: new Map(), log: '' });
    child.stderr.on('data', (d) => { this.log += d; });
    child.on('exit', () => this.calls.forEach((c) => c.reject(new Error(`chromium ended: ${this.log.slice(-500)}`))));
    let pending = '';
    child.stdio[4].on('data', (d) => {
      const parts = (pending + d).split('\0');
      pending = parts.pop();
      for (const text of parts) {
        const m = JSON.parse(text);
        const call = this.calls.get(m.id);  // events (no id) are of no interest
        if (!call) continue;
        this.calls.delete(m.id);
        m.error ? call.reject(new Error(`${call.method}: ${m.error.message}`)) : call.resolve(m.result);
      }
    });
  }

  send(method, params = {}, sessionId) {
    const id = ++this.id;
    this.child.stdio[3].write(JSON.stringify({ id, method, params, sessionId }) + '\0');
    return new Promise((resolve, reject) => this.calls.set(id, { resolve, reject, method }));
  }

  // A new tab showing url, viewport width x height CSS pixels at dpr, scripts run before the
  // page's own; brought to the front.
  async open(url, { width = 1000, height = 800, dpr = 1, before = '' } = {}) {
    const { targetId } = await this.send('Target.createTarget', { url: 'about:blank' });
    const { sessionId } = await this.send('Target.attachToTarget', { targetId, flatten: true });
    const page = new Page(this, targetId, sessionId);
    await page.send('Emulation.setDeviceMetricsOverride',
      { width, height, deviceScaleFactor: dpr, mobile: false });
    await page.send('Page.enable');  // without it, the script before the page's is not run
    if (before) await page.send('Page.addScriptToEvaluateOnNewDocument', { source: before });
    await page.send('Page.navigate', { url });
    return page;
  }

  async close() {
    // Its renderers and GPU process with it: they are in its process group.
    const gone = new Promise((resolve) => this.child.once('exit', resolve));
    process.kill(-this.child.pid, 'SIGKILL');
    await gone;
    fs.rmSync(this.profile, { recursive: true, force: true, maxRetries: 10 });
  }
}

class Page {
  constructor(browser, targetId, sessionId) {
    Object.assign(this, { browser, targetId, sessionId });
  }

  send(method, params) { return this.browser.send(method, params, this.sessionId); }

  async eval(expression) {
    const r = await this.send('Runtime.evaluate', { expression, returnByValue: true, awaitPromise: true });
    if (r.exceptionDetails) throw new Error(`${expression}: ${r.exceptionDetails.text}`);
    return r.result.value;
  }

  close() { return this.browser.send('Target.closeTarget', { targetId: this.targetId }); }

  mouse(type, x, y, buttons = 1) {
    return this.send('Input.dispatchMouseEvent',
      { type, x, y, button: 'left', buttons: type === 'mouseReleased' ? 0 : buttons, clickCount: 1 });
  }

  touch(type, x, y) {
    return this.send('Input.dispatchTouchEvent',
      { type, touchPoints: type === 'touchEnd' ? [] : [{ x, y }] });
  }

  // A key pressed and released: its DOM name, what it types, and its Windows key code.
  async key(key, text = key.length === 1 ? key : '', code = key.toUpperCase().charCodeAt(0)) {
    const shift = key.length === 1 && key !== key.toLowerCase() ? 8 : 0;
    const k = { key, windowsVirtualKeyCode: code, modifiers: shift };
    await this.send('Input.dispatchKeyEvent', { type: text ? 'keyDown' : 'rawKeyDown', text, ...k });
    await this.send('Input.dispatchKeyEvent', { type: 'keyUp', ...k });
  }

  // The pixels of a rectangle in CSS pixels, as the screen shows them: width, height, rgb.
  async shot(x, y, width, height) {
    const { data } = await this.send('Page.captureScreenshot',
      { format: 'png', clip: { x, y, width, height, scale: 1 }, captureBeyondViewport: false });
    return decodePng(Buffer.from(data, 'base64'));
  }
}

// An 8-bit RGB or RGBA PNG (Chromium's screenshots) as rows of RGB.
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
