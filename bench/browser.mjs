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

let probes = 0;

// The page's clock (performance.now()) once the rows that first pass the test are on screen.
function rowsWhen(page, test, argument) {
  return page.waitForFunction(test, { arg: argument, key: ++probes },
    { timeout: 30000, polling: 'raf' }).then((handle) => handle.jsonValue());
}

// Put in every page before its own scripts. A test runs before a frame's layout and paint,
// so the time is taken at the next frame, once those are done; false until then.
function installClock() {
  const times = {};
  window.shownAfter = (key, held) => {
    if (!(key in times) && held) {
      times[key] = 0;
      requestAnimationFrame(() => { times[key] = performance.now(); });
    }
    return times[key] || false;
  };
  // The first rows are watched from the page's start: a waitForFunction would first have to
  // bring Playwright's own script into the page, which on a busy machine lands well after them.
  const look = () => {
    if (!window.shownAfter('first', document.querySelector('#library .song'))) requestAnimationFrame(look);
  };
  requestAnimationFrame(look);
}

// Page functions: each reads the rows itself, as Playwright sends them to the page whole.
const firstRows = () => window.shownAfter('first', false);
// The footer ("N matches. …") changes when a search's result is shown.
const newFooter = ({ arg, key }) => {
  const footer = document.querySelector('#library .list-footer');
  return window.shownAfter(key, Boolean(footer && footer.textContent.split('.')[0] !== arg
    && document.querySelector('#library .song')));
};
const footerCount = () => document.querySelector('#library .list-footer').textContent.split('.')[0];
const newFirst = ({ arg, key }) => {
  const first = document.querySelector('#library .song .song-title');
  return window.shownAfter(key, Boolean(first && first.textContent !== arg));
};

const browser = await chromium.launch({ executablePath: '/usr/bin/chromium', headless: true, args: CHROMIUM_ARGS });
const timings = { fetch: [], firstList: [], search: [], pageSwitch: [] };

for (let run = 0; run < runs; ++run) {
  const context = await browser.newContext({ viewport: { width: 1280, height: 800 } });
  await context.addInitScript(installClock);
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
  const shown = await rowsWhen(page, firstRows);
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
