// SPDX-License-Identifier: BSD-3-Clause
// The player's service worker: the page, its scripts and the WebAssembly
// module are kept in a cache when the page is first loaded, so that it opens
// and plays with no network afterwards. The network is asked first (a newer
// page replaces the kept one); the cache answers only when it fails.
const cacheName = 'zem-player-1';
const files = ['./', 'index.html', 'style.css', 'player.js', 'worker.js', 'worklet.js', '../zem.js',
               '../src/cue.js', '../src/decoder.js', '../src/module.js', '../src/sources.js', '../dist/zem.wasm'];

self.addEventListener('install', (event) => {
    event.waitUntil(caches.open(cacheName).then((cache) => cache.addAll(files)).then(() => self.skipWaiting()));
});

self.addEventListener('activate', (event) => {
    event.waitUntil(caches.keys()
        .then((names) => Promise.all(names.filter((name) => name !== cacheName).map((name) => caches.delete(name))))
        .then(() => self.clients.claim()));
});

self.addEventListener('fetch', (event) => {
    const request = event.request;
    if (request.method !== 'GET' || new URL(request.url).origin !== self.location.origin)
        return;
    event.respondWith(fetch(request)
        .then((response) => {
            if (response.ok) {
                const copy = response.clone();
                event.waitUntil(caches.open(cacheName).then((cache) => cache.put(request, copy)));
            }
            return response;
        })
        .catch(async () => (await caches.match(request, { ignoreSearch: true })) ?? Response.error()));
});
