// The cover grid: every album folder with a picture; a cover opens that folder's songs.

import { element, parseHtml, playRow, send } from './commands.js';
import { onRevision, onStatus, refresh, status } from './feed.js';
import { folderBlock, markPlaying, ratingFromStar, shortPath, showRating, wireRowTools } from './songlist.js';
import { showMenu, showSongInfo } from './songmenu.js';
import { playNext } from './queue.js';
import { toast } from './toasts.js';

const grid = () => document.querySelector('#albums');
const detail = () => document.querySelector('#album');
let stale = true;
let openFolder = null;

function tile(folder, picture, path) {
  const name = shortPath(path);
  const parts = name.split('/');
  const button = element('button', 'album-tile');
  button.type = 'button';
  button.dataset.folder = folder;
  const image = element('img', 'album-cover');
  image.src = `img&id=${picture}&nr=0`;
  image.alt = '';
  image.loading = 'lazy';
  image.width = 160;
  image.height = 160;
  const caption = element('span', 'album-name', parts[parts.length - 1]);
  const under = element('span', 'album-under', parts.length > 1 ? parts[parts.length - 2] : '');
  button.append(image, caption, under);
  button.setAttribute('aria-label', name);
  return button;
}

export async function loadAlbums() {
  stale = false;
  const lines = (await send('/listalbums')).split('\n').filter(Boolean);
  const tiles = lines.map((line) => {
    const [folder, picture, ...path] = line.split('\t');
    return tile(folder, picture, path.join('\t'));
  });
  if (tiles.length === 0) tiles.push(element('p', 'empty', 'No album has a cover picture yet.'));
  grid().replaceChildren(...tiles);
}

async function showFolder(folder) {
  openFolder = folder;
  const doc = parseHtml(await send(`/listfolder&d${folder}`));
  const dir = doc.querySelector('.dir');
  if (!dir) return;
  const back = element('button', 'back', '\u2039 All albums');
  back.type = 'button';
  detail().replaceChildren(back, folderBlock(dir, ['add', 'menu']));
  markPlaying(detail(), status.RESOURCE);
  grid().hidden = true;
  detail().hidden = false;
  back.focus();
}

function showGrid() {
  const folder = openFolder;
  openFolder = null;
  detail().hidden = true;
  grid().hidden = false;
  grid().querySelector(`[data-folder="${folder}"]`)?.focus();
}

async function handleDetailClick(event) {
  const target = event.target.closest('button');
  if (!target) return;
  if (target.matches('.back')) return showGrid();
  const row = target.closest('.song');
  if (target.matches('.addall')) {
    const ids = Array.from(detail().querySelectorAll('.song'), (song) => `s${song.dataset.id}`);
    await send(`/queueadd&${ids.join('&')}`);
    toast(`${ids.length} songs added to the queue`);
  } else if (target.matches('.rescan')) {
    await send(`/scan&${openFolder}`);
  } else if (target.matches('.folder-title')) {
    return undefined;
  } else if (row) {
    const id = Number(row.dataset.id);
    if (target.matches('.song-main')) await playRow(id, status);
    else if (target.matches('.add')) {
      await send(`/queueadd&s${id}`);
      toast('Added to the queue');
    } else if (target.matches('.star')) {
      const value = ratingFromStar(target);
      showRating(row, value);
      await send(`/setrate&id=${id}&value=${value}`);
    } else if (target.matches('.menu')) {
      const title = row.querySelector('.song-title').textContent;
      return showMenu(title, [
        ['Play', () => playRow(id, status)],
        ['Play next', () => playNext(id)],
        ['Add to the queue', () => send(`/queueadd&s${id}`)],
        ['Song information', () => showSongInfo(id, () => {})],
      ]);
    }
  }
  return refresh();
}

// The grid follows the library, but is only fetched while it is shown.
export function showAlbums() {
  if (stale) loadAlbums();
}

export function wireAlbums() {
  grid().addEventListener('click', (event) => {
    const cover = event.target.closest('.album-tile');
    if (cover) showFolder(cover.dataset.folder);
  });
  detail().addEventListener('click', handleDetailClick);
  wireRowTools(detail());
  onRevision('REVISION', () => {
    stale = true;
    if (!document.querySelector('#view-albums').hidden && !openFolder) loadAlbums();
  });
  onStatus((current, previous) => {
    if (current.RESOURCE !== previous.RESOURCE) markPlaying(detail(), current.RESOURCE);
  });
}
