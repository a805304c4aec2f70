// Keeps the client's own files, so the page opens with the player gone and shows its banner.
// Commands always go to the player: they are never cached.
//
// The player's copy comes first and the cached one only when the player does not answer:
// the client has no build step that could stamp a version on its files, so a cache-first
// worker would show the old client once after every update, or more than once when a
// version constant was not raised by hand. Asking first costs a revalidation per file, which
// the player answers with 304.
const CACHE = 'velmorant-shell-1';
const SHELL = ['./', 'index.html', 'style.css', 'manifest.json', 'js/main.js', 'js/commands.js', 'js/feed.js',
  'js/songlist.js', 'js/toasts.js', 'js/songmenu.js', 'js/queue.js', 'js/library.js', 'js/albums.js',
  'js/nowplaying.js', 'js/radio.js', 'js/filters.js', 'js/settings.js', 'js/info.js', 'js/scrollplaces.js',
  'gfx/missing_art.png', 'gfx/icon.png', 'gfx/icon-192.png', 'gfx/icon-512.png'];
const SHELL_PATHS = new Set(SHELL.map((file) => new URL(file, self.registration.scope).pathname));
// A player that neither answers nor refuses is taken for gone after this long.
const NETWORK_WAIT_MS = 4000;

self.addEventListener('install', (event) => {
  event.waitUntil(caches.open(CACHE).then((cache) => cache.addAll(SHELL)).then(() => self.skipWaiting()));
});

self.addEventListener('activate', (event) => {
  event.waitUntil(caches.keys()
    .then((names) => Promise.all(names.filter((name) => name !== CACHE).map((name) => caches.delete(name))))
    .then(() => self.clients.claim()));
});

// A navigation's request cannot be copied with a signal, so the deadline races the fetch.
function answerInTime(request) {
  const late = new Promise((resolve, reject) => { setTimeout(() => reject(new Error('no answer')), NETWORK_WAIT_MS); });
  return Promise.race([fetch(request), late]);
}

async function networkFirst(request) {
  const cache = await caches.open(CACHE);
  try {
    const response = await answerInTime(request);
    if (response.ok) await cache.put(request, response.clone());
    return response;
  } catch (error) {
    const cached = await cache.match(request, { ignoreSearch: true });
    if (cached) return cached;
    throw error;
  }
}

self.addEventListener('fetch', (event) => {
  const url = new URL(event.request.url);
  if (event.request.method !== 'GET' || url.origin !== self.location.origin || !SHELL_PATHS.has(url.pathname)) return;
  event.respondWith(networkFirst(event.request));
});
