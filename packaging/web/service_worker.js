// Keeps the page's files for a visit without the network. Each comes from the network while it
// answers (a new build is seen at once) and is kept; else the copy kept last. A new version's
// files go in a cache of its own; the older caches go once it is active.
const cache = 'bowlview-@PROJECT_VERSION@';
const files = ['./', 'index.html', 'bowlview.js', 'bowlview.wasm', 'manifest.webmanifest',
  'icons/bowlview-32.png', 'icons/bowlview-128.png', 'icons/bowlview-256.png'];

self.addEventListener('install', (e) => {
  e.waitUntil(caches.open(cache).then((c) => c.addAll(files)).then(() => self.skipWaiting()));
});

self.addEventListener('activate', (e) => {
  e.waitUntil(caches.keys().then((names) => Promise.all(names.filter((n) => n !== cache)
    .map((n) => caches.delete(n)))).then(() => self.clients.claim()));
});

self.addEventListener('fetch', (e) => {
  if (e.request.method !== 'GET') return;
  const kept = () => caches.match(e.request, { ignoreSearch: true });
  e.respondWith(fetch(e.request).then((r) => {
    if (!r.ok) return kept().then((k) => k || r);
    const copy = r.clone();
    e.waitUntil(caches.open(cache).then((c) => c.put(e.request, copy)));
    return r;
  }, () => kept().then((k) => k || Response.error())));
});
