// Browser tests of the web client against a real player process, in Debian's headless Chromium
// driven by playwright-core. CTest runs them as `browser`; by hand, after `npm ci --prefix tests/browser`:
//   VELMORANT_EXE=build/velmorant VELMORANT_SOURCE_DIR=$PWD node --test tests/browser/player.test.mjs
// VELMORANT_SCREENSHOT=/some/file.png also saves a picture of the filled page for a person to judge.
import { after, before, describe, it } from 'node:test';
import assert from 'node:assert/strict';
import { spawn, execFileSync } from 'node:child_process';
import fs from 'node:fs';
import http from 'node:http';
import net from 'node:net';
import os from 'node:os';
import path from 'node:path';
import { chromium } from 'playwright-core';

const EXE = process.env.VELMORANT_EXE;
const SOURCE_DIR = process.env.VELMORANT_SOURCE_DIR;
const CHROMIUM = process.env.VELMORANT_CHROMIUM || '/usr/bin/chromium';
// Without the background-networking switches Chromium dials out, and a closed network refuses it.
const CHROMIUM_ARGS = ['--headless', '--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
  '--disable-background-networking', '--disable-component-update', '--disable-sync'];

// A long song whose tags and folder would turn into markup if anything on the way forgot to escape.
const ODD_FOLDER = 'Odd <img src=x onerror=alert(1)> & <b>Co';
const ODD_TITLE = '<script>window.injected = 1</script> & "Long"';
const ODD_ARTIST = '<b>Bold</b> Artist';
const ODD_SECONDS = 20;

function sleep(ms) {
  return new Promise((resolve) => { setTimeout(resolve, ms); });
}

async function waitUntil(condition, what, timeoutMs = 15000) {
  const end = Date.now() + timeoutMs;
  for (;;) {
    const result = await condition();
    if (result) return result;
    if (Date.now() > end) throw new Error(`timed out waiting for ${what}`);
    await sleep(100);
  }
}

function freePort() {
  return new Promise((resolve, reject) => {
    const probe = net.createServer();
    probe.once('error', reject);
    probe.listen(0, '127.0.0.1', () => {
      const { port } = probe.address();
      probe.close(() => resolve(port));
    });
  });
}

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

// A player of its own: a program folder with the built executable, the web client as it is in
// the source tree (the build copies it only when it links), private data and runtime folders, a
// free port and silent audio. Answers at once, before the player listens.
function launchPlayer(root, port) {
  const program = path.join(root, 'program');
  fs.mkdirSync(program, { recursive: true });
  fs.mkdirSync(path.join(root, 'run'));
  fs.copyFileSync(EXE, path.join(program, 'velmorant'));
  fs.cpSync(path.join(SOURCE_DIR, 'web'), path.join(program, 'web'), { recursive: true });
  fs.copyFileSync(path.join(SOURCE_DIR, 'data', 'filters.vmr'), path.join(program, 'filters.vmr'));
  fs.writeFileSync(path.join(program, 'serversettings.ini'), `PORT=${port}\n`);
  const child = spawn(path.join(program, 'velmorant'), [], {
    cwd: root,
    env: { ...process.env, HOME: root, XDG_DATA_HOME: path.join(root, 'data'),
      XDG_RUNTIME_DIR: path.join(root, 'run'), VELMORANT_AUDIO: 'null' },
    stdio: ['ignore', 'pipe', 'pipe'],
  });
  const player = { child, port, url: `http://127.0.0.1:${port}/`, output: '', exited: false };
  child.stdout.on('data', (data) => { player.output += data; });
  child.stderr.on('data', (data) => { player.output += data; });
  child.on('exit', (code, signal) => Object.assign(player, { exited: true, code, signal }));
  return player;
}

function waitForPlayer(player) {
  return waitUntil(async () => {
    if (player.exited) throw new Error(`the player stopped:\n${player.output}`);
    return (await get(player, '/fetch').catch(() => '')).includes('REVISION ');
  }, 'the player to answer', 30000);
}

// Stops the player as the system would; true when it ended in order.
async function stopPlayer(player) {
  if (!player.exited) player.child.kill('SIGTERM');
  const stopped = await waitUntil(() => player.exited, 'the player to stop', 10000).catch(() => false);
  if (!stopped) player.child.kill('SIGKILL');
  return stopped && player.code === 0;
}

// The player ends its Date header line with a bare line feed, which browsers accept and
// Node's strict parser does not.
function get(player, command) {
  return new Promise((resolve, reject) => {
    const request = http.get({ host: '127.0.0.1', port: player.port, path: command, agent: false,
      insecureHTTPParser: true }, (response) => {
      let body = '';
      response.setEncoding('utf8');
      response.on('data', (data) => { body += data; });
      response.on('end', () => resolve(body));
    });
    request.on('error', reject);
    request.setTimeout(10000, () => request.destroy(new Error(`no answer to ${command}`)));
  });
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

// How a song row names a song: "artist - title", or the bare title.
function rowText(song) {
  return song.artist ? `${song.artist} - ${song.title}` : song.title;
}

describe('web client', { timeout: 90000 }, () => {
  let root;
  let player;
  let browser;
  let page;
  let songs;
  const problems = [];
  const dialogs = [];

  // The song cells of the list shown, as text.
  const listedSongs = () =>
    page.$$eval('#library tr[id^="s"] td:first-child', (cells) => cells.map((cell) => cell.textContent));
  const waitForRowCount = (count, what) =>
    page.waitForFunction((n) => document.querySelectorAll('#library tr[id^="s"]').length === n, count)
      .catch((error) => { throw new Error(`${what}: ${error.message}`); });

  before(async () => {
    root = fs.mkdtempSync(path.join(os.tmpdir(), 'velmorant-browser-'));
    songs = makeLibrary(path.join(root, 'music'), path.join(root, 'manifest.tsv'));
    player = launchPlayer(root, await freePort());
    process.once('exit', () => player.child.kill('SIGKILL'));
    await waitForPlayer(player);
    browser = await chromium.launch({ executablePath: CHROMIUM, headless: true, args: CHROMIUM_ARGS });
    page = await browser.newPage({ viewport: { width: 1100, height: 800 } });
    page.setDefaultTimeout(15000);
    page.on('console', (message) => {
      if (message.type() === 'error') problems.push(`console: ${message.text()} ${message.location().url}`);
    });
    page.on('pageerror', (error) => problems.push(`page error: ${error.message}`));
    page.on('requestfailed', (request) => problems.push(`failed: ${request.url()} ${request.failure()?.errorText}`));
    page.on('response', (response) => {
      if (response.status() >= 400) problems.push(`HTTP ${response.status()}: ${response.url()}`);
    });
    page.on('dialog', (dialog) => { dialogs.push(dialog.message()); dialog.dismiss(); });
  });

  after(async () => {
    await browser?.close().catch(() => {});
    const orderly = !player || await stopPlayer(player);
    if (root) fs.rmSync(root, { recursive: true, force: true });
    const ending = `${player?.code ?? player?.signal}`;
    assert.ok(orderly, `the player did not stop in order (${ending}):\n${player?.output.slice(-3000)}`);
  });

  it('asks for the music folder on first start and lists every song by its tags after the scan', async () => {
    await page.goto(player.url);
    await page.waitForSelector('#firstrun[open]');
    await page.fill('#firstrun-paths', path.join(root, 'music'));
    await page.click('#btn-firstrun');
    await page.waitForFunction(() => !document.querySelector('#firstrun').open);

    // Rows first show file names; the titles follow once the tags are read.
    const expected = songs.map(rowText).sort();
    await page.waitForFunction((texts) => {
      const cells = Array.from(document.querySelectorAll('#library tr[id^="s"] td:first-child'),
        (cell) => cell.textContent);
      return cells.length === texts.length && texts.every((text) => cells.includes(text));
    }, expected).catch(() => {});
    assert.deepEqual((await listedSongs()).sort(), expected, 'every song listed by its tags');
    assert.equal(await get(player, '/getuserpref&SHOW_FIRST_RUN_DIALOG'), '0');
    assert.match(await page.textContent('#footer'), new RegExp(`^${songs.length} matches\\. `));
    const covers = await page.$$eval('#library img.art', (images) => images.map((image) => image.naturalWidth));
    assert.ok(covers.length > 0, 'album folders with pictures show them');
    assert.ok(covers.every((width) => width > 0), 'every cover picture loads');
  });

  it('shows stored names and tags as text, never as markup', async () => {
    const heads = await page.$$eval('#library .dirhead', (elements) => elements.map((element) => element.textContent));
    assert.ok(heads.some((text) => text.includes(`/${ODD_FOLDER}`)), `a folder head reads ${ODD_FOLDER}`);
    const markup = '#library script, #library b, #library u, #library img[onerror]';
    assert.equal(await page.$$eval(markup, (found) => found.length), 0);
    assert.equal(await page.evaluate(() => window.injected), undefined);
  });

  it('plays a clicked song, shows it as playing, pauses, resumes and stops', async () => {
    const row = page.locator('#library tr[id^="s"]', { hasText: ODD_TITLE });
    await row.locator('td').first().click();
    await page.waitForFunction((title) => document.querySelector('#title').textContent === title, ODD_TITLE);
    assert.equal(await page.textContent('#artist'), ODD_ARTIST);
    assert.equal((await feed(player)).PLAYSTATUS, '1');
    await page.waitForSelector('#btn-play.playing .icon-pause');
    assert.match(await row.getAttribute('class') ?? '', /\bplaying\b/);
    assert.equal(await page.title(), `${ODD_TITLE} · VelmorantPlayer`);
    await page.waitForFunction(() => document.querySelector('#timeplaying').textContent !== '00:00');

    await page.click('#btn-play');
    const paused = await waitForFeed(player, 'PLAYSTATUS 2', (status) => status.PLAYSTATUS === '2');
    assert.equal(paused.TITLE, ODD_TITLE);
    await page.waitForSelector('#btn-play:not(.playing) .icon-play');
    await page.click('#btn-play');
    await waitForFeed(player, 'PLAYSTATUS 1 again', (status) => status.PLAYSTATUS === '1');
    await page.click('#btn-stop');
    await waitForFeed(player, 'PLAYSTATUS 0', (status) => status.PLAYSTATUS === '0');
    await page.waitForSelector('#btn-play:not(.playing) .icon-play');
  });

  it('opens the song information of a row with its menu button', async () => {
    const row = page.locator('#library tr[id^="s"]', { hasText: ODD_TITLE });
    await row.locator('.btnmenu').click();
    await page.waitForSelector('#songinfo[open]');
    assert.equal(await page.textContent('#songinfo-title'), ODD_TITLE);
    const fields = await page.$$eval('#songinfo-fields dt', (terms) =>
      Object.fromEntries(terms.map((term) => [term.textContent, term.nextElementSibling.textContent])));
    assert.equal(fields.File, '01 Long <u>song.wav');
    assert.equal(fields.Artist, ODD_ARTIST);
    assert.ok(fields.Path.endsWith(ODD_FOLDER), fields.Path);
    await page.click('#songinfo button[value="close"]');
    await page.waitForFunction(() => !document.querySelector('#songinfo').open);
  });

  it('queues a song with its add button', async () => {
    const song = songs[0];
    const row = page.locator('#library tr[id^="s"]').filter({ has: page.getByText(rowText(song), { exact: true }) });
    await row.locator('.btnadd').click();
    await page.click('#tabs button[data-tab="queue"]');
    await page.waitForFunction((text) => Array.from(document.querySelectorAll('#queue tr[id^="s"] td:first-child'),
      (cell) => cell.textContent).includes(text), rowText(song));
    assert.equal(await page.$$eval('#queue tr[id^="s"]', (rows) => rows.length), 1);
    await page.click('#btn-queueclear');
    await page.waitForFunction(() => document.querySelectorAll('#queue tr[id^="s"]').length === 0);
    await page.click('#tabs button[data-tab="library"]');
  });

  it('changes the volume with its slider', async () => {
    await page.fill('#volume', '300');
    const status = await waitForFeed(player, 'VOLUME near 300', (s) => Math.abs(Number(s.VOLUME) - 300) <= 1);
    await page.click('#search');
    await page.waitForFunction((volume) => document.querySelector('#volume').value === volume, status.VOLUME);
  });

  it('narrows the list to the songs that match a search and widens it again', async () => {
    const word = 'Песня';
    const expected = songs.filter((song) => song.file.includes(word) || song.title.includes(word));
    assert.ok(expected.length > 0 && expected.length < songs.length);
    await page.fill('#search', word);
    await waitForRowCount(expected.length, `the list narrowed to ${expected.length} songs`);
    assert.deepEqual((await listedSongs()).sort(), expected.map(rowText).sort());
    assert.equal((await feed(player)).SEARCH, word);

    await page.fill('#search', '');
    await waitForRowCount(songs.length, 'the whole list again');
  });

  it('pages through the library with the page field when a page holds few songs', async () => {
    await page.click('#tabs button[data-tab="settings"]');
    await page.waitForFunction(() => document.querySelector('#pagesize').value === '200');
    await page.fill('#pagesize', '10');
    await page.press('#pagesize', 'Enter');
    await page.click('#tabs button[data-tab="library"]');
    await page.waitForSelector('#library .pagenum');
    assert.equal(await get(player, '/getuserpref&PAGE_MAX_MATCHES'), '10');

    const pages = Number(/ of (\d+)/.exec(await page.textContent('#library .pagefield'))[1]);
    assert.ok(pages >= 2, `several pages, not ${pages}`);
    const seen = new Set();
    for (let number = 1; number <= pages; ++number) {
      await page.waitForFunction((n) => document.querySelector('#currpage')?.textContent === String(n), number);
      const ids = await page.$$eval('#library tr[id^="s"]', (rows) => rows.map((row) => row.id));
      assert.ok(ids.length > 0, `page ${number} lists songs`);
      for (const id of ids) {
        assert.ok(!seen.has(id), `${id} is on one page only`);
        seen.add(id);
      }
      if (number < pages) await page.click('#library .pagefield .nextpage');
    }
    assert.equal(seen.size, songs.length);
    assert.equal(await page.$$eval('#library .nextpage', (found) => found.length), 0, 'no next page after the last');

    await page.locator('#library .pagefield .pagenum', { hasText: /^1$/ }).first().click();
    await page.waitForFunction(() => document.querySelector('#currpage')?.textContent === '1');
    assert.equal(await page.$$eval('#library .prevpage', (found) => found.length), 0, 'no page before the first');
    if (process.env.VELMORANT_SCREENSHOT) await page.screenshot({ path: process.env.VELMORANT_SCREENSHOT });
  });

  it('met no console errors, failed requests or alerts on the way', () => {
    assert.deepEqual(problems, []);
    assert.deepEqual(dialogs, []);
  });
});
