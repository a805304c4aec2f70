// Song rows and folder groups built from the player's list fragments: the fragments stay as
// other clients know them, and this client shows their data in its own markup.

import { element, iconButton } from './commands.js';

const AUDIO_EXTENSION = /\.[A-Za-z0-9]{1,5}$/;

let musicFolders = [];

// Heads shown before the folders arrived are named again.
export function setMusicFolders(text) {
  musicFolders = text.split('\n').map((line) => line.trim().replace(/\/+$/, '')).filter(Boolean);
  for (const head of document.querySelectorAll('.folder-title[title] .folder-name')) {
    head.textContent = shortPath(head.parentElement.title);
  }
  for (const crumb of document.querySelectorAll('.folder-crumb[title]')) crumb.textContent = `${shortPath(crumb.title)} /`;
}

// A folder's path below its music folder; the music folder itself by its last name.
export function shortPath(path) {
  for (const root of musicFolders) {
    if (path === root) return root.slice(root.lastIndexOf('/') + 1) || root;
    if (path.startsWith(`${root}/`)) return path.slice(root.length + 1);
  }
  return path;
}

function safeLink(anchor) {
  const href = anchor.getAttribute('href') || '';
  if (!/^https?:\/\//i.test(href)) return null;
  const link = element('a', 'song-link', anchor.textContent);
  link.href = href;
  link.target = '_blank';
  link.rel = 'noopener noreferrer';
  return link;
}

// The data of one <tr> of a fragment.
export function readRow(row) {
  const [textCell, timeCell, rateCell] = row.querySelectorAll('td');
  const radio = Boolean(textCell.querySelector('.type_icon'));
  let title = '';
  const links = [];
  let description = '';
  for (const node of textCell.childNodes) {
    if (node.nodeType === Node.TEXT_NODE) title += node.textContent;
    else if (node.matches('a')) links.push(node);
    else if (node.matches('.radio_descr')) description = node.textContent.replace(/^ - /, '');
  }
  const time = timeCell ? timeCell.textContent.trim() : '';
  const rate = rateCell ? Number(/r(\d)/.exec(rateCell.className)?.[1] || 0) : 0;
  return { id: Number(row.id.slice(1)), title: title.trim(), time, rate, radio, links, description };
}

// A row's rating as text; its star buttons are drawn only when the row is used (see
// showTools), which keeps a long page cheap to draw.
function starText(rate) {
  const box = element('span', 'stars');
  box.setAttribute('role', 'img');
  box.setAttribute('aria-label', `Rating: ${rate} of 5`);
  box.append(element('span', 'on', '\u2605'.repeat(rate)), '\u2606'.repeat(5 - rate));
  return box;
}

function starButtons(rate) {
  const box = element('span', 'stars live');
  box.setAttribute('role', 'group');
  box.setAttribute('aria-label', `Rating: ${rate} of 5`);
  for (let value = 1; value <= 5; ++value) {
    const star = iconButton('star', `Rate ${value} of 5`, value <= rate ? '\u2605' : '\u2606');
    star.dataset.value = String(value);
    star.setAttribute('aria-pressed', String(value <= rate));
    star.classList.toggle('on', value <= rate);
    box.append(star);
  }
  return box;
}

// Gives a row its star buttons in place of the text, once the pointer or the focus is on it.
export function showTools(row) {
  const text = row.querySelector('.stars:not(.live)');
  if (text) text.replaceWith(starButtons(Number(row.dataset.rate)));
}

// Rows of `container` get their tools as they are pointed at or focused.
export function wireRowTools(container) {
  const use = (event) => {
    const row = event.target.closest?.('.song');
    if (row && container.contains(row)) showTools(row);
  };
  container.addEventListener('focusin', use);
  container.addEventListener('pointerover', use);
}

// One song or station row; `actions` are the buttons after the time: 'add', 'remove', 'menu'.
export function songRow(data, actions) {
  const row = element('li', 'song');
  row.dataset.id = String(data.id);
  row.dataset.rate = String(data.rate);
  const untagged = data.time === '-' && !data.radio;
  const shown = untagged ? data.title.replace(AUDIO_EXTENSION, '') : data.title;
  row.classList.toggle('untagged', untagged);
  row.classList.toggle('station', data.radio);
  const main = element('button', 'song-main');
  main.type = 'button';
  main.append(element('span', 'song-title', shown));
  if (data.description) main.append(element('span', 'song-sub', data.description));
  main.setAttribute('aria-label', `Play ${shown}`);
  row.append(main);
  if (data.links.length) {
    const links = element('span', 'song-links');
    for (const anchor of data.links) {
      const link = safeLink(anchor);
      if (link) links.append(link);
    }
    row.append(links);
  }
  row.append(element('span', 'song-time', data.radio || untagged ? '' : data.time));
  row.append(starText(data.rate));
  for (const action of actions) {
    if (action === 'add') row.append(iconButton('add', `Add ${shown} to the queue`, '+'));
    if (action === 'remove') row.append(iconButton('remove', `Remove ${shown} from the queue`, '\u2715'));
    if (action === 'menu') row.append(iconButton('menu', `More for ${shown}`, '\u22EF'));
  }
  return row;
}

export function showRating(row, rate) {
  row.dataset.rate = String(rate);
  const box = row.querySelector('.stars');
  if (!box?.matches('.live')) {
    box?.replaceWith(starText(rate));
    return;
  }
  box.setAttribute('aria-label', `Rating: ${rate} of 5`);
  for (const star of box.querySelectorAll('.star')) {
    const on = Number(star.dataset.value) <= rate;
    star.textContent = on ? '\u2605' : '\u2606';
    star.classList.toggle('on', on);
    star.setAttribute('aria-pressed', String(on));
  }
}

export function rowsOf(table, actions) {
  const list = element('ol', 'songs');
  for (const row of table.querySelectorAll('tr[id]')) list.append(songRow(readRow(row), actions));
  return list;
}

// A folder of the library page: a head with its short path (compact when it lists no songs
// of its own, as the parents of albums do) and its rows.
export function folderBlock(dir, actions) {
  const head = dir.querySelector('.dirhead');
  const number = Number(head.id.slice(1));
  const path = head.textContent.trim();
  const rows = dir.querySelectorAll('tr[id]');
  const block = element('section', rows.length ? 'folder' : 'folder parent');
  block.dataset.folder = String(number);
  const top = element('div', 'folder-head');
  const art = dir.querySelector('img.art');
  if (art && rows.length) {
    const picture = element('img', 'folder-art');
    picture.src = art.getAttribute('src');
    picture.alt = '';
    picture.loading = 'lazy';
    top.append(picture);
  }
  const name = shortPath(path);
  if (!rows.length) {
    const crumb = element('p', 'folder-crumb', `${name} /`);
    crumb.title = path;
    top.append(crumb);
  } else {
    const title = element('button', 'folder-title');
    title.type = 'button';
    title.title = path;
    title.append(element('span', 'folder-name', name));
    top.append(title);
    top.append(iconButton('rescan', `Scan ${name} again`, '\u21BB'));
    top.append(iconButton('addall', `Add every song of ${name} to the queue`, '+'));
  }
  block.append(top);
  if (rows.length) block.append(rowsOf(dir, actions));
  return block;
}

export function markPlaying(container, resource) {
  for (const row of container.querySelectorAll('.song.playing')) {
    row.classList.remove('playing');
    row.removeAttribute('aria-current');
  }
  if (!resource) return;
  for (const row of container.querySelectorAll(`.song[data-id="${Number(resource)}"]`)) {
    row.classList.add('playing');
    row.setAttribute('aria-current', 'true');
  }
}

// The rating a click on a star asks for: the same star again clears it.
export function ratingFromStar(star) {
  const row = star.closest('.song');
  const value = Number(star.dataset.value);
  return value === Number(row.dataset.rate) ? 0 : value;
}

// Replaces a list's content; a row control that had the focus gets it back in the new rows.
export function replaceKeepingFocus(container, parts) {
  const focused = document.activeElement;
  const row = container.contains(focused) ? focused.closest('.song') : null;
  const control = row ? Array.from(row.querySelectorAll('button')).indexOf(focused) : -1;
  container.replaceChildren(...parts);
  if (!row) return;
  const again = container.querySelector(`.song[data-id="${row.dataset.id}"]`);
  if (!again) return;
  showTools(again);
  again.querySelectorAll('button')[control]?.focus({ preventScroll: true });
}
