// Browser tests of the web client against a real player process, in Debian's headless Chromium
// driven by playwright-core. CTest runs them as `browser`; by hand, after `npm ci --prefix tests/browser`:
//   VELMORANT_EXE=build/velmorant VELMORANT_SOURCE_DIR=$PWD node --test tests/browser/player.test.mjs
// Screenshots of every view at both sizes go to VELMORANT_SCREENSHOT_DIR, else to
// screenshots/ in the working folder (the build folder under CTest), for a person to judge.
import { after, before, describe, it } from 'node:test';
import assert from 'node:assert/strict';
import { execFileSync } from 'node:child_process';
import fs from 'node:fs';
import http from 'node:http';
import os from 'node:os';
import path from 'node:path';
import { chromium } from 'playwright-core';
import {
  CHROMIUM, CHROMIUM_ARGS, SOURCE_DIR, freePort, get, launchPlayer, sleep, stopPlayer, waitForPlayer, waitUntil,
} from './harness.mjs';

// A long song whose tags and folder would turn into markup if anything on the way forgot to escape.
const ODD_FOLDER = 'Odd <img src=x onerror=alert(1)> & <b>Co';
const ODD_TITLE = '<script>window.injected = 1</script> & "Long"';
const ODD_ARTIST = '<b>Bold</b> Artist';
const ODD_SECONDS = 20;
const SHOTS = process.env.VELMORANT_SCREENSHOT_DIR || path.join(process.cwd(), 'screenshots');
const AXE = fs.readFileSync(path.join(path.dirname(new URL(import.meta.url).pathname), 'node_modules', 'axe-core', 'axe.min.js'), 'utf8');
const SIZES = { phone: { width: 390, height: 844 }, desktop: { width: 1280, height: 800 } };

function riffChunk(id, body) {
  const header = Buffer.alloc(8);
  header.write(id, 0, 'ascii');
  header.writeUInt32LE(body.length, 4);
  return Buffer.concat([header, body, Buffer.alloc(body.length % 2)]);
}

// 8 kHz 8-bit mono silence with a RIFF INFO tag.
function wavFile(seconds, info) {
  const format = Buffer.alloc(16);
  format.writeUInt16LE(1, 0);
  format.writeUInt16LE(1, 2);
  format.writeUInt32LE(8000, 4);
  format.writeUInt32LE(8000, 8);
  format.writeUInt16LE(1, 12);
  format.writeUInt16LE(8, 14);
  const fields = Object.entries(info).map(([id, text]) => riffChunk(id, Buffer.from(`${text}\0`, 'utf8')));
  const list = riffChunk('LIST', Buffer.concat([Buffer.from('INFO'), ...fields]));
  const body = Buffer.concat([Buffer.from('WAVE'), riffChunk('fmt ', format), list,
    riffChunk('data', Buffer.alloc(8000 * seconds, 128))]);
  return riffChunk('RIFF', body);
}

// The generated library plus the odd song; answers the songs a listing should show.
function makeLibrary(folder, manifest) {
  const tool = path.join(SOURCE_DIR, 'tools', 'make-library');
  execFileSync(tool, ['--quiet', '--out', folder, '--files', '30', '--images', '--manifest', manifest]);
  const [, ...lines] = fs.readFileSync(manifest, 'utf8').trim().split('\n');
  const songs = lines.map((line) => line.split('\t'))
    .filter(([file]) => !file.startsWith('.') && !file.startsWith('Broken Files'))
    .map(([file, , , title, artist]) => ({ file, title, artist }));
  fs.mkdirSync(path.join(folder, ODD_FOLDER));
  fs.writeFileSync(path.join(folder, ODD_FOLDER, '01 Long <u>song.wav'),
    wavFile(ODD_SECONDS, { INAM: ODD_TITLE, IART: ODD_ARTIST, IPRD: 'Odd & Album' }));
  songs.push({ file: `${ODD_FOLDER}/01 Long <u>song.wav`, title: ODD_TITLE, artist: ODD_ARTIST });
  return songs;
}

async function feed(player) {
  const status = {};
  for (const line of (await get(player, '/fetch')).split('\n')) {
    const space = line.indexOf(' ');
    if (space > 0 && !(line.slice(0, space) in status)) status[line.slice(0, space)] = line.slice(space + 1);
  }
  return status;
}

function waitForFeed(player, what, test, timeoutMs) {
  return waitUntil(async () => { const status = await feed(player); return test(status) && status; },
    what, timeoutMs);
}

// Seconds of the player's "mm:ss".
function seconds(text) {
  const [minutes, rest] = text.split(':').map(Number);
  return minutes * 60 + rest;
}

// A reload cuts the poll under way: that abort is the reload's, not a fault.
async function reload(page) {
  page.reloading = true;
  try {
    await page.reload();
  } finally {
    page.reloading = false;
  }
}

// How a song row names a song: "artist - title", or the bare title.
function rowText(song) {
  return song.artist ? `${song.artist} - ${song.title}` : song.title;
}

// An MP3 of the library sent as an endless radio stream, with the name header radio servers send.
function startStream(file) {
  const bytes = fs.readFileSync(file);
  const server = http.createServer((request, response) => {
    response.writeHead(200, { 'Content-Type': 'audio/mpeg', 'icy-name': 'Loopback Radio' });
    response.write(bytes);
    const timer = setInterval(() => response.write(bytes), 5000);
    response.on('close', () => clearInterval(timer));
  });
  return new Promise((resolve) => { server.listen(0, '127.0.0.1', () => resolve(server)); });
}

// strcasecmp's order: ASCII letters without case, other bytes as they are.
function caseless(a, b) {
  const lower = (text) => Buffer.from(text.replace(/[A-Z]/g, (c) => c.toLowerCase()));
  return Buffer.compare(lower(a), lower(b));
}

describe('web client', { timeout: 300000 }, () => {
  let root;
  let player;
  let browser;
  let songs;
  let stream;
  let outage = false;
  let earlierOutput = '';
  const problems = [];
  const dialogs = [];
  const pages = {};

  async function openPage(size) {
    const context = await browser.newContext({ viewport: SIZES[size], hasTouch: size === 'phone', isMobile: size === 'phone',
      colorScheme: 'dark' });
    // The handlers the page gives the media session, kept where the test can call them as a
    // lock screen would, and the last position state it was told.
    await context.addInitScript(() => {
      const session = navigator.mediaSession;
      const setHandler = session.setActionHandler.bind(session);
      const setPosition = session.setPositionState.bind(session);
      window.mediaActions = {};
      session.setActionHandler = (action, handler) => { window.mediaActions[action] = handler; setHandler(action, handler); };
      session.setPositionState = (state) => { window.mediaPosition = state; setPosition(state); };
    });
    const page = await context.newPage();
    page.setDefaultTimeout(15000);
    const note = (text) => { if (!outage) problems.push(`${size} ${text}`); };
    page.on('console', (message) => {
      if (message.type() === 'error') note(`console: ${message.text()} ${message.location().url}`);
    });
    page.on('pageerror', (error) => problems.push(`${size} page error: ${error.message}`));
    page.on('requestfailed', (request) => {
      if (page.reloading && request.failure()?.errorText === 'net::ERR_ABORTED') return;
      note(`failed: ${request.url()} ${request.failure()?.errorText}`);
    });
    page.on('response', (response) => { if (response.status() >= 400) note(`HTTP ${response.status()}: ${response.url()}`); });
    page.on('dialog', (dialog) => { dialogs.push(dialog.message()); dialog.dismiss(); });
    pages[size] = page;
    return page;
  }

  // No horizontal scrolling; on the phone every visible button is a finger's size; a picture.
  async function checkView(page, size, name) {
    await page.waitForLoadState('networkidle').catch(() => {});
    const overflow = await page.evaluate(() => document.documentElement.scrollWidth - window.innerWidth);
    assert.ok(overflow <= 0, `${size} ${name}: ${overflow} px of horizontal overflow`);
    if (size === 'phone') {
      const small = await page.$$eval('button, select, [role=tab]', (elements) => elements.flatMap((element) => {
        const box = element.getBoundingClientRect();
        if (box.width === 0 || box.height === 0 || getComputedStyle(element).visibility === 'hidden') return [];
        if (box.width >= 43.5 && box.height >= 43.5) return [];
        const label = element.getAttribute('aria-label') || element.textContent.trim().slice(0, 24);
        return [`${element.className} "${label}" ${Math.round(box.width)}x${Math.round(box.height)}`];
      }));
      assert.deepEqual(small, [], `${name}: buttons smaller than 44x44 px on the phone`);
    }
    // axe-core goes in through the debugging protocol, which the page's own policy does not bind.
    if (!(await page.evaluate(() => 'axe' in window))) await page.evaluate(AXE);
    const violations = await page.evaluate(async () => (await window.axe.run(document, { resultTypes: ['violations'] }))
      .violations.filter((v) => v.impact === 'serious' || v.impact === 'critical')
      .map((v) => `${v.id}: ${v.nodes.slice(0, 3).map((n) => n.target.join(' ')).join(', ')}`));
    assert.deepEqual(violations, [], `${size} ${name}: accessibility`);
    fs.mkdirSync(SHOTS, { recursive: true });
    await page.screenshot({ path: path.join(SHOTS, `${size}-${name}.png`) });
  }

  const tab = (page, name) => page.click(`#tabs [data-view="${name}"]`);
  const listed = (page, count) => page.waitForFunction((n) => document.querySelectorAll('#library .song').length === n, count);
  const rated = (id, value, how) => waitUntil(async () => (await get(player, `/getsonginfo&id=${id}`))
    .includes(`\nRATE ${value}\n`), `rating ${value} ${how}`);
  const queueShows = (page, titles) => page.waitForFunction((texts) => Array.from(document.querySelectorAll('#queue .song-title'),
    (cell) => cell.textContent).join('\n') === texts.join('\n'), titles);
  const rowTitles = (page, list) => page.$$eval(`${list} .song .song-title`, (cells) => cells.map((cell) => cell.textContent));

  before(async () => {
    root = fs.mkdtempSync(path.join(os.tmpdir(), 'velmorant-browser-'));
    songs = makeLibrary(path.join(root, 'music'), path.join(root, 'manifest.tsv'));
    stream = await startStream(path.join(root, 'music', songs.find((song) => song.file.endsWith('.mp3')).file));
    player = launchPlayer(root, await freePort());
    process.once('exit', () => player.child.kill('SIGKILL'));
    await waitForPlayer(player);
    browser = await chromium.launch({ executablePath: CHROMIUM, headless: true, args: CHROMIUM_ARGS });
  });

  after(async () => {
    await browser?.close().catch(() => {});
    stream?.close();
    const orderly = !player || await stopPlayer(player);
    if (root) fs.rmSync(root, { recursive: true, force: true });
    const ending = `${player?.code ?? player?.signal}`;
    assert.ok(orderly, `the player did not stop in order (${ending}):\n${player?.output.slice(-3000)}`);
  });

  it('asks for the music folder on first start, scans with progress and a summary, and lists the songs in name order', async () => {
    const page = await openPage('phone');
    await page.goto(player.url);
    await page.waitForSelector('#firstrun[open]');
    await checkView(page, 'phone', 'first-run');
    await page.fill('#firstrun-paths', path.join(root, 'music'));
    await page.click('#btn-firstrun');
    await page.waitForFunction(() => !document.querySelector('#firstrun').open);
    const summary = await page.waitForFunction(() => {
      const text = document.querySelector('#scanline').textContent;
      return /^Scanned [\d,]+ files: [\d,]+ new, 0 removed$/.test(text) && text;
    }, null, { timeout: 30000 });
    assert.match(await summary.jsonValue(), new RegExp(` ${songs.length} new,`));

    const expected = songs.map(rowText).sort();
    await page.waitForFunction((texts) => {
      const cells = Array.from(document.querySelectorAll('#library .song-title'), (cell) => cell.textContent);
      return cells.length === texts.length && texts.every((text) => cells.includes(text));
    }, expected).catch(() => {});
    assert.deepEqual((await rowTitles(page, '#library')).sort(), expected, 'every song listed by its tags');
    assert.equal(await page.$$eval('#library .song.untagged', (rows) => rows.length), 0);
    assert.equal(await get(player, '/getuserpref&SHOW_FIRST_RUN_DIALOG'), '0');

    // Folders in name order under each parent, each music folder before its subfolders;
    // heads name the path below the music folder.
    const paths = await page.$$eval('#library .folder', (blocks) =>
      blocks.map((block) => block.querySelector('[title]').title));
    const musicAt = paths.indexOf(path.join(root, 'music'));
    assert.ok(musicAt >= 0 && paths.slice(musicAt + 1).every((folder) => folder.startsWith(path.join(root, 'music/'))));
    for (let i = musicAt + 1; i < paths.length; ++i) {
      for (let j = musicAt + 1; j < i; ++j) {
        if (path.dirname(paths[j]) !== path.dirname(paths[i])) continue;
        assert.ok(caseless(path.basename(paths[j]), path.basename(paths[i])) < 0, `${paths[j]} before ${paths[i]}`);
      }
    }
    const names = (await page.$$eval('#library .folder', (blocks) =>
      blocks.map((block) => block.querySelector('.folder-name, .folder-crumb').textContent))).slice(musicAt);
    assert.equal(names[0], 'music /', 'the music folder by its last name');
    assert.ok(names.includes(ODD_FOLDER), 'the odd folder is named below the music folder, as text');
    assert.ok(names.every((name) => !name.startsWith(root)), 'no head shows the absolute path');
    const markup = '#library script, #library b, #library u, #library img[onerror]';
    assert.equal(await page.$$eval(markup, (found) => found.length), 0);
    assert.equal(await page.evaluate(() => window.injected), undefined);
    const covers = await page.$$eval('#library img.folder-art', (images) => images.map((image) => image.complete && image.naturalWidth));
    assert.ok(covers.length > 0 && covers.every((width) => width > 0), 'album pictures load');
    await checkView(page, 'phone', 'library');
  });

  for (const size of ['phone', 'desktop']) {
    describe(`at ${size} size`, () => {
      let page;
      before(async () => {
        page = pages[size] || await openPage(size);
        if (page.url() !== player.url) await page.goto(player.url);
        await tab(page, 'library');
        await page.waitForSelector('#library .song');
      });

      it('searches, shows the matches at once and plays one', async () => {
        await page.waitForSelector('#scanline', { state: 'hidden', timeout: 10000 });
        const word = 'Песня';
        const expected = songs.filter((song) => song.file.includes(word) || song.title.includes(word));
        assert.ok(expected.length > 0 && expected.length < songs.length);
        await page.fill('#search', word);
        await listed(page, expected.length);
        assert.deepEqual((await rowTitles(page, '#library')).sort(), expected.map(rowText).sort());
        await checkView(page, size, 'search');
        const first = page.locator('#library .song').first();
        await first.locator('.song-main').click();
        const status = await waitForFeed(player, 'a song playing', (s) => s.PLAYSTATUS === '1');
        await page.waitForFunction((title) => document.querySelector('.bar-title').textContent === title, status.TITLE);
        await page.waitForSelector('#library .song.playing[aria-current="true"]');
        await page.fill('#search', '');
        await listed(page, songs.length);
      });

      it('plays, pauses, seeks, sets the volume, speed and rating in the now-playing view', async () => {
        await page.locator('#library .song', { hasText: ODD_TITLE }).locator('.song-main').click();
        await page.waitForFunction((title) => document.querySelector('.bar-title').textContent === title, ODD_TITLE);
        assert.equal(await page.textContent('.bar-artist'), ODD_ARTIST);
        assert.equal(await page.title(), `${ODD_TITLE} · VelmorantPlayer`);
        const metadata = await page.evaluate(() => {
          const { title, artist, album } = navigator.mediaSession.metadata || {};
          return { title, artist, album };
        });
        assert.deepEqual(metadata, { title: ODD_TITLE, artist: ODD_ARTIST, album: 'Odd & Album' }, 'the lock screen names the song');

        // The lock screen's buttons drive the player, and its position follows the feed.
        const act = (action, details = {}) => page.evaluate(([name, more]) => window.mediaActions[name]({ action: name, ...more }),
          [action, details]);
        await act('pause');
        await waitForFeed(player, 'paused from the lock screen', (s) => s.PLAYSTATUS === '2');
        await act('seekto', { seekTime: ODD_SECONDS / 2 });
        await waitForFeed(player, 'a seek to the middle from the lock screen', (s) => Math.abs(Number(s.POSITION) - 500) <= 30);
        const fed = await feed(player);
        const told = await page.waitForFunction((elapsed) => Math.abs(window.mediaPosition?.position - elapsed) <= 1
          && window.mediaPosition, seconds(fed.TIMEPLAYING)).then((handle) => handle.jsonValue());
        assert.equal(told.duration, seconds(fed.TIME), 'the lock screen knows the length');
        await act('play');
        await waitForFeed(player, 'playing from the lock screen', (s) => s.PLAYSTATUS === '1');
        const odd = (await feed(player)).RESOURCE;
        await act('previoustrack');
        await waitForFeed(player, 'the song started again', (s) => s.RESOURCE === odd && Number(s.POSITION) < 100);
        // The other songs last a second or two, so these are checked by the command they send.
        for (const [action, command] of [['previoustrack', '/prev'], ['nexttrack', '/next'], ['stop', '/stop']]) {
          const answered = page.waitForResponse((response) => new URL(response.url()).pathname === command);
          await act(action);
          assert.equal((await answered).status(), 200, `${action} sends ${command}`);
        }
        await page.locator('#library .song', { hasText: ODD_TITLE }).locator('.song-main').click();
        await waitForFeed(player, 'the odd song again', (s) => s.TITLE === ODD_TITLE && s.PLAYSTATUS === '1');
        await page.click('#nowbar-open');
        await page.waitForSelector('#nowplaying[open]');
        await checkView(page, size, 'now-playing');
        await page.waitForSelector('#nowplaying .btn-play.playing');

        await page.fill('#np-seek', '500');
        const held = Number(await page.inputValue('#np-seek'));
        assert.ok(held >= 500 && held < 530, `the slider stays where it was put, not at ${held}`);
        assert.match(await page.textContent('#nowplaying .elapsed'), /^0:1[01]$/, 'the time follows at once');
        await waitForFeed(player, 'POSITION near 500', (s) => Math.abs(Number(s.POSITION) - 500) <= 100);

        await page.fill('#np-volume', '300');
        await waitForFeed(player, 'VOLUME near 300', (s) => Math.abs(Number(s.VOLUME) - 300) <= 1);
        await page.click('#btn-speedup');
        assert.equal(await page.textContent('#np-speed'), '1.20×');
        await page.click('#btn-speeddown');
        assert.equal(await page.textContent('#np-speed'), '1.00×');

        const id = (await feed(player)).RESOURCE;
        await page.click('#np-rating [data-value="4"]');
        await rated(id, 4, 'in the view');
        await page.click('#np-rating [data-value="0"]');
        await rated(id, 0, 'cleared in the view');

        await page.click('#nowplaying .btn-play');
        await waitForFeed(player, 'PLAYSTATUS 2', (s) => s.PLAYSTATUS === '2');
        await page.waitForSelector('#nowplaying .btn-play:not(.playing)');
        await page.click('#np-close');
        await page.waitForFunction(() => !document.querySelector('#nowplaying').open);
        await checkView(page, size, 'paused');
      });

      it('finds, plays, rates and seeks a song and opens the queue with the keyboard alone', async () => {
        await page.locator('body').focus();
        await page.keyboard.press('/');
        assert.equal(await page.evaluate(() => document.activeElement.id), 'search');
        await page.keyboard.type('Long');
        await listed(page, 1);
        await page.keyboard.press('Tab');
        while (!(await page.evaluate(() => document.activeElement.matches('#library .song-main')))) await page.keyboard.press('Tab');
        await checkView(page, size, 'keyboard-row');
        await page.keyboard.press('Enter');
        await waitForFeed(player, 'the odd song playing', (s) => s.TITLE === ODD_TITLE && s.PLAYSTATUS === '1');
        const id = (await feed(player)).RESOURCE;
        await page.keyboard.press('3');
        await rated(id, 3, 'by key');
        await page.keyboard.press('0');
        await rated(id, 0, 'cleared by key');
        await page.keyboard.press('Escape');
        await page.evaluate(() => document.activeElement.blur());
        await page.keyboard.press(' ');
        const paused = await waitForFeed(player, 'paused by the space key', (s) => s.PLAYSTATUS === '2');
        await page.keyboard.press('ArrowRight');
        const target = Number(paused.POSITION) + 250;  // 5 s of 20
        await waitForFeed(player, 'a seek of 5 s', (s) => Math.abs(Number(s.POSITION) - target) <= 30);
        await page.keyboard.press('q');
        await page.waitForSelector('#view-queue:not([hidden])');
        assert.equal(await page.evaluate(() => document.activeElement.id), 'tab-queue');
        await checkView(page, size, 'keyboard-queue');
        await page.keyboard.press('l');
        await page.waitForSelector('#view-library:not([hidden])');
        await page.fill('#search', '');
        await listed(page, songs.length);
      });

      it('browses the cover grid and plays a song of an album', async () => {
        await tab(page, 'albums');
        await page.waitForSelector('#albums .album-tile');
        const loaded = await page.$$eval('#albums img', (images) => images.every((image) => image.complete && image.naturalWidth > 0));
        assert.ok(loaded, 'every cover loads');
        await checkView(page, size, 'albums');
        await page.locator('#albums .album-tile').first().click();
        await page.waitForSelector('#album .song');
        await checkView(page, size, 'album');
        await page.locator('#album .song .song-main').first().click();
        await waitForFeed(player, 'an album song playing', (s) => s.PLAYSTATUS === '1');
        await page.waitForSelector('#album .song.playing');
        await page.click('#album .back');
        await page.waitForSelector('#albums .album-tile');
      });

      it('finds the place of a view again when going back to it, by tab, history or reload', async () => {
        await tab(page, 'library');
        await page.waitForSelector('#library .song');
        const settled = () => page.evaluate(() => new Promise((resolve) => {
          requestAnimationFrame(() => requestAnimationFrame(resolve));
        }));
        const place = await page.evaluate(() => {
          window.scrollTo(0, document.documentElement.scrollHeight / 2);
          return Math.round(window.scrollY);
        });
        assert.ok(place > 300, `the library is long enough to scroll (${place})`);
        await settled();
        const placed = (top) => page.waitForFunction((y) => Math.abs(window.scrollY - y) <= 1, top);
        await tab(page, 'info');
        await page.waitForSelector('#view-info:not([hidden])');
        await settled();
        await tab(page, 'library');
        await placed(place);
        await page.goBack();
        await page.waitForSelector('#view-info:not([hidden])');
        await page.goForward();
        await page.waitForSelector('#view-library:not([hidden])');
        await placed(place);
        await reload(page);
        await page.waitForSelector('#library .song');
        await placed(place);
        await page.evaluate(() => window.scrollTo(0, 0));
        await settled();
      });

      it('queues three songs, reorders them and marks the playing one', async () => {
        await get(player, '/queueclear');
        await tab(page, 'library');
        const rows = page.locator('#library .song');
        const chosen = [];
        for (let i = 0; i < 3; ++i) {
          chosen.push(await rows.nth(i).locator('.song-title').textContent());
          await rows.nth(i).locator('.add').click();
        }
        await tab(page, 'queue');
        await page.waitForFunction(() => document.querySelectorAll('#queue .song').length === 3);
        assert.deepEqual(await rowTitles(page, '#queue'), chosen);
        assert.match(await page.textContent('#queue-summary'), /^3 songs · \d+:\d\d in all · \d+:\d\d to go$/);

        await page.locator('#queue .song').nth(2).locator('.menu').click();
        await page.click('#rowmenu .menu-action:text-is("Move to the top")');
        await queueShows(page, [chosen[2], chosen[0], chosen[1]]);
        if (size === 'desktop') {
          await page.locator('#queue .song').nth(0).dragTo(page.locator('#queue .song').nth(2));
          await queueShows(page, chosen);
        }
        await page.locator('#queue .song').nth(1).locator('.song-main').click();
        await page.waitForSelector('#queue .song:nth-child(2).playing[aria-current="true"]');
        await page.waitForSelector('#queue .song:nth-child(1).played');
        await checkView(page, size, 'queue');
        await page.click('#btn-queueclear');
        await page.waitForFunction(() => document.querySelectorAll('#queue .song').length === 0);
      });

      it('adds an own radio station, plays it and removes it', async () => {
        await tab(page, 'radio');
        const name = `Own ${size}`;
        await page.fill('#station-name', name);
        await page.fill('#station-url', `http://127.0.0.1:${stream.address().port}/live`);
        await page.click('#btn-addstation');
        const row = page.locator('#radio .station-group[data-own="true"] .song', { hasText: name });
        await row.waitFor();
        await checkView(page, size, 'radio');
        await row.locator('.song-main').click();
        await waitForFeed(player, 'the station playing', (s) => s.PLAYTYPE === '2' && s.PLAYSTATUS === '1', 20000);
        await page.waitForFunction(() => document.querySelector('.bar-artist').textContent === 'Loopback Radio');
        await row.locator('.menu').click();
        await page.click('#rowmenu .menu-action:text-is("Remove this station")');
        await row.waitFor({ state: 'detached' });
        await get(player, '/stop');
        const stored = fs.readFileSync(path.join(root, 'data', 'Velmorant', 'radio2.vmr'), 'utf8');
        assert.ok(!stored.includes(name), 'the station is gone from radio2.vmr');
      });

      it('shows the filters, settings and info views', async () => {
        for (const view of ['filters', 'settings', 'info']) {
          await tab(page, view);
          await page.waitForSelector(`#view-${view}:not([hidden])`);
          await page.waitForLoadState('networkidle');
          await checkView(page, size, view);
        }
        // The equaliser in Hz and dB; sliders keep the focus through six steps and their updates.
        await tab(page, 'settings');
        const hertz = (value) => (value >= 1000 ? `${(value / 1000).toFixed(1)} kHz` : `${value} Hz`);
        const centres = [await get(player, '/getuserpref&EQ_0_CENTER'), await get(player, '/getuserpref&EQ_1_CENTER')];
        await page.waitForFunction((text) => document.querySelector('#eq output')?.textContent === text, hertz(Number(centres[0])));
        assert.equal(await page.textContent('#eq fieldset:nth-of-type(2) output'), hertz(Number(centres[1])));
        const gain = page.locator('#eq [data-setting="EQ_0_GAIN"]');
        assert.equal(await gain.getAttribute('aria-valuetext'), '0 dB');
        await gain.focus();
        for (let i = 0; i < 6; ++i) await page.keyboard.press('ArrowRight');
        await waitUntil(async () => await get(player, '/getuserpref&EQ_0_GAIN') === '1.413', 'a gain of +3 dB stored');
        assert.equal(await page.evaluate(() => document.activeElement.dataset.setting), 'EQ_0_GAIN');
        assert.equal(await gain.getAttribute('aria-valuetext'), '+3 dB');
        await page.click('#eq-presets button:text-is("Bass boost")');
        await waitUntil(async () => await get(player, '/getuserpref&EQ_0_GAIN') === '2', 'the bass preset');
        await page.click('#eq-presets button:text-is("Flat")');
        await waitUntil(async () => await get(player, '/getuserpref&EQ_0_GAIN') === '1', 'the flat preset');
        await tab(page, 'library');
      });

      it('follows a light system theme unless dark is chosen, and remembers the choice', async () => {
        const background = () => page.evaluate(() => getComputedStyle(document.body).backgroundColor);
        const dark = await background();
        await page.emulateMedia({ colorScheme: 'light' });
        const light = await background();
        assert.notEqual(light, dark);
        for (const view of ['library', 'albums', 'queue', 'radio', 'filters', 'settings', 'info']) {
          await tab(page, view);
          await checkView(page, size, `light-${view}`);
        }
        await page.click('#nowbar-open');
        await page.waitForSelector('#nowplaying[open]');
        await checkView(page, size, 'light-now-playing');
        await page.click('#np-close');
        await tab(page, 'settings');
        await page.selectOption('#theme', 'dark');
        assert.equal(await background(), dark);
        await reload(page);
        await page.waitForSelector('#view-settings:not([hidden])');
        assert.equal(await background(), dark, 'the choice survives a reload');
        await tab(page, 'settings');
        await page.selectOption('#theme', '');
        assert.equal(await background(), light);
        await page.emulateMedia({ colorScheme: 'dark' });
        await tab(page, 'library');
      });

      it('is installable, and its worker opens the page while the player is gone; a banner shows, and it recovers by itself', async () => {
        const cdp = await page.context().newCDPSession(page);
        // Test contexts are incognito, which Chromium names as the one error of its own.
        const { installabilityErrors } = await cdp.send('Page.getInstallabilityErrors');
        assert.deepEqual(installabilityErrors.filter((error) => error.errorId !== 'in-incognito'), []);
        assert.equal(await page.evaluate(async () => (await navigator.serviceWorker.ready).active.state), 'activated');
        // An updated client is what the next load gets, not the copy the worker kept.
        await page.waitForFunction(() => navigator.serviceWorker.controller);
        const styleFile = path.join(root, 'program', 'web', 'style.css');
        const style = fs.readFileSync(styleFile, 'utf8');
        fs.writeFileSync(styleFile, `${style}/* updated */\n`);
        await reload(page);
        const served = await page.evaluate(async () => (await fetch('style.css')).text());
        fs.writeFileSync(styleFile, style);
        assert.ok(served.endsWith('/* updated */\n'), 'the worker serves the updated file');
        outage = true;
        assert.ok(await stopPlayer(player), 'the player stopped in order');
        await page.waitForSelector('#banner:not([hidden])');
        assert.equal(await page.evaluate(() => document.querySelector('main').inert), true, 'controls are disabled');
        await reload(page);
        await page.waitForSelector('#banner:not([hidden])');
        assert.equal(await page.textContent('#tab-library'), 'Library', 'the worker serves the page');
        await checkView(page, size, 'offline');
        earlierOutput += player.output;
        player = launchPlayer(root, player.port);
        await waitForPlayer(player);
        await page.waitForSelector('#banner', { state: 'hidden', timeout: 20000 });
        await listed(page, songs.length);
        outage = false;
      });
    });
  }

  it('shows the progress of a longer scan until it is done, then its summary', async () => {
    const page = pages.desktop;
    const many = path.join(root, 'music', 'Many');
    fs.mkdirSync(many);
    for (let i = 0; i < 1500; ++i) fs.writeFileSync(path.join(many, `${i}.wav`), wavFile(1, { INAM: `Many ${i}` }));
    // The line changes faster than a test can look: every text it takes is kept.
    await page.evaluate(() => {
      const line = document.querySelector('#scanline');
      window.scanLines = [];
      new MutationObserver(() => { if (!line.hidden) window.scanLines.push(line.textContent); })
        .observe(line, { attributes: true, childList: true, characterData: true, subtree: true });
    });
    const summary = (counts) => page.waitForFunction((expected) => new RegExp(`^Scanned [\\d,]+ files: ${expected}$`)
      .test(document.querySelector('#scanline').textContent), counts, { timeout: 60000 })
      .catch(async () => assert.fail(`no summary "${counts}": ${(await page.evaluate(() => window.scanLines)).join(' | ')}`));
    await tab(page, 'settings');
    await page.click('#btn-scan');
    await summary('1,500 new, 0 removed');
    const lines = await page.evaluate(() => window.scanLines);
    const progress = /^(Scanning: [\d,]+ files in [\d,]+ folders|Reading tags: [\d,]+ songs to go)$/;
    assert.ok(lines.some((line) => progress.test(line)), `a progress line before the summary: ${lines.join(' | ')}`);
    // The files go and the folder stays: a folder that goes is put aside whole, not counted.
    for (const file of fs.readdirSync(many)) fs.rmSync(path.join(many, file));
    await page.click('#btn-scan');
    await summary('0 new, 1,500 removed');
    await tab(page, 'library');
  });

  it('met no console errors, failed requests or alerts on the way, and no radio connection error', () => {
    assert.deepEqual(problems, []);
    assert.deepEqual(dialogs, []);
    assert.ok(!`${earlierOutput}${player.output}`.includes('Connection error!'), 'no radio list address means no refresh');
  });
});
