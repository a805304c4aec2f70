// Where each view was scrolled to, kept for this browser tab: going back to a view, by its
// tab or the browser's back button, or reloading the page, finds the reader's place again.

const KEY = 'scrollPlaces';
// A place not reached by then (a list that came short) is given up.
const RESTORE_MS = 5000;

const places = readPlaces();
let current = '';
let pending = null;

function readPlaces() {
  try {
    return JSON.parse(sessionStorage.getItem(KEY) || '{}');
  } catch {
    return {};
  }
}

function writePlaces() {
  try {
    sessionStorage.setItem(KEY, JSON.stringify(places));
  } catch {
    // Storage refused (a private mode): places then last for this page's life.
  }
}

function stopRestoring() {
  pending?.stop();
  pending = null;
}

// The lists of a view arrive after it is shown, so the place is taken again each time the
// view grows, until it is reached, the user scrolls, or the time is up.
function restore(view, top) {
  stopRestoring();
  window.scrollTo(0, top);
  if (Math.abs(window.scrollY - top) <= 1) return;
  const section = document.querySelector(`#view-${view}`);
  const grown = new ResizeObserver(() => {
    window.scrollTo(0, top);
    if (Math.abs(window.scrollY - top) <= 1) stopRestoring();
  });
  const timer = setTimeout(stopRestoring, RESTORE_MS);
  const userScrolls = ['wheel', 'touchstart', 'keydown', 'pointerdown'];
  const stop = () => {
    grown.disconnect();
    clearTimeout(timer);
    for (const type of userScrolls) window.removeEventListener(type, stopRestoring);
  };
  for (const type of userScrolls) window.addEventListener(type, stopRestoring, { passive: true });
  grown.observe(section);
  pending = { stop };
}

// Called as `view` is shown; the place of the one shown before was kept as it scrolled, as
// reading it now would find it cut short by the view just hidden.
export function enterView(view) {
  if (view === current) return;
  writePlaces();
  current = view;
  restore(view, places[view] || 0);
}

export function wireScrollPlaces() {
  window.addEventListener('scroll', () => {
    if (current && !pending) places[current] = Math.round(window.scrollY);
  }, { passive: true });
  window.addEventListener('pagehide', writePlaces);
  if ('scrollRestoration' in history) history.scrollRestoration = 'manual';
}
