// The page end to end in the browser BOWLVIEW_ENGINE names (chromium, firefox or webkit).
import assert from 'node:assert/strict';
import { spawnSync } from 'node:child_process';
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import { describe, it, after, afterEach } from 'node:test';
import { launch as launchBrowser, serve, until } from './browser.mjs';

const page = process.env.BOWLVIEW_PAGE;
const caption = 'bowlview - by the bowlview authors';
const plain = [38, 38, 140], fog = [128, 64, 64];
// Counts the frames the page draws (each begins with a clear) and keeps its errors.
const frameCounter = `window.frames_ = 0; const gl = window.WebGLRenderingContext?.prototype ?? {};
  const clear = gl.clear; gl.clear = function(m) { ++window.frames_; return clear.call(this, m); };
  window.errors_ = []; addEventListener('error', (e) => errors_.push(e.message));
  const error = console.error; console.error = (...a) => { errors_.push(a.join(' ')); error(...a); };`;

assert.ok(fs.existsSync(path.join(page, 'index.html')), `no page in ${page}: scripts/web.sh build`);
const server = await serve(page);
let browser, tab;
after(async () => { await browser?.close(); server.close(); });
afterEach(async () => assert.deepEqual(await tab?.eval('window.errors_'), [], 'errors on the page'));

// The page in a browser of its own; its controls box up.
async function launch(options = {}, webgl = true) {
  await browser?.close();
  browser = await launchBrowser(process.env.BOWLVIEW_ENGINE, { webgl, dpr: options.dpr });
  const p = tab = await browser.open(server.url, { before: frameCounter, ...options });
  assert.ok(await until(() => p.eval(`!!document.querySelector('dialog[open]')`)), 'no box');
  return p;
}

// The page's canvas: its place and size in CSS pixels, its buffer's size.
const canvas = (p) => p.eval(`(() => { const c = document.querySelector('canvas:not([hidden])');
  if (!c) return null; const r = c.getBoundingClientRect();
  return { x: r.left, y: r.top, width: r.width, height: r.height, bufferWidth: c.width,
           bufferHeight: c.height }; })()`);

// Dismisses the box with Enter and waits for the first frame.
async function open(p) {
  await p.key('Enter');
  const c = await until(() => canvas(p));
  assert.ok(c, 'no canvas');
  assert.ok(await until(() => backgroundIs(p, c, plain)), 'no first frame');
  return c;
}

const near = (rgb, i, colour, tolerance = 3) =>
  colour.every((v, k) => Math.abs(rgb[i * 3 + k] - v) <= tolerance);
// The canvas's top corners, which the bowl never reaches.
async function backgroundIs(p, c, colour) {
  const s = await p.shot(c);
  return near(s.rgb, 3 * s.width + 3, colour) && near(s.rgb, 3 * s.width + s.width - 4, colour);
}
const differing = (a, b) => {
  let n = 0;
  for (let i = 0; i < a.width * a.height; ++i) n += !near(a.rgb, i, [...b.rgb.subarray(i * 3, i * 3 + 3)], 0);
  return n;
};
const spinning = async (p, c) => {
  const first = await p.shot(c);
  return until(async () => differing(await p.shot(c), first) > 200);
};
// Once fog on and off again are on screen, everything sent before has been handled.
async function settled(p, c) {
  await p.key('f');
  assert.ok(await until(() => backgroundIs(p, c, fog)), 'f does nothing');
  await p.key('f');
  assert.ok(await until(() => backgroundIs(p, c, plain)), 'f does not switch back');
}
const drag = (p, c, x0, y0, x1, y1, touch = false) => p.pointer([...Array(11).keys()]
  .map((i) => [c.x + x0 + (x1 - x0) * i / 10, c.y + y0 + (y1 - y0) * i / 10]), touch);

// The picture at rest against the desktop's render of the same scene; kept on failure.
function matchesReference(s, fogOn, wireframe) {
  const picture = path.join(fs.mkdtempSync(path.join(os.tmpdir(), 'bowlview-picture-')), 'page.ppm');
  fs.writeFileSync(picture, Buffer.concat([Buffer.from(`P6 ${s.width} ${s.height} 255\n`), s.rgb]));
  const r = spawnSync(process.env.BOWLVIEW_REFERENCE_CHECK, [picture, +fogOn, +wireframe], { encoding: 'utf8' });
  assert.equal(r.status, 0, `${r.stdout}${r.stderr}${r.error ?? ''} (the picture: ${picture})`);
  console.log(r.stdout.trim());
  fs.rmSync(path.dirname(picture), { recursive: true });
}

describe('Box', () => {
  for (const [how, dismiss] of [
    ['Enter', (p) => p.key('Enter')], ['Space', (p) => p.key(' ')], ['Esc', (p) => p.key('Escape')],
    ['OK', async (p) => p.pointer([await p.eval(`(() => { const r = document.querySelector(
      'dialog button').getBoundingClientRect(); return [r.left + r.width / 2, r.top + r.height / 2]; })()`)])]]) {
    it(`shows the controls and goes with ${how}`, async () => {
      const p = await launch();
      assert.deepEqual(await p.eval(`(() => { const d = document.querySelector('dialog');
        return [d.matches(':modal'), d.querySelector('h1').textContent, d.querySelector('p')
          .textContent, d.querySelector('button').textContent, window.frames_,
          document.querySelectorAll('canvas:not([hidden])').length]; })()`),
      [true, caption, '-------  keys: f,p --- mouse: touch the window image for movement----- ',
        'OK', 0, 0]);
      await dismiss(p);
      assert.ok(await until(() => canvas(p)), 'no window after the box');
      assert.equal(await p.eval(`document.querySelectorAll('dialog').length`), 0);
    });
  }
});

const ending = async (p) => String(await until(() => p.eval(`((text) => /ended/.test(text) && text)(
  document.getElementById('status').textContent)`)) || '');

describe('Input', () => {
  // Mouse, touch, keys; at rest plain, fog and wire-frame are the desktop's picture; Esc ends it.
  it('turns, stops, is the desktop picture in fog and wire-frame too, and ends with Esc', async () => {
    const p = await launch({ width: 1000, height: 800, dpr: 2 });
    const c = await open(p), side = c.width;
    assert.ok(await spinning(p, c), 'not spinning at first');
    await p.pointer([[c.x + side / 2, c.y + side / 2]]);
    await settled(p, c);
    const rest = await p.shot(c);
    matchesReference(rest, false, false);
    await p.key('f');
    assert.ok(await until(() => backgroundIs(p, c, fog)));
    matchesReference(await p.shot(c), true, false);
    await p.key('f');
    await p.key('F');
    await p.key('P');
    await settled(p, c);
    assert.ok(differing(await p.shot(c), rest) < 200, 'still turning after a click, or F or P drew');
    await p.key('p');
    assert.ok(await until(async () => differing(await p.shot(c), rest) > 1000), 'no wire-frame');
    matchesReference(await p.shot(c), false, true);
    await p.key('p');
    assert.ok(await until(async () => differing(await p.shot(c), rest) < 200), 'p twice is not fill');
    await drag(p, c, side / 2, side / 2, side / 2 + 100, side / 3, true);
    assert.ok(await spinning(p, c), 'a touch drag does not turn it');
    await drag(p, c, side / 2, side / 2, side + 60, side / 3);  // released outside the canvas
    assert.ok(await spinning(p, c) && await spinning(p, c), 'a drag out of the canvas stopped it');
    await p.key('Escape');
    assert.match(await ending(p), /ended, status 0$/);
    // Two animation frames later, no frame more.
    assert.equal(await p.eval(`new Promise((resolve) => { const n = window.frames_;
      requestAnimationFrame(() => requestAnimationFrame(() => resolve(window.frames_ - n))); })`), 0,
    'frames after the end');
    assert.equal(await canvas(p), null);
  });
});

describe('Hidden', () => {
  // Behind another tab, minimised: nothing drawn; in front again, it spins on.
  it('draws nothing behind another tab, and spins again in front', async () => {
    const p = await launch();
    const c = await open(p);
    assert.ok(await spinning(p, c));
    await p.hide();
    assert.ok(await until(() => p.eval(`document.visibilityState == 'hidden'`)), 'not hidden');
    let last = -1;
    assert.ok(await until(async () => last === (last = await p.eval('window.frames_')), 5000));
    await new Promise((r) => setTimeout(r, 1000));  // a measurement: a second of being hidden
    assert.equal(await p.eval('window.frames_'), last, 'frames drawn while hidden');
    await p.show();
    assert.ok(await until(() => p.eval(`document.visibilityState == 'visible'`)), 'not shown');
    assert.ok(await spinning(p, c), 'not spinning once shown again');
  });
});

describe('NoWebGL', () => {
  it('says so in its own box and ends with status 1', async () => {
    const p = await launch({}, false);
    await p.key('Enter');
    assert.ok(await until(() => p.eval(`(() => { const d = document.querySelector('dialog[open]');
      return d && d.querySelector('h1').textContent == 'Error'; })()`)), 'no error box');
    assert.deepEqual(await p.eval(`(() => { const d = document.querySelector('dialog');
      return [d.className, d.querySelector('p').textContent]; })()`),
    ['winx-box error', 'wglCreateContext failed']);
    await p.key('Enter');
    assert.match(await ending(p), /ended, status 1$/);
  });
});

// The viewport (a phone: mobile, touch, turned when wider than high); while the page runs, a
// resize or a ratio change.
async function emulate(p, { width, height, dpr = 1, mobile = false }) {
  const [type, angle] = width > height ? ['landscapePrimary', 90] : ['portraitPrimary', 0];
  await p.send('Emulation.setDeviceMetricsOverride',
    { width, height, deviceScaleFactor: dpr, mobile, screenOrientation: { type, angle } });
  await p.send('Emulation.setTouchEmulationEnabled', { enabled: mobile, maxTouchPoints: 1 });
}
// Square, 0.8 of the viewport's shorter side, its buffer its CSS size times the ratio.
const fits = async (p, { width, height, dpr = 1 }) => {
  const c = await canvas(p), side = Math.floor(Math.min(width, height) * dpr * 0.8);
  return !!c && [c.bufferWidth, c.bufferHeight, c.width * dpr, c.height * dpr]
    .every((v) => Math.round(v) === side) && c.x === 0 && c.y === 0;
};

describe('Screen', () => {
  // The screen is the viewport, at start and live (a display change for the program).
  const phone = { width: 390, height: 844, dpr: 3, mobile: true };
  for (const [name, from, to] of [
    ['a smaller viewport', { width: 1280, height: 1024 }, { width: 800, height: 600 }],
    ['a ratio of 2', { width: 1000, height: 800 }, { width: 1000, height: 800, dpr: 2 }],
    ['a ratio of 1.5', { width: 1000, height: 800, dpr: 2 }, { width: 1000, height: 800, dpr: 1.5 }],
    ['a ratio of 2 over as many device pixels', { width: 1000, height: 800 },
      { width: 500, height: 400, dpr: 2 }],
    ['a phone turned', phone, { ...phone, width: 844, height: 390 }]]) {
    it(`follows ${name}`, async () => {
      const p = await launch();
      await emulate(p, from);
      await open(p);
      assert.ok(await until(() => fits(p, from)), JSON.stringify(await canvas(p)));
      await emulate(p, to);
      assert.ok(await until(() => fits(p, to)), JSON.stringify(await canvas(p)));
      assert.ok(await spinning(p, await canvas(p)), 'not drawing after the change');
    });
  }
});

describe('ContextLoss', () => {
  // Lost: no frame drawn; back, the desktop's picture again; never back, Esc still ends it.
  for (const back of [true, false]) {
    it(back ? 'draws nothing while lost, then the same picture' : 'ends with Esc, lost', async () => {
      const p = await launch({ width: 1000, height: 800 });
      const c = await open(p);
      await p.eval(`(window.lose_ = document.querySelector('canvas:not([hidden])').getContext('webgl')
        .getExtension('WEBGL_lose_context')).loseContext()`);
      const frames = await p.eval(`new Promise((r) => requestAnimationFrame(() =>
        requestAnimationFrame(() => r(window.frames_))))`);
      await new Promise((r) => setTimeout(r, 1000));  // a measurement: a second lost
      assert.equal(await p.eval('window.frames_'), frames, 'frames drawn while lost');
      if (!back) {
        await p.key('Escape');
        return assert.match(await ending(p), /ended, status 0$/);
      }
      await p.eval('lose_.restoreContext()');
      assert.ok(await spinning(p, c), 'not drawing once restored');
      await p.pointer([[c.x + c.width / 2, c.y + c.height / 2]]);
      await settled(p, c);
      matchesReference(await p.shot(c), false, false);
    });
  }
});

describe('Names', () => {
  // The box a dialog named by its caption, described by its text; the canvas an image named by
  // the window's title (the document's too).
  it('names the box and the window', async () => {
    const p = await launch();
    const named = async (role) => (await p.send('Accessibility.getFullAXTree')).nodes
      .filter((n) => n.role?.value === role).map((n) => [n.name?.value, n.description?.value]);
    assert.deepEqual(await named('dialog'), [[caption,
      '------- keys: f,p --- mouse: touch the window image for movement-----']]);
    await open(p);
    assert.deepEqual(await named('image'), [[' KEYS:f,p and MOUSE ', undefined]]);
    assert.equal(await p.eval('document.title'), 'KEYS:f,p and MOUSE');
  });
});

describe('Offline', () => {
  it('is installable and opens again without its server', async () => {
    await launch();
    const dir = fs.mkdtempSync(path.join(os.tmpdir(), 'bowlview-page-'));
    fs.cpSync(page, dir, { recursive: true });
    const own = await serve(dir), p = await browser.open(own.url, { before: frameCounter });
    const up = (test) => until(() => p.eval(test).catch(() => false));
    try {
      assert.ok(await up(`navigator.serviceWorker.getRegistration().then((r) => !!r?.active)`));
      assert.deepEqual((await p.send('Page.getInstallabilityErrors')).installabilityErrors, []);
      fs.rmSync(dir, { recursive: true });
      await p.send('Page.reload');
      assert.ok(await up(`!!document.querySelector('dialog[open]')`), 'no box without the server');
      await open(p);
    } finally {
      own.close();
    }
  });
});
