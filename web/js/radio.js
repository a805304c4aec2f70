// The radio view: the station groups, playing a station, and the user's own stations.

import { element, encode, parseHtml, playRow, send } from './commands.js';
import { onRevisionShown, onStatus, refresh, status } from './feed.js';
import { markPlaying, ratingFromStar, replaceKeepingFocus, rowsOf, showRating, wireRowTools } from './songlist.js';
import { showMenu } from './songmenu.js';
import { toast } from './toasts.js';

// The group the player keeps the user's own stations in.
const OWN_GROUP = 'Own stations';

const list = () => document.querySelector('#radio');
let loads = 0;

function render(html) {
  const doc = parseHtml(html);
  const groups = [];
  for (const dir of doc.querySelectorAll('.dir')) {
    const name = dir.querySelector('.dirhead').textContent.trim();
    const group = element('section', 'folder station-group');
    group.dataset.own = String(name === OWN_GROUP);
    const head = element('div', 'folder-head');
    head.append(element('h3', 'folder-name', name));
    group.append(head, rowsOf(dir, ['menu']));
    groups.push(group);
  }
  if (groups.length === 0) {
    groups.push(element('p', 'empty', 'No stations yet: add one of your own above, or refresh the published list.'));
  }
  replaceKeepingFocus(list(), groups);
  markPlaying(list(), status.RESOURCE);
}

async function loadRadio() {
  const load = ++loads;
  const html = await send('/listradio');
  if (load === loads) render(html);
}

function stationMenu(row) {
  const id = row.dataset.id;
  const actions = [['Play', () => playRow(id, status)]];
  if (row.closest('.station-group').dataset.own === 'true') {
    actions.push(['Remove this station', async () => {
      if ((await send(`/radioremove&id=${id}`)) === 'ok') toast('Station removed');
      await refresh();
    }]);
  }
  showMenu(row.querySelector('.song-title').textContent, actions);
}

async function handleClick(event) {
  const target = event.target.closest('button');
  const row = target?.closest('.song');
  if (!row) return;
  if (target.matches('.song-main')) await playRow(row.dataset.id, status);
  else if (target.matches('.star')) {
    const value = ratingFromStar(target);
    showRating(row, value);
    await send(`/setrate&id=${row.dataset.id}&value=${value}`);
  } else if (target.matches('.menu')) return stationMenu(row);
  await refresh();
}

async function addStation(event) {
  event.preventDefault();
  const name = document.querySelector('#station-name');
  const url = document.querySelector('#station-url');
  const answer = await send(`/radioadd&name=${encode(name.value.trim())}&url=${encode(url.value.trim())}`);
  if (answer !== 'ok') {
    toast('A station needs a name and an http:// or https:// address.', 'error');
    return;
  }
  toast(`${name.value.trim()} added`);
  name.value = '';
  url.value = '';
  await refresh();
}

export function wireRadio() {
  list().addEventListener('click', handleClick);
  wireRowTools(list());
  document.querySelector('#station-form').addEventListener('submit', addStation);
  document.querySelector('#btn-syncradio').addEventListener('click', async () => {
    await send('/syncradio');
    await refresh();
  });
  onRevisionShown('RADIO_REVISION', document.querySelector('#view-radio'), loadRadio);
  onStatus((current, previous) => {
    if (current.RESOURCE !== previous.RESOURCE) markPlaying(list(), current.RESOURCE);
  });
}
