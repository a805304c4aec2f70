// The library view: search, filter, modes, the page of folders and songs, and paging.

import { element, encode, iconButton, parseHtml, playRow, send } from './commands.js';
import { onRevision, onStatus, pollNow, refresh, status } from './feed.js';
import { folderBlock, markPlaying, ratingFromStar, replaceKeepingFocus, rowsOf, showRating, wireRowTools } from './songlist.js';
import { showMenu, showSongInfo } from './songmenu.js';
import { playNext } from './queue.js';
import { toast } from './toasts.js';

const SEARCH_DELAY_MS = 150;

const list = () => document.querySelector('#library');
let loads = 0;
let shownLoad = 0;
let shownHtml = '';
let page = { current: 1, count: 1 };
// Folders the user folded, by path, for this page's life.
const folded = new Set();

function showFolded(folder) {
  const title = folder.querySelector('.folder-title');
  if (!title) return;
  const isFolded = folded.has(title.title);
  folder.classList.toggle('folded', isFolded);
  if (folder.querySelector('.songs')) title.setAttribute('aria-expanded', String(!isFolded));
}

function toggleFolder(folder) {
  const path = folder.querySelector('.folder-title').title;
  if (!folded.delete(path)) folded.add(path);
  showFolded(folder);
}

function pager(position) {
  const nav = element('nav', `pager ${position}`);
  nav.setAttribute('aria-label', position === 'top' ? 'Pages' : 'Pages, bottom');
  const previous = iconButton('prevpage', 'Previous page', '\u2039');
  previous.disabled = page.current <= 1;
  const next = iconButton('nextpage', 'Next page', '\u203A');
  next.disabled = page.current >= page.count;
  const choice = element('select', 'pagechoice');
  choice.setAttribute('aria-label', 'Page');
  choice.append(new Option(String(page.current), String(page.current)));
  const label = element('span', 'pagelabel');
  label.append('Page ', choice, ` of ${page.count}`);
  nav.append(previous, label, next);
  return nav;
}

// A big library has hundreds of pages: the choice gets them all only once it is used.
function fillPageChoice(choice) {
  if (choice.options.length === page.count) return;
  const options = [];
  for (let number = 1; number <= page.count; ++number) options.push(new Option(String(number), String(number)));
  choice.replaceChildren(...options);
  choice.value = String(page.current);
}

function render(html) {
  const doc = parseHtml(html);
  const field = doc.querySelector('.pagefield');
  const total = / of (\d+)/.exec(field?.textContent || '');
  page = { current: Number(doc.querySelector('#currpage')?.textContent || 1), count: total ? Number(total[1]) : 1 };
  const parts = [];
  if (page.count > 1) parts.push(pager('top'));
  for (const node of doc.body.children) {
    if (node.matches('.dir')) parts.push(folderBlock(node, ['add', 'menu']));
    else if (node.matches('table')) parts.push(rowsOf(node, ['add', 'menu']));
  }
  if (!parts.some((part) => part.matches('.folder:not(.parent), .songs'))) {
    parts.push(element('p', 'empty', status.SEARCH ? 'No song matches the search.' : 'No songs to show.'));
  }
  if (page.count > 1) parts.push(pager('bottom'));
  parts.push(element('p', 'list-footer', doc.querySelector('#footer')?.textContent || ''));
  replaceKeepingFocus(list(), parts);
  for (const folder of list().querySelectorAll('.folder')) showFolded(folder);
  markPlaying(list(), status.RESOURCE);
}

// Reloads the page shown; an answer older than the one shown is dropped, and one the same
// as it is not drawn again.
async function loadLibrary() {
  const load = ++loads;
  const html = await send('/list');
  if (load < shownLoad || !html) return;
  shownLoad = load;
  if (html === shownHtml) return;
  shownHtml = html;
  render(html);
}

async function goToPage(number, fromBottom) {
  if (number < 1 || number > page.count) return;
  await changeThenLoad(`/setpage&${number}`);
  if (fromBottom) list().scrollIntoView({ block: 'start' });
}

async function rate(id, value, row) {
  if (row) showRating(row, value);
  await send(`/setrate&id=${id}&value=${value}`);
}

function songMenu(row) {
  const id = Number(row.dataset.id);
  const title = row.querySelector('.song-title').textContent;
  showMenu(title, [
    ['Play', () => playRow(id, status)],
    ['Play next', () => playNext(id)],
    ['Add to the queue', () => send(`/queueadd&s${id}`)],
    ['Song information', () => showSongInfo(id, () => loadLibrary())],
  ]);
}

async function handleClick(event) {
  const target = event.target.closest('button');
  if (!target) return;
  const row = target.closest('.song');
  const folder = target.closest('.folder');
  const pagerNav = target.closest('.pager');
  if (pagerNav) {
    const step = target.matches('.prevpage') ? -1 : target.matches('.nextpage') ? 1 : 0;
    if (step) await goToPage(page.current + step, pagerNav.matches('.bottom'));
    return;
  }
  if (row) {
    const id = Number(row.dataset.id);
    if (target.matches('.song-main')) await playRow(id, status);
    else if (target.matches('.add')) {
      await send(`/queueadd&s${id}`);
      toast('Added to the queue');
    } else if (target.matches('.menu')) return songMenu(row);
    else if (target.matches('.star')) await rate(id, ratingFromStar(target), row);
    pollNow();
    return;
  }
  if (!folder) return;
  const number = folder.dataset.folder;
  if (target.matches('.folder-title')) {
    toggleFolder(folder);
  } else if (target.matches('.rescan')) {
    await send(`/scan&${number}`);
  } else if (target.matches('.addall')) {
    const ids = Array.from(folder.querySelectorAll('.song'), (song) => `s${song.dataset.id}`);
    await send(`/queueadd&${ids.join('&')}`);
    toast(`${ids.length} songs added to the queue`);
    pollNow();
  }
}

function debounce(action, delay) {
  let timer = 0;
  return () => {
    clearTimeout(timer);
    timer = setTimeout(action, delay);
  };
}

// The list is asked at once, not after the poll that sees the command move REVISION; that
// poll's own reload then finds the same list and leaves it.
async function changeThenLoad(path) {
  await send(path);
  await Promise.all([loadLibrary(), refresh()]);
}

async function loadFilterNames() {
  const names = (await send('/listfilterselect')).split(';');
  const select = document.querySelector('#filter');
  select.replaceChildren(...names.map((name, index) => new Option(name, String(index))));
  select.value = status.FILTER || '0';
}

function followStatus(current, previous) {
  const search = document.querySelector('#search');
  if (document.activeElement !== search && current.SEARCH !== previous.SEARCH) search.value = current.SEARCH || '';
  document.querySelector('#filter').value = current.FILTER || '0';
  document.querySelector('#shuffle').checked = current.SHUFFLE === '1';
  document.querySelector('#flat').checked = current.FLAT === '1';
  if (current.RESOURCE !== previous.RESOURCE) markPlaying(list(), current.RESOURCE);
}

export function wireLibrary() {
  list().addEventListener('click', handleClick);
  wireRowTools(list());
  for (const use of ['focusin', 'pointerdown']) {
    list().addEventListener(use, (event) => {
      if (event.target.matches('.pagechoice')) fillPageChoice(event.target);
    });
  }
  list().addEventListener('change', (event) => {
    if (event.target.matches('.pagechoice')) {
      goToPage(Number(event.target.value), Boolean(event.target.closest('.pager.bottom')));
    }
  });
  const search = document.querySelector('#search');
  search.addEventListener('input', debounce(() => changeThenLoad(`/search&${encode(search.value)}`),
    SEARCH_DELAY_MS));
  const filter = document.querySelector('#filter');
  filter.addEventListener('change', () => changeThenLoad(`/setfilter&${filter.value}`));
  for (const mode of ['shuffle', 'flat']) {
    const box = document.querySelector(`#${mode}`);
    box.addEventListener('change', () => changeThenLoad(`/set${mode}&${box.checked ? 1 : 0}`));
  }
  document.querySelector('#btn-current').addEventListener('click', async () => {
    await changeThenLoad('/setpagetocurrentsong');
    list().querySelector('.song.playing')?.scrollIntoView({ block: 'center' });
  });
  onRevision('REVISION', loadLibrary);
  onRevision('FILTER_REVISION', loadFilterNames);
  // The first page is asked at once rather than after the first poll, which asks it again.
  loadLibrary();
  onStatus(followStatus);
}
