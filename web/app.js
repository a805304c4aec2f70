// The web client: asks the player for ready HTML lists and follows its status feed.
// Commands are "/name&param=value" paths; parameters start with "&", not "?".
'use strict';

const $ = (selector) => document.querySelector(selector);
const QUEUE_BASE = 1000000000;

const state = {
  revisions: {},
  status: {},
  seeking: false,
  songInfoId: 0,
  filterCount: 0,
};

async function command(path) {
  const response = await fetch(path, { cache: 'no-store' });
  return response.ok ? response.text() : '';
}

function encode(value) {
  return encodeURIComponent(value);
}

function rowNumber(element) {
  return parseInt(element.id.slice(1), 10);
}

// --- Status feed -----------------------------------------------------------------------

function parseFeed(text) {
  const status = {};
  for (const line of text.split('\n')) {
    if (!line) continue;
    const space = line.indexOf(' ');
    const key = space < 0 ? line : line.slice(0, space);
    const value = space < 0 ? '' : line.slice(space + 1);
    // A stream's feed names its album twice; the first one is the stream's own.
    if (!(key in status)) status[key] = value;
  }
  return status;
}

const listReloads = {
  REVISION: () => loadLibrary(),
  QUEUE_REVISION: () => loadQueue(),
  RADIO_REVISION: () => loadRadio(),
  FILTER_REVISION: () => { loadFilterNames(); loadFilterTable(); },
  EQ_REVISION: () => loadEqualiser(),
};

async function poll() {
  try {
    const status = parseFeed(await command('/fetch'));
    if (!status.REVISION) return;
    for (const [key, reload] of Object.entries(listReloads)) {
      if (state.revisions[key] !== status[key]) {
        state.revisions[key] = status[key];
        reload();
      }
    }
    showStatus(status);
  } catch (error) {
    $('#error').textContent = 'The player does not answer.';
  } finally {
    setTimeout(poll, 1000);
  }
}

function showStatus(status) {
  const previous = state.status;
  state.status = status;
  $('#title').textContent = status.TITLE || 'Nothing playing';
  $('#artist').textContent = status.ARTIST || '';
  $('#album').textContent = status.ALBUM || '';
  const cover = status.IMAGE ? status.IMAGE : 'gfx/missing_art.png';
  if ($('#cover').getAttribute('src') !== cover) $('#cover').setAttribute('src', cover);
  $('#time').textContent = status.TIME || '00:00';
  $('#timeplaying').textContent = status.TIMEPLAYING || '00:00';
  if (!state.seeking) $('#seek').value = status.POSITION || 0;
  if (document.activeElement !== $('#volume')) $('#volume').value = status.VOLUME || 0;
  $('#btn-play').classList.toggle('playing', status.PLAYSTATUS === '1');
  $('#info').textContent = status.INFO || '';
  $('#error').textContent = status.ERROR || '';
  $('#scanning').textContent = status.SCANNING || '';
  const remaining = parseInt(status.QUEUE_REMAINING || '0', 10);
  $('#queue-remaining').textContent = remaining > 0 ? `(${remaining})` : '';
  if (document.activeElement !== $('#search')) $('#search').value = status.SEARCH || '';
  $('#filter').value = status.FILTER || '0';
  $('#shuffle').checked = status.SHUFFLE === '1';
  $('#flat').checked = status.FLAT === '1';
  $('#eq-active').checked = parseFloat(status.EQ_ACTIVE || '0') !== 0;
  if (previous.RESOURCE !== status.RESOURCE) markPlaying();
  if (status.SHOW_FIRST_RUN_DIALOG === '1' && !previous.SHOW_FIRST_RUN_DIALOG) showFirstRun();
  document.title = status.TITLE ? `${status.TITLE} · VelmorantPlayer` : 'VelmorantPlayer';
}

function markPlaying() {
  const resource = state.status.RESOURCE;
  for (const row of document.querySelectorAll('tr.playing')) row.classList.remove('playing');
  if (!resource) return;
  for (const row of document.querySelectorAll(`tr[id='s${resource}']`)) row.classList.add('playing');
}

// --- Lists -------------------------------------------------------------------------------

async function loadInto(selector, path) {
  $(selector).innerHTML = await command(path);
  markPlaying();
}

const loadLibrary = () => loadInto('#library', '/list');
const loadQueue = () => loadInto('#queue', '/listqueue');
const loadRadio = () => loadInto('#radio', '/listradio');
// The page policy runs no inline handlers: the remove buttons' own ones are cut from the
// text before it becomes elements, and a click finds the filter by its row.
async function loadFilterTable() {
  $('#filters').innerHTML = (await command('/listfilter')).replace(/ onclick='[^']*'/g, '');
}

async function loadFilterNames() {
  const names = (await command('/listfilterselect')).split(';');
  state.filterCount = names.length - 1;
  const select = $('#filter');
  select.replaceChildren(...names.map((name, index) => new Option(name, String(index))));
  select.value = state.status.FILTER || '0';
}

function currentPage() {
  const current = document.querySelector('#currpage');
  return current ? parseInt(current.textContent, 10) : 1;
}

function handleListClick(event) {
  const target = event.target;
  const row = target.closest('tr[id]');
  const head = target.closest('.dirhead');
  if (target.matches('.btnadd') && row) return command(`/queueadd&s${rowNumber(row)}`);
  if (target.matches('.btndel') && row) return command(`/queuedel&s${rowNumber(row)}`);
  if (target.matches('.btnmenu') && row) return showSongInfo(rowNumber(row));
  if (target.matches('td[class^="r"]') && row) return rateFromClick(event, target, row);
  if (target.matches('.btnsync') && head) return command(`/scan&${rowNumber(head)}`);
  if (target.matches('.btnadd') && head) return queueFolder(head);
  if (target.matches('img.art')) return target.classList.toggle('big');
  if (head) return command(`/dir&d${rowNumber(head)}`).then(loadLibrary);
  if (target.matches('.prevpage')) return command(`/setpage&${currentPage() - 1}`).then(loadLibrary);
  if (target.matches('.nextpage')) return command(`/setpage&${currentPage() + 1}`).then(loadLibrary);
  if (target.matches('.pagenum')) return command(`/setpage&${target.textContent}`).then(loadLibrary);
  if (row && !target.closest('button, a')) return command(`/set&s${rowNumber(row)}`);
  return undefined;
}

function queueFolder(head) {
  const rows = head.closest('.dir').querySelectorAll('tr[id]');
  if (rows.length === 0) return undefined;
  return command(`/queueadd&${Array.from(rows, (row) => row.id).join('&')}`);
}

// The five stars of the rating cell: a click on the n-th star sets the rating n.
function rateFromClick(event, cell, row) {
  const box = cell.getBoundingClientRect();
  const stars = Math.min(5, Math.max(0, Math.ceil(((event.clientX - box.left) / box.width) * 5)));
  const id = rowNumber(row);
  cell.className = `r${stars}`;
  return command(`/setrate&id=${id}&value=${stars}`);
}

// --- Song info dialog --------------------------------------------------------------------

async function showSongInfo(id) {
  state.songInfoId = id;
  const fields = parseFeed(await command(`/getsonginfo&id=${id}`));
  $('#songinfo-title').textContent = fields.TITLE && fields.TITLE !== '-' ? fields.TITLE : (fields.FILE || '');
  const list = $('#songinfo-fields');
  list.replaceChildren();
  for (const key of ['ARTIST', 'ALBUM', 'GENRE', 'YEAR', 'TRACK', 'PLAYCOUNT', 'ADDED', 'FILE', 'PATH']) {
    if (!(key in fields)) continue;
    const term = document.createElement('dt');
    term.textContent = key.charAt(0) + key.slice(1).toLowerCase();
    const value = document.createElement('dd');
    value.textContent = fields[key];
    list.append(term, value);
  }
  showRating(parseInt(fields.RATE, 10) || 0);
  $('#btn-queueone').hidden = id >= QUEUE_BASE;
  $('#songinfo').showModal();
}

function showRating(rate) {
  const box = $('#songinfo-rating');
  box.replaceChildren();
  for (let stars = 1; stars <= 5; ++stars) {
    const button = document.createElement('button');
    button.type = 'button';
    button.textContent = stars <= rate ? '\u2605' : '\u2606';
    button.title = `${stars} of 5`;
    button.addEventListener('click', async () => {
      const value = stars === rate ? 0 : stars;
      await command(`/setrate&id=${state.songInfoId}&value=${value}`);
      showRating(value);
      loadLibrary();
    });
    box.append(button);
  }
}

// --- Filters -----------------------------------------------------------------------------

const filterIndex = (row) => Array.from(document.querySelectorAll('#filters tr')).slice(1).indexOf(row);

function saveFilterRow(row) {
  const index = filterIndex(row);
  const [name, query] = row.querySelectorAll('input[type=text]');
  return command(`/setfilterdata&name=${encode(name.value)}&value=${encode(query.value)}&index=${index}`);
}

// --- Settings ----------------------------------------------------------------------------

async function loadSettings() {
  $('#paths').value = await command('/getuserpref&REPOSITORY_PATHS');
  $('#pagesize').value = await command('/getuserpref&PAGE_MAX_MATCHES');
}

function setPreference(name, value) {
  return command(`/setuserpref&name=${encode(name)}&value=${encode(value)}`);
}

const EQ_LIMITS = {
  CENTER: { min: 20, max: 20000, step: 1, label: 'Centre (Hz)' },
  BANDWIDTH: { min: 0.2, max: 5, step: 0.1, label: 'Width (octaves)' },
  GAIN: { min: 0.05, max: 3, step: 0.05, label: 'Gain' },
};

async function loadEqualiser() {
  const text = await command('/fetcheq');
  const values = (name) => Array.from(text.matchAll(new RegExp(`<${name}>([^<]*)</${name}>`, 'g')), (m) => m[1]);
  const bands = { CENTER: values('CENTER'), BANDWIDTH: values('BANDWIDTH'), GAIN: values('GAIN') };
  const box = $('#eq');
  box.replaceChildren();
  for (let band = 0; band < 3; ++band) {
    const fieldset = document.createElement('fieldset');
    const legend = document.createElement('legend');
    legend.textContent = `Band ${band + 1}`;
    fieldset.append(legend);
    for (const [key, limits] of Object.entries(EQ_LIMITS)) {
      const label = document.createElement('label');
      const output = document.createElement('span');
      const input = Object.assign(document.createElement('input'), { type: 'range', ...limits });
      input.value = bands[key][band] || limits.min;
      output.textContent = ` ${parseFloat(input.value)}`;
      input.addEventListener('input', () => { output.textContent = ` ${parseFloat(input.value)}`; });
      input.addEventListener('change', () => setPreference(`EQ_${band}_${key}`, input.value));
      label.append(limits.label, output, input);
      fieldset.append(label);
    }
    box.append(fieldset);
  }
}

async function loadInfo() {
  $('#info-main').innerHTML = await command('/getinfo');
  $('#info-store').innerHTML = await command('/getinfo_fs');
}

async function showFirstRun() {
  $('#firstrun-paths').value = await command('/getuserpref&REPOSITORY_PATHS');
  $('#firstrun').showModal();
}

// --- Wiring ------------------------------------------------------------------------------

function debounce(action, delay) {
  let timer = 0;
  return (...args) => {
    clearTimeout(timer);
    timer = setTimeout(() => action(...args), delay);
  };
}

function wireTransport() {
  const simple = { '#btn-prev': '/prev', '#btn-play': '/play', '#btn-stop': '/stop', '#btn-next': '/next',
    '#btn-speedup': '/speedup', '#btn-speeddown': '/speeddown', '#btn-queueclear': '/queueclear',
    '#btn-queueshuffle': '/queueshuffle', '#btn-syncradio': '/syncradio', '#btn-newfilter': '/newfilter',
    '#btn-rescantags': '/rescantags', '#btn-scan': '/scan' };
  for (const [selector, path] of Object.entries(simple)) $(selector).addEventListener('click', () => command(path));
  const seek = $('#seek');
  seek.addEventListener('input', () => { state.seeking = true; });
  seek.addEventListener('change', async () => {
    await command(`/setposition&${seek.value}`);
    state.seeking = false;
  });
  $('#volume').addEventListener('input', debounce(() => command(`/setvolume&value=${$('#volume').value}`), 100));
}

function wireLibrary() {
  $('#library').addEventListener('click', handleListClick);
  $('#queue').addEventListener('click', handleListClick);
  $('#radio').addEventListener('click', handleListClick);
  $('#search').addEventListener('input', debounce(() => command(`/search&${encode($('#search').value)}`), 400));
  $('#filter').addEventListener('change', () => command(`/setfilter&${$('#filter').value}`));
  $('#shuffle').addEventListener('change', () => command(`/setshuffle&${$('#shuffle').checked ? 1 : 0}`));
  $('#flat').addEventListener('change', () => command(`/setflat&${$('#flat').checked ? 1 : 0}`));
  $('#btn-current').addEventListener('click', () => command('/setpagetocurrentsong').then(loadLibrary));
  $('#filters').addEventListener('change', (event) => {
    const row = event.target.closest('tr');
    if (row) saveFilterRow(row);
  });
  $('#filters').addEventListener('click', (event) => {
    if (event.target.value !== 'remove') return;
    command(`/removefilter&index=${filterIndex(event.target.closest('tr'))}`);
  });
}

function wireDialogs() {
  $('#btn-openfolder').addEventListener('click', () => command(`/songaction&id=${state.songInfoId}&action=openfolder`));
  $('#btn-queueone').addEventListener('click', () => command(`/queueadd&s${state.songInfoId}`));
  $('#btn-firstrun').addEventListener('click', async () => {
    await setPreference('REPOSITORY_PATHS', $('#firstrun-paths').value);
    await setPreference('SHOW_FIRST_RUN_DIALOG', '0');
    await command('/scan');
  });
  $('#btn-savepaths').addEventListener('click', () => setPreference('REPOSITORY_PATHS', $('#paths').value));
  $('#pagesize').addEventListener('change', () => setPreference('PAGE_MAX_MATCHES', $('#pagesize').value).then(loadLibrary));
  $('#eq-active').addEventListener('change', () => setPreference('EQ_ACTIVE', $('#eq-active').checked ? '1' : '0'));
}

function wireTabs() {
  for (const button of document.querySelectorAll('#tabs button')) {
    button.addEventListener('click', () => {
      for (const other of document.querySelectorAll('#tabs button')) other.classList.toggle('active', other === button);
      for (const tab of document.querySelectorAll('.tab')) tab.classList.toggle('active', tab.id === `tab-${button.dataset.tab}`);
      if (button.dataset.tab === 'settings') loadSettings();
      if (button.dataset.tab === 'info') loadInfo();
    });
  }
}

wireTransport();
wireLibrary();
wireDialogs();
wireTabs();
poll();
