// The timings of bench/browser.sh, in a fresh page of headless Chromium each run.
//   node bench/browser.mjs URL RUNS
import { createRequire } from 'node:module';
import path from 'node:path';
import { fileURLToPath } from 'node:url';

const require = createRequire(path.join(path.dirname(fileURLToPath(import.meta.url)), '../tests/browser/package.json'));
const { chromium } = require('playwright-core');

const [url, runsText = '10'] = process.argv.slice(2);
const runs = Number(runsText);
const CHROMIUM_ARGS = ['--headless', '--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
  '--disable-background-networking', '--disable-component-update', '--disable-sync'];
// A word some generated titles hold.
const WORD = 'Песня';

function median(values) {
  const sorted = [...values].sort((a, b) => a - b);
  const middle = Math.floor(sorted.length / 2);
  return sorted.length % 2 ? sorted[middle] : (sorted[middle - 1] + sorted[middle]) / 2;
}

// The page's clock (performance.now()) when the rows first pass the test, checked every frame.
function rowsWhen(page, test, argument) {
  return page.waitForFunction(test, { arg: argument },
    { timeout: 30000, polling: 'raf' }).then((handle) => handle.jsonValue());
}

// Page functions: each reads the rows itself, as Playwright sends them to the page whole.
const anyRows = () => document.querySelectorAll('#library .song').length > 0 && performance.now();
// The footer ("N matches. …") changes when a search's result is shown.
const newFooter = ({ arg }) => {
  const footer = document.querySelector('#library .list-footer');
  return footer && footer.textContent.split('.')[0] !== arg && document.querySelector('#library .song') && performance.now();
};
const footerCount = () => document.querySelector('#library .list-footer').textContent.split('.')[0];
const newFirst = ({ arg }) => {
  const first = document.querySelector('#library .song .song-title');
  return first && first.textContent !== arg && performance.now();
};

const browser = await chromium.launch({ executablePath: '/usr/bin/chromium', headless: true, args: CHROMIUM_ARGS });
const timings = { fetch: [], firstList: [], search: [], pageSwitch: [] };

for (let run = 0; run < runs; ++run) {
  const context = await browser.newContext({ viewport: { width: 1280, height: 800 } });
  const page = await context.newPage();
  await page.goto(`${url}blank`);
  // Every run starts alike: no welcome dialog (a fresh settings folder has one), no search,
  // the first page.
  await page.evaluate(async () => {
    for (const path of ['/setuserpref&name=SHOW_FIRST_RUN_DIALOG&value=0', '/search&', '/setpage&1']) await fetch(path);
  });
  timings.fetch.push(await page.evaluate(async () => {
    const start = performance.now();
    await (await fetch('/fetch', { cache: 'no-store' })).text();
    return performance.now() - start;
  }));

  await page.goto(url);
  const shown = await rowsWhen(page, anyRows);
  const navigation = await page.evaluate(() => performance.getEntriesByType('navigation')[0].startTime);
  timings.firstList.push(shown - navigation);

  // Typing ends with the last key; the rows must then hold the word only.
  const unfiltered = await page.evaluate(footerCount);
  await page.click('#search');
  await page.keyboard.type(WORD.slice(0, -1), { delay: 30 });
  const typed = await page.evaluate(() => performance.now());
  await page.keyboard.type(WORD.slice(-1));
  const found = await rowsWhen(page, newFooter, unfiltered);
  const filtered = await page.evaluate(footerCount);
  timings.search.push(found - typed);
  await page.fill('#search', '');
  await rowsWhen(page, newFooter, filtered);

  // The page switch: from the click on "next page" to the first row of the new page.
  const before = await page.$eval('#library .song .song-title', (cell) => cell.textContent);
  const clicked = await page.evaluate(() => {
    document.querySelector('.pager.top .nextpage').click();
    return performance.now();
  });
  const switched = await rowsWhen(page, newFirst, before);
  timings.pageSwitch.push(switched - clicked);
  await context.close();
}
await browser.close();

const targets = { fetch: '', firstList: '<= 500', search: '<= 300 after the last key', pageSwitch: '<= 150' };
console.log(`${'timing (ms)'.padEnd(14)} ${'median'.padStart(8)} ${'min'.padStart(8)} ${'max'.padStart(8)}  target`);
for (const [name, values] of Object.entries(timings)) {
  const line = [median(values), Math.min(...values), Math.max(...values)].map((v) => v.toFixed(1).padStart(8)).join(' ');
  console.log(`${name.padEnd(14)} ${line}  ${targets[name]}`);
}
