// What plays: the bar at the bottom, the full now-playing view, and the system's media
// controls (lock screen, media keys) while the page is open.

import { clock, element, parseLines, send, seconds } from './commands.js';
import { onStatus, pollNow, refresh, status } from './feed.js';
import { shortPath } from './songlist.js';

const SPEED_FACTOR = 1.2;
// A slider the user just moved keeps its place until the feed has caught up.
const HOLD_MS = 1500;

const $ = (selector) => document.querySelector(selector);
const $$ = (selector) => document.querySelectorAll(selector);

let speedSteps = 0;
const heldUntil = { seek: 0, volume: 0 };
let rating = 0;

function lengthSeconds() {
  return seconds(status.TIME);
}

function isStream() {
  return status.PLAYTYPE === '2' || /%$/.test(status.TIME || '');
}

function showTimes(current) {
  const length = seconds(current.TIME);
  const elapsed = seconds(current.TIMEPLAYING) || 0;
  for (const box of $$('.elapsed')) box.textContent = clock(elapsed);
  for (const box of $$('.length')) box.textContent = Number.isNaN(length) ? '' : clock(length);
  const position = Number(current.POSITION || 0);
  for (const slider of $$('.seek')) {
    if (Date.now() < heldUntil.seek) continue;
    slider.value = String(position);
    slider.disabled = isStream() || !current.TITLE;
    slider.setAttribute('aria-valuetext', `${clock(elapsed)} of ${Number.isNaN(length) ? '?' : clock(length)}`);
  }
}

function showVolume(current) {
  if (Date.now() < heldUntil.volume) return;
  const volume = Number(current.VOLUME || 0);
  for (const slider of $$('.volume')) {
    slider.value = String(volume);
    slider.setAttribute('aria-valuetext', `volume ${Math.round(volume / 10)} %`);
  }
}

function showSong(current, previous) {
  const title = current.TITLE || 'Nothing playing';
  const stream = isStream() && current.TITLE;
  const artist = stream ? current.ALBUM || '' : current.ARTIST || '';
  for (const box of $$('.np-title')) box.textContent = title;
  for (const box of $$('.np-artist')) box.textContent = artist;
  $('#np-album').textContent = stream ? '' : current.ALBUM || '';
  $('#np-folder').textContent = current.PATH ? (stream ? current.PATH : shortPath(current.PATH)) : '';
  $('#np-stream').textContent = stream ? `Buffered ${current.TIME}` : '';
  $('#np-stream').hidden = !stream;
  const cover = current.IMAGE || 'gfx/missing_art.png';
  for (const image of $$('.np-cover')) {
    if (image.getAttribute('src') !== cover) image.setAttribute('src', cover);
  }
  const playing = current.PLAYSTATUS === '1';
  for (const button of $$('.btn-play')) {
    button.classList.toggle('playing', playing);
    button.setAttribute('aria-label', playing ? 'Pause' : 'Play');
    button.title = playing ? 'Pause' : 'Play';
  }
  document.title = current.TITLE ? `${current.TITLE} \u00B7 VelmorantPlayer` : 'VelmorantPlayer';
  if (current.RESOURCE !== previous.RESOURCE) {
    speedSteps = 0;
    showSpeed();
    if ($('#nowplaying').open) loadRating();
  }
  showMediaSession(current, artist);
}

function showSpeed() {
  $('#np-speed').textContent = `${SPEED_FACTOR ** speedSteps === 1 ? '1.00' : (SPEED_FACTOR ** speedSteps).toFixed(2)}\u00D7`;
}

function showRatingStars() {
  for (const star of $$('#np-rating .star')) {
    const value = Number(star.dataset.value);
    const on = value > 0 && value <= rating;
    star.classList.toggle('on', on);
    star.textContent = value === 0 ? '\u2205' : on ? '\u2605' : '\u2606';
    star.setAttribute('aria-pressed', String(value === 0 ? rating === 0 : on));
  }
}

async function loadRating() {
  const resource = Number(status.RESOURCE || 0);
  rating = resource ? Number(parseLines(await send(`/getsonginfo&id=${resource}`)).RATE) || 0 : 0;
  showRatingStars();
}

function showMediaSession(current, artist) {
  if (!('mediaSession' in navigator)) return;
  if (!current.TITLE) {
    navigator.mediaSession.metadata = null;
    return;
  }
  const metadata = navigator.mediaSession.metadata;
  const artwork = current.IMAGE ? [{ src: new URL(current.IMAGE, document.baseURI).href }] : [];
  if (!metadata || metadata.title !== current.TITLE || metadata.artist !== artist) {
    navigator.mediaSession.metadata = new MediaMetadata({
      title: current.TITLE, artist, album: current.ALBUM || '', artwork,
    });
  }
  navigator.mediaSession.playbackState = current.PLAYSTATUS === '1' ? 'playing' : 'paused';
  const length = seconds(current.TIME);
  const elapsed = seconds(current.TIMEPLAYING) || 0;
  if (!Number.isNaN(length) && length > 0) {
    navigator.mediaSession.setPositionState({ duration: length, position: Math.min(elapsed, length), playbackRate: 1 });
  }
}

async function seekTo(thousandths) {
  heldUntil.seek = Date.now() + HOLD_MS;
  for (const slider of $$('.seek')) slider.value = String(thousandths);
  const length = lengthSeconds();
  if (!Number.isNaN(length)) for (const box of $$('.elapsed')) box.textContent = clock((length * thousandths) / 1000);
  await send(`/setposition&${Math.round(thousandths)}`);
  heldUntil.seek = 0;
  await refresh();
}

// Seconds from now, forward or back.
export function seekBy(delta) {
  const length = lengthSeconds();
  if (Number.isNaN(length) || length <= 0) return undefined;
  const elapsed = (Number(status.POSITION || 0) / 1000) * length + delta;
  return seekTo(Math.max(0, Math.min(999, (elapsed / length) * 1000)));
}

let volumeTimer = 0;
export function setVolume(value) {
  const volume = Math.max(0, Math.min(1000, Math.round(value)));
  heldUntil.volume = Date.now() + HOLD_MS;
  for (const slider of $$('.volume')) {
    slider.value = String(volume);
    slider.setAttribute('aria-valuetext', `volume ${Math.round(volume / 10)} %`);
  }
  clearTimeout(volumeTimer);
  volumeTimer = setTimeout(() => send(`/setvolume&value=${volume}`), 80);
}

export async function transport(path) {
  await send(path);
  await refresh();
}

function wireMediaSession() {
  if (!('mediaSession' in navigator)) return;
  const handlers = {
    // "/play" pauses a playing song and resumes or starts any other.
    play: () => status.PLAYSTATUS !== '1' && transport('/play'),
    pause: () => status.PLAYSTATUS === '1' && transport('/play'),
    stop: () => transport('/stop'),
    previoustrack: () => transport('/prev'),
    nexttrack: () => transport('/next'),
    seekbackward: (details) => seekBy(-(details.seekOffset || 10)),
    seekforward: (details) => seekBy(details.seekOffset || 10),
    seekto: (details) => {
      const length = lengthSeconds();
      if (!Number.isNaN(length) && length > 0) seekTo(Math.min(999, (details.seekTime / length) * 1000));
    },
  };
  for (const [action, handler] of Object.entries(handlers)) {
    try {
      navigator.mediaSession.setActionHandler(action, handler);
    } catch {
      // A browser without that action simply does not offer it.
    }
  }
}

function wireRating() {
  const box = $('#np-rating');
  for (let value = 0; value <= 5; ++value) {
    const label = value === 0 ? 'No rating' : `Rate ${value} of 5`;
    const star = element('button', value === 0 ? 'star clear' : 'star');
    star.type = 'button';
    star.dataset.value = String(value);
    star.setAttribute('aria-label', label);
    star.title = label;
    box.append(star);
  }
  box.addEventListener('click', async (event) => {
    const star = event.target.closest('.star');
    const resource = Number(status.RESOURCE || 0);
    if (!star || !resource) return;
    rating = Number(star.dataset.value);
    showRatingStars();
    await send(`/setrate&id=${resource}&value=${rating}`);
  });
  showRatingStars();
}

export function wireNowPlaying() {
  for (const [selector, path] of [['.btn-prev', '/prev'], ['.btn-play', '/play'], ['.btn-stop', '/stop'],
    ['.btn-next', '/next']]) {
    for (const button of $$(selector)) button.addEventListener('click', () => transport(path));
  }
  for (const slider of $$('.seek')) {
    slider.addEventListener('input', () => { heldUntil.seek = Date.now() + 60000; });
    slider.addEventListener('change', () => seekTo(Number(slider.value)));
  }
  for (const slider of $$('.volume')) slider.addEventListener('input', () => setVolume(Number(slider.value)));
  $('#btn-speedup').addEventListener('click', async () => {
    speedSteps += 1;
    showSpeed();
    await send('/speedup');
  });
  $('#btn-speeddown').addEventListener('click', async () => {
    speedSteps -= 1;
    showSpeed();
    await send('/speeddown');
  });
  const dialog = $('#nowplaying');
  $('#nowbar-open').addEventListener('click', () => {
    dialog.showModal();
    loadRating();
  });
  $('#np-close').addEventListener('click', () => dialog.close());
  wireRating();
  wireMediaSession();
  showSpeed();
  onStatus((current, previous) => {
    showSong(current, previous);
    showTimes(current);
    showVolume(current);
  });
  pollNow();
}
