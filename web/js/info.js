// The info view: the player's version, audio, uptime and store figures, as plain lines.

import { element, parseHtml, send } from './commands.js';

// The pages are lines joined by <br>; only their text is shown.
function lines(html) {
  const doc = parseHtml(html.replace(/<br\s*\/?>/gi, '\n'));
  return doc.body.textContent.split('\n').map((line) => line.trim()).filter(Boolean);
}

function fill(selector, html) {
  const list = element('ul', 'info-lines');
  list.append(...lines(html).map((line) => element('li', '', line)));
  document.querySelector(selector).replaceChildren(list);
}

export async function showInfo() {
  fill('#info-main', await send('/getinfo'));
  fill('#info-store', await send('/getinfo_fs'));
}
