// Keeps the client's own files, so the page opens at once, and with the player gone shows
// its banner. Commands always go to the player: they are never cached.
const CACHE = 'velmorant-shell-1';
const SHELL = ['./', 'index.html', 'style.css', 'manifest.json', 'js/main.js', 'js/commands.js', 'js/feed.js',
  'js/songlist.js', 'js/toasts.js', 'js/songmenu.js', 'js/queue.js', 'js/library.js', 'js/albums.js',
  'js/nowplaying.js', 'js/radio.js', 'js/filters.js', 'js/settings.js', 'js/info.js',
  'gfx/missing_art.png', 'gfx/icon.png', 'gfx/icon-192.png', 'gfx/icon-512.png'];
const SHELL_PATHS = new Set(SHELL.map((file) => new URL(file, self.registration.scope).pathname));

self.addEventListener('install', (event) => {
  event.waitUntil(caches.open(CACHE).then((cache) => cache.addAll(SHELL)).then(() => self.skipWaiting()));
});

self.addEventListener('activate', (event) => {
  event.waitUntil(caches.keys()
    .then((names) => Promise.all(names.filter((name) => name !== CACHE).map((name) => caches.delete(name))))
    .then(() => self.clients.claim()));
});

// The cached copy answers at once; the player's copy replaces it for the next load.
self.addEventListener('fetch', (event) => {
  const url = new URL(event.request.url);
  if (event.request.method !== 'GET' || url.origin !== self.location.origin || !SHELL_PATHS.has(url.pathname)) return;
  event.respondWith(caches.open(CACHE).then(async (cache) => {
    const cached = await cache.match(event.request, { ignoreSearch: true });
    const fresh = fetch(event.request).then((response) => {
      if (response.ok) cache.put(event.request, response.clone());
      return response;
    });
    if (!cached) return fresh;
    event.waitUntil(fresh.catch(() => {}));
    return cached;
  }));
});
