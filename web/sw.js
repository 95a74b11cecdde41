// Keeps the page for use without a network: everything it needs is cached on the first
// visit, and served from the cache first; a new build (a new digest) replaces the cache.
const CACHE = 'yuanmate-@VERSION@';
const FILES = ['./', 'index.html', 'style.css', 'app.js', 'yuanmate.js', 'yuanmate.wasm',
               'manifest.webmanifest', 'icon.svg'];

self.addEventListener('install', (event) => {
  event.waitUntil(caches.open(CACHE).then((cache) => cache.addAll(FILES))
                      .then(() => self.skipWaiting()));
});

self.addEventListener('activate', (event) => {
  event.waitUntil(caches.keys()
                      .then((keys) => Promise.all(
                                keys.filter((k) => k !== CACHE).map((k) => caches.delete(k))))
                      .then(() => self.clients.claim()));
});

self.addEventListener('fetch', (event) => {
  if (event.request.method !== 'GET') return;
  event.respondWith(caches.match(event.request, {ignoreSearch: true})
                        .then((hit) => hit || fetch(event.request)));
});
