// The status feed: polls "/fetch", tells listeners, and backs off while the player is gone.

import { ask, onUnreachable, parseLines } from './commands.js';

const MIN_DELAY = 1000;
const MAX_DELAY = 10000;

const statusListeners = [];
const revisionListeners = new Map();
const connectionListeners = [];
const seen = new Map();
let delay = MIN_DELAY;
let timer = 0;
let running = false;
let again = false;
let online = true;
let waiters = [];

export let status = {};

export function onStatus(listener) {
  statusListeners.push(listener);
}

// The listener runs whenever the feed's counter `key` moves (and at the first poll).
export function onRevision(key, listener) {
  revisionListeners.set(key, [...(revisionListeners.get(key) || []), listener]);
}

// As onRevision, for a list shown in `section`: while the section is hidden a move only marks
// the list stale, and the list is loaded when the section is shown. Keeps the requests and the
// drawing of hidden views from delaying the one in sight.
export function onRevisionShown(key, section, listener) {
  let stale = false;
  onRevision(key, () => {
    if (!section.hidden) return listener();
    stale = true;
    return undefined;
  });
  new MutationObserver(() => {
    if (section.hidden || !stale) return;
    stale = false;
    listener();
  }).observe(section, { attributeFilter: ['hidden'] });
}

export function onConnection(listener) {
  connectionListeners.push(listener);
}

function setOnline(value) {
  if (online === value) return;
  online = value;
  if (value) seen.clear();
  for (const listener of connectionListeners) listener(value);
}

async function poll() {
  if (running) {
    again = true;
    return;
  }
  running = true;
  clearTimeout(timer);
  const served = waiters;
  waiters = [];
  try {
    const next = parseLines(await ask('/fetch'));
    if (!next.REVISION) throw new Error('not a feed');
    delay = MIN_DELAY;
    setOnline(true);
    const previous = status;
    status = next;
    for (const listener of statusListeners) listener(next, previous);
    const reloads = [];
    for (const [key, listeners] of revisionListeners) {
      if (seen.get(key) === next[key]) continue;
      seen.set(key, next[key]);
      for (const listener of listeners) reloads.push(listener());
    }
    await Promise.all(reloads);
  } catch {
    delay = online ? MIN_DELAY : Math.min(delay * 2, MAX_DELAY);
    setOnline(false);
  } finally {
    running = false;
    timer = setTimeout(poll, again ? 0 : delay);
    again = false;
    for (const resolve of served) resolve();
  }
}

// Polls at once and settles once the lists whose counters moved are reloaded.
export function refresh() {
  return new Promise((resolve) => {
    waiters.push(resolve);
    poll();
  });
}

// Polls at once, for a control that just changed something the feed shows.
export function pollNow() {
  poll();
}

export function startFeed() {
  onUnreachable(pollNow);
  poll();
}
