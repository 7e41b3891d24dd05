// Keeps the site's files for play without the network. Each release keeps
// them under a cache of its own name: a new release's worker fills its cache,
// and once it takes over the older releases' caches go.
var CACHE = 'tavek-pin-@PROJECT_VERSION@';
var FILES = ['./', 'index.html', 'tavek-pin.css', 'tavek-pin.js', 'tavek-pin.wasm', 'tavek-rounded.woff2',
             'manifest.webmanifest', 'icon-192.png', 'icon-512.png'];

self.addEventListener('install', function (event) {
  event.waitUntil(caches.open(CACHE).then(function (cache) { return cache.addAll(FILES); })
                    .then(function () { return self.skipWaiting(); }));
});

self.addEventListener('activate', function (event) {
  event.waitUntil(caches.keys().then(function (names) {
    return Promise.all(names.filter(function (name) { return name.startsWith('tavek-pin-') && name != CACHE; })
                            .map(function (name) { return caches.delete(name); }));
  }).then(function () { return self.clients.claim(); }));
});

// The kept file first; the network only for what was never kept.
self.addEventListener('fetch', function (event) {
  if (event.request.method != 'GET') return;
  event.respondWith(caches.open(CACHE).then(function (cache) {
    return cache.match(event.request, { ignoreSearch: true }).then(function (kept) {
      return kept || fetch(event.request);
    });
  }));
});
