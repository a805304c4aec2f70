// The "…" menu of a row and the song information dialog.

import { QUEUE_BASE, element, parseLines, send } from './commands.js';
import { pollNow } from './feed.js';

let returnFocus = null;

function openDialog(dialog) {
  returnFocus = document.activeElement;
  dialog.showModal();
}

function wireDialogReturn(dialog) {
  dialog.addEventListener('close', () => {
    if (returnFocus && returnFocus.isConnected) returnFocus.focus();
    returnFocus = null;
  });
}

// `actions` are [label, handler] pairs shown as a list of buttons under the title.
export function showMenu(title, actions) {
  const dialog = document.querySelector('#rowmenu');
  document.querySelector('#rowmenu-title').textContent = title;
  const box = document.querySelector('#rowmenu-actions');
  box.replaceChildren();
  for (const [label, handler] of actions) {
    const button = element('button', 'menu-action', label);
    button.type = 'button';
    button.addEventListener('click', async () => {
      dialog.close();
      await handler();
      pollNow();
    });
    box.append(button);
  }
  openDialog(dialog);
}

let infoId = 0;

function ratingButtons(rate, onRate) {
  const box = document.querySelector('#songinfo-rating');
  box.replaceChildren();
  for (let value = 0; value <= 5; ++value) {
    const label = value === 0 ? 'No rating' : `${value} of 5`;
    const button = element('button', value === 0 ? 'star clear' : 'star', value === 0 ? '\u2205' : '\u2605');
    button.type = 'button';
    button.setAttribute('aria-label', label);
    button.title = label;
    button.setAttribute('aria-pressed', String(value === rate || (value > 0 && value <= rate)));
    button.classList.toggle('on', value > 0 && value <= rate);
    button.addEventListener('click', () => onRate(value));
    box.append(button);
  }
}

export async function showSongInfo(id, onRated) {
  infoId = id;
  const fields = parseLines(await send(`/getsonginfo&id=${id}`));
  const title = fields.TITLE && fields.TITLE !== '-' ? fields.TITLE : fields.FILE || '';
  document.querySelector('#songinfo-title').textContent = title;
  const list = document.querySelector('#songinfo-fields');
  list.replaceChildren();
  for (const key of ['ARTIST', 'ALBUM', 'GENRE', 'YEAR', 'TRACK', 'PLAYCOUNT', 'ADDED', 'FILE', 'PATH']) {
    if (!(key in fields)) continue;
    list.append(element('dt', '', key.charAt(0) + key.slice(1).toLowerCase()), element('dd', '', fields[key]));
  }
  const rate = async (value) => {
    await send(`/setrate&id=${infoId}&value=${value}`);
    ratingButtons(value, rate);
    onRated(infoId, value);
  };
  ratingButtons(Number(fields.RATE) || 0, rate);
  document.querySelector('#btn-queueone').hidden = id >= QUEUE_BASE;
  const dialog = document.querySelector('#songinfo');
  if (!dialog.open) openDialog(dialog);
}

export function wireSongInfo() {
  document.querySelector('#btn-openfolder').addEventListener('click',
    () => send(`/songaction&id=${infoId}&action=openfolder`));
  document.querySelector('#btn-queueone').addEventListener('click', async () => {
    await send(`/queueadd&s${infoId}`);
    pollNow();
  });
  for (const dialog of document.querySelectorAll('dialog')) wireDialogReturn(dialog);
}
