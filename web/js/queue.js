// The queue view: the playing entry marked, played ones muted, times, reordering.

import { QUEUE_BASE, clock, element, parseHtml, playRow, send, seconds } from './commands.js';
import { onRevisionShown, onStatus, refresh, status } from './feed.js';
import { markPlaying, ratingFromStar, readRow, replaceKeepingFocus, showRating, songRow, wireRowTools } from './songlist.js';
import { showMenu, showSongInfo } from './songmenu.js';

const list = () => document.querySelector('#queue');
let entries = [];
let loads = 0;

// Where the next song to play sits: after the playing queue entry, else at the first
// entry not played yet.
function activeIndex() {
  const resource = Number(status.RESOURCE || 0);
  if (resource >= QUEUE_BASE) return resource - QUEUE_BASE;
  return Math.max(0, entries.length - Number(status.QUEUE_REMAINING || 0));
}

function nextIndex() {
  const resource = Number(status.RESOURCE || 0);
  return resource >= QUEUE_BASE ? activeIndex() + 1 : activeIndex();
}

function showTimes() {
  const active = activeIndex();
  const playing = Number(status.RESOURCE || 0) >= QUEUE_BASE;
  let total = 0;
  let left = 0;
  entries.forEach((entry, index) => {
    const length = seconds(entry.time);
    if (Number.isNaN(length)) return;
    total += length;
    if (index > active || (index === active && !playing)) left += length;
    else if (index === active) left += Math.max(0, length - (seconds(status.TIMEPLAYING) || 0));
  });
  const count = entries.length;
  document.querySelector('#queue-summary').textContent = count === 0 ? 'The queue is empty.'
    : `${count} ${count === 1 ? 'song' : 'songs'} \u00B7 ${clock(total)} in all \u00B7 ${clock(left)} to go`;
  const remaining = Number(status.QUEUE_REMAINING || 0);
  document.querySelector('#queue-count').textContent = remaining > 0 ? String(remaining) : '';
  list().querySelectorAll('.song').forEach((row, index) => row.classList.toggle('played', index < active));
}

function render(html) {
  const doc = parseHtml(html);
  entries = Array.from(doc.querySelectorAll('tr[id]'), readRow);
  const rows = element('ol', 'songs queue-songs');
  for (const entry of entries) {
    const row = songRow(entry, ['remove', 'menu']);
    row.draggable = true;
    rows.append(row);
  }
  replaceKeepingFocus(list(), [rows]);
  markPlaying(list(), status.RESOURCE);
  showTimes();
}

async function loadQueue() {
  const load = ++loads;
  const html = await send('/listqueue');
  if (load === loads) render(html);
}

async function move(from, to) {
  if (from === to || to < 0 || to >= entries.length) return;
  await send(`/queuemove&from=${from}&to=${to}`);
  await refresh();
}

// Queues a library song and moves it up to play next; the queue is read even while hidden.
export async function playNext(id) {
  await send(`/queueadd&s${id}`);
  await refresh();
  await loadQueue();
  await move(entries.length - 1, Math.min(nextIndex(), entries.length - 1));
}

function entryMenu(row, index) {
  const title = row.querySelector('.song-title').textContent;
  const id = QUEUE_BASE + index;
  showMenu(title, [
    ['Play', () => playRow(id, status)],
    ['Play next', () => move(index, Math.min(index < nextIndex() ? nextIndex() - 1 : nextIndex(), entries.length - 1))],
    ['Move to the top', () => move(index, 0)],
    ['Move up', () => move(index, index - 1)],
    ['Move down', () => move(index, index + 1)],
    ['Remove', () => send(`/queuedel&s${id}`)],
    ['Song information', () => showSongInfo(id, () => loadQueue())],
  ]);
}

async function handleClick(event) {
  const target = event.target.closest('button');
  const row = target?.closest('.song');
  if (!row) return;
  const index = Number(row.dataset.id) - QUEUE_BASE;
  if (target.matches('.song-main')) await playRow(row.dataset.id, status);
  else if (target.matches('.remove')) await send(`/queuedel&s${row.dataset.id}`);
  else if (target.matches('.star')) {
    const value = ratingFromStar(target);
    showRating(row, value);
    await send(`/setrate&id=${row.dataset.id}&value=${value}`);
  } else if (target.matches('.menu')) return entryMenu(row, index);
  await refresh();
}

function wireDragging() {
  let dragged = -1;
  list().addEventListener('dragstart', (event) => {
    const row = event.target.closest('.song');
    dragged = Number(row.dataset.id) - QUEUE_BASE;
    event.dataTransfer.effectAllowed = 'move';
    event.dataTransfer.setData('text/plain', String(dragged));
    row.classList.add('dragging');
  });
  list().addEventListener('dragover', (event) => {
    if (dragged < 0 || !event.target.closest('.song')) return;
    event.preventDefault();
    for (const row of list().querySelectorAll('.drop-target')) row.classList.remove('drop-target');
    event.target.closest('.song').classList.add('drop-target');
  });
  list().addEventListener('drop', (event) => {
    const row = event.target.closest('.song');
    if (dragged < 0 || !row) return;
    event.preventDefault();
    move(dragged, Number(row.dataset.id) - QUEUE_BASE);
  });
  list().addEventListener('dragend', () => {
    dragged = -1;
    for (const row of list().querySelectorAll('.dragging, .drop-target')) row.classList.remove('dragging', 'drop-target');
  });
}

export function wireQueue() {
  list().addEventListener('click', handleClick);
  wireRowTools(list());
  wireDragging();
  document.querySelector('#btn-queueshuffle').addEventListener('click', async () => {
    await send('/queueshuffle');
    await refresh();
  });
  document.querySelector('#btn-queueclear').addEventListener('click', async () => {
    await send('/queueclear');
    await refresh();
  });
  onRevisionShown('QUEUE_REVISION', document.querySelector('#view-queue'), loadQueue);
  onStatus((current, previous) => {
    if (current.RESOURCE !== previous.RESOURCE) markPlaying(list(), current.RESOURCE);
    showTimes();
  });
}
