// The web client's start: views as tabs, the banner while the player is gone, shortcuts.

import { onConnection, onStatus, startFeed, status } from './feed.js';
import { loadAlbums, showAlbums, wireAlbums } from './albums.js';
import { wireFilters } from './filters.js';
import { showInfo } from './info.js';
import { wireLibrary } from './library.js';
import { seekBy, setVolume, transport, wireNowPlaying } from './nowplaying.js';
import { wireQueue } from './queue.js';
import { wireRadio } from './radio.js';
import { loadMusicFolders, showSettings, wireSettings } from './settings.js';
import { wireSongInfo } from './songmenu.js';
import { send } from './commands.js';
import { enterView, wireScrollPlaces } from './scrollplaces.js';
import { showRating } from './songlist.js';
import { followFeedMessages, toast } from './toasts.js';

const $ = (selector) => document.querySelector(selector);
const tabs = () => Array.from(document.querySelectorAll('#tabs [role="tab"]'));

const onShow = { albums: showAlbums, settings: showSettings, info: showInfo };

function selectView(name, { focus = false, remember = true } = {}) {
  const tab = tabs().find((candidate) => candidate.dataset.view === name) || tabs()[0];
  for (const other of tabs()) {
    const selected = other === tab;
    other.setAttribute('aria-selected', String(selected));
    other.tabIndex = selected ? 0 : -1;
    $(`#view-${other.dataset.view}`).hidden = !selected;
  }
  enterView(tab.dataset.view);
  if (focus) tab.focus();
  if (remember && location.hash !== `#${tab.dataset.view}`) history.pushState(null, '', `#${tab.dataset.view}`);
  onShow[tab.dataset.view]?.();
}

function wireTabs() {
  const list = $('#tabs');
  list.addEventListener('click', (event) => {
    const tab = event.target.closest('[role="tab"]');
    if (tab) selectView(tab.dataset.view);
  });
  list.addEventListener('keydown', (event) => {
    const all = tabs();
    const at = all.indexOf(document.activeElement);
    const moves = { ArrowRight: at + 1, ArrowLeft: at - 1, Home: 0, End: all.length - 1 };
    if (!(event.key in moves) || at < 0) return;
    event.preventDefault();
    selectView(all[(moves[event.key] + all.length) % all.length].dataset.view, { focus: true });
  });
  window.addEventListener('popstate', () => selectView(location.hash.slice(1), { remember: false }));
  selectView(location.hash.slice(1), { remember: false });
}

function wireConnection() {
  onConnection((online) => {
    $('#banner').hidden = online;
    document.body.classList.toggle('offline', !online);
    for (const part of document.querySelectorAll('main, #nowbar, #tabs')) part.inert = !online;
    if (online) {
      loadMusicFolders();
      loadAlbums();
    }
  });
  onStatus(followFeedMessages);
}

// The choice stays in this browser; none follows the system.
function wireTheme() {
  const choice = document.querySelector('#theme');
  const apply = (theme) => {
    if (theme) document.documentElement.dataset.theme = theme;
    else delete document.documentElement.dataset.theme;
  };
  choice.value = localStorage.getItem('theme') || '';
  apply(choice.value);
  choice.addEventListener('change', () => {
    if (choice.value) localStorage.setItem('theme', choice.value);
    else localStorage.removeItem('theme');
    apply(choice.value);
  });
}

function inField(target) {
  return target.closest('input, textarea, select, [contenteditable="true"]');
}

// A digit on a focused row rates its song; 0 clears the rating.
async function rateRow(row, value) {
  showRating(row, value);
  await send(`/setrate&id=${row.dataset.id}&value=${value}`);
  toast(value ? `Rated ${value} of 5` : 'Rating cleared');
}

// Shortcuts; a key typed into a field stays the field's, except Escape, which leaves it.
function wireKeys() {
  const keys = {
    ' ': () => transport('/play'),
    ArrowLeft: (event) => seekBy(event.shiftKey ? -30 : -5),
    ArrowRight: (event) => seekBy(event.shiftKey ? 30 : 5),
    ArrowUp: () => setVolume(Number(status.VOLUME || 0) + 50),
    ArrowDown: () => setVolume(Number(status.VOLUME || 0) - 50),
    n: () => transport('/next'),
    p: () => transport('/prev'),
    q: () => selectView('queue', { focus: true }),
    l: () => selectView('library', { focus: true }),
    '/': () => {
      selectView('library');
      $('#search').focus();
    },
    '?': () => $('#help').showModal(),
  };
  document.addEventListener('keydown', (event) => {
    const row = event.target.closest?.('.song');
    if (row && /^[0-5]$/.test(event.key) && !event.ctrlKey && !event.metaKey && !event.altKey) {
      event.preventDefault();
      rateRow(row, Number(event.key));
      return;
    }
    if (event.key === 'Escape' && inField(event.target) && !document.querySelector('dialog[open]')) {
      event.target.blur();
      return;
    }
    if (event.ctrlKey || event.metaKey || event.altKey || inField(event.target)) return;
    if (document.querySelector('dialog[open]')) return;
    // The tabs move with the arrow keys themselves.
    if (event.target.closest('[role="tablist"]') && /^(Arrow|Home|End| )/.test(event.key)) return;
    if (event.key === ' ' && event.target.closest('button, a')) return;
    const action = keys[event.key];
    if (!action) return;
    event.preventDefault();
    action(event);
  });
}

wireTheme();
wireSongInfo();
wireNowPlaying();
wireLibrary();
wireAlbums();
wireQueue();
wireRadio();
wireFilters();
wireSettings();
wireConnection();
wireScrollPlaces();
wireTabs();
wireKeys();
startFeed();
loadMusicFolders();
// Browsers keep workers only for secure origins (https, or this machine itself).
if ('serviceWorker' in navigator && window.isSecureContext) navigator.serviceWorker.register('sw.js').catch(() => {});
