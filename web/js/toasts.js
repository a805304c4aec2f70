// Messages that float over the page without moving it; a screen reader hears them politely.

import { element } from './commands.js';

const SHOWN_MS = 4000;

export function toast(text, kind = 'info') {
  const box = document.querySelector('#toasts');
  const message = element('div', `toast ${kind}`, text);
  box.append(message);
  while (box.children.length > 3) box.firstElementChild.remove();
  setTimeout(() => message.remove(), SHOWN_MS);
}

// The feed repeats a message for a second or two: each one is shown once.
export function followFeedMessages(status, previous) {
  if (status.INFO && status.INFO !== previous.INFO) toast(status.INFO, 'info');
  if (status.ERROR && status.ERROR !== previous.ERROR) toast(status.ERROR, 'error');
}
