// Frames per second of the page in headless Chromium (SwiftShader's WebGL), unthrottled: the
// canvas 0.8 of a 1280 x 1024 viewport high, as the native benchmark's window; and the page's size.
//   node bench/web_bench.mjs PAGE-FOLDER [SECONDS]
import fs from 'node:fs';
import path from 'node:path';
import { Browser, serve, until } from '../tests/web/browser.mjs';

const [dir, seconds = 5] = process.argv.slice(2);
const server = await serve(dir);
// Animation frames as fast as they are drawn, not at the display's rate.
const browser = Browser.launch(['--disable-frame-rate-limit', '--disable-gpu-vsync']);
try {
  const counter = `window.frames_ = 0; const clear = WebGLRenderingContext.prototype.clear;
    WebGLRenderingContext.prototype.clear = function(m) { ++window.frames_; return clear.call(this, m); };`;
  const p = await browser.open(server.url, { width: 1280, height: 1024, before: counter });
  if (!await until(() => p.eval(`!!document.querySelector('dialog[open]')`))) throw new Error('no box');
  await p.key('Enter', '\r', 13);
  if (!await until(() => p.eval('window.frames_ > 10'))) throw new Error('no frames');
  const count = () => p.eval('[window.frames_, performance.now()]');
  const [f0, t0] = await count();
  await new Promise((r) => setTimeout(r, seconds * 1000));
  const [f1, t1] = await count();
  const bytes = fs.readdirSync(dir).reduce((n, f) => n + fs.statSync(path.join(dir, f)).size, 0);
  console.log(`web_fps=${((f1 - f0) * 1000 / (t1 - t0)).toFixed(1)} page_bytes=${bytes}`);
} finally {
  await browser.close();
  server.close();
}
