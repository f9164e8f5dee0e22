// Our page beside the same scene drawn with three.js (bench/three_page), in headless Chromium
// (SwiftShader's WebGL), unthrottled, on canvases of the same size (0.8 of a 1280 x 1024
// viewport's height, as the native benchmark's window): frames per second and CPU per frame,
// medians over alternating runs (ours, three.js, ours, ...); and our page's size.
//   node bench/web_bench.mjs PAGE-FOLDER [SECONDS] [ROUNDS]     (npm ci in bench/ first)
import fs from 'node:fs';
import path from 'node:path';
import { launch, serve, until } from '../tests/web/browser.mjs';

const [dir, seconds = 5, rounds = 3] = process.argv.slice(2);
const here = path.dirname(new URL(import.meta.url).pathname);
const names = ['web', 'three'];
if (!fs.existsSync(path.join(here, 'node_modules/three'))) {
  console.error('bench: three.js is not installed (npm ci in bench/): our page alone');
  names.pop();
}
const pages = {
  web: { server: await serve(dir), path: '', box: true },
  three: { server: await serve(here), path: 'three_page/', box: false },
};
// Animation frames as fast as they are drawn, not at the display's rate.
const browser = await launch('chromium', { flags: ['--disable-frame-rate-limit', '--disable-gpu-vsync'] });
// Each page clears once a frame; ours draws with WebGL 1, three.js with WebGL 2.
const counter = `window.frames_ = 0;
  for (const c of [WebGLRenderingContext, WebGL2RenderingContext]) {
    const clear = c.prototype.clear;
    c.prototype.clear = function(m) { ++window.frames_; return clear.call(this, m); };
  }`;

// Frames, time, and seconds of CPU: the page's scripts, the GPU process (SwiftShader), and all
// of Chromium's processes.
async function sample(p) {
  const [[frames, ms], { metrics }, { processInfo }] = await Promise.all([
    p.eval('[window.frames_, performance.now()]'), p.send('Performance.getMetrics'),
    browser.send('SystemInfo.getProcessInfo')]);
  const cpu = new Map(processInfo.map((x) => [x.id, x.cpuTime]));
  const gpu = processInfo.filter((x) => x.type === 'GPU').reduce((s, x) => s + x.cpuTime, 0);
  return { frames, ms, cpu, gpu, script: metrics.find((m) => m.name === 'ScriptDuration').value };
}

async function run({ server, path: where, box }) {
  const p = await browser.open(server.url + where, { width: 1280, height: 1024, before: counter });
  if (box) {
    if (!await until(() => p.eval(`!!document.querySelector('dialog[open]')`))) throw new Error('no box');
    await p.key('Enter');
  }
  if (!await until(() => p.eval('window.frames_ > 10'))) throw new Error(`no frames: ${where || dir}`);
  await p.send('Performance.enable');
  const a = await sample(p);
  await new Promise((r) => setTimeout(r, seconds * 1000));
  const b = await sample(p);
  const side = await p.eval(`document.querySelector('canvas:not([hidden])').width`);
  await p.close();
  const frames = b.frames - a.frames, perFrame = (s) => (s * 1000 / frames).toFixed(2);
  let all = 0;
  for (const [id, t] of b.cpu) all += t - (a.cpu.get(id) ?? 0);
  return { fps: (frames * 1000 / (b.ms - a.ms)).toFixed(1), cpu_ms: perFrame(all),
    script_ms: perFrame(b.script - a.script), gpu_ms: perFrame(b.gpu - a.gpu), side };
}

try {
  const runs = Object.fromEntries(names.map((n) => [n, []]));
  for (let i = 0; i < rounds; ++i) {
    for (const name of names) runs[name].push(await run(pages[name]));
  }
  const median = (list, key) => list.map((r) => +r[key]).sort((x, y) => x - y)[list.length >> 1];
  const out = [];
  for (const [name, list] of Object.entries(runs)) {
    if (new Set(list.map((r) => r.side)).size !== 1 || list[0].side !== runs.web[0].side) {
      throw new Error(`canvas sizes differ: ${JSON.stringify(runs)}`);
    }
    for (const key of ['fps', 'cpu_ms', 'script_ms', 'gpu_ms', 'side']) out.push(`${name}_${key}=${median(list, key)}`);
  }
  const bytes = fs.readdirSync(dir).reduce((n, f) => n + fs.statSync(path.join(dir, f)).size, 0);
  console.log(`${out.join(' ')} page_bytes=${bytes}`);
  console.error(`bench: each run ${JSON.stringify(runs)}`);
} finally {
  await browser.close();
  Object.values(pages).forEach((p) => p.server.close());
}
