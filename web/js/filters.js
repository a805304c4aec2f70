// The filter list: name and expression of each filter, edited in place.

import { element, encode, iconButton, parseHtml, send } from './commands.js';
import { onRevisionShown, refresh } from './feed.js';

const box = () => document.querySelector('#filters');

function field(label, value, className) {
  const wrapper = element('label', `filter-field ${className}`);
  const input = element('input');
  input.type = 'text';
  input.value = value;
  input.spellcheck = false;
  wrapper.append(element('span', 'filter-label', label), input);
  return wrapper;
}

async function loadFilterTable() {
  const doc = parseHtml(await send('/listfilter'));
  const rows = Array.from(doc.querySelectorAll('tr')).slice(1);
  const items = rows.map((row, index) => {
    const [name, query] = Array.from(row.querySelectorAll('input[type=text]'), (input) => input.getAttribute('value') || '');
    const item = element('li', 'filter');
    item.dataset.index = String(index);
    item.append(field('Name', name, 'filter-name'), field('Expression', query, 'filter-query'),
      iconButton('remove', `Remove the filter ${name}`, '\u2715'));
    return item;
  });
  const list = element('ol', 'filter-list');
  list.append(...items);
  box().replaceChildren(list);
}

export function wireFilters() {
  box().addEventListener('change', async (event) => {
    const item = event.target.closest('.filter');
    if (!item) return;
    const name = item.querySelector('.filter-name input').value;
    const query = item.querySelector('.filter-query input').value;
    await send(`/setfilterdata&name=${encode(name)}&value=${encode(query)}&index=${item.dataset.index}`);
    await refresh();
  });
  box().addEventListener('click', async (event) => {
    const button = event.target.closest('.remove');
    if (!button) return;
    await send(`/removefilter&index=${button.closest('.filter').dataset.index}`);
    await refresh();
  });
  document.querySelector('#btn-newfilter').addEventListener('click', async () => {
    await send('/newfilter');
    await refresh();
  });
  onRevisionShown('FILTER_REVISION', document.querySelector('#view-filters'), loadFilterTable);
}
