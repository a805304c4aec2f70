// What a page of another site can do to the player in a real browser: nothing. CTest runs this
// as `browser_security`; by hand as player.test.mjs says.
import { after, before, describe, it } from 'node:test';
import assert from 'node:assert/strict';
import fs from 'node:fs';
import http from 'node:http';
import os from 'node:os';
import path from 'node:path';
import { chromium } from 'playwright-core';
import {
  CHROMIUM, CHROMIUM_ARGS, freePort, get, launchPlayer, sleep, stopPlayer, waitForPlayer,
} from './harness.mjs';

// Another site's page that tries every way a page can send a request without asking.
function attackerPage(target) {
  const set = (how) => `${target}/setuserpref&name=EVIL&value=${how}`;
  return `<!doctype html><body>
<img src="${set('img')}">
<iframe name="sink"></iframe>
<form method="POST" action="${set('form')}" target="sink"></form>
<script>
fetch(${JSON.stringify(set('fetch'))}, { mode: 'no-cors', method: 'POST' }).catch(() => {});
document.forms[0].submit();
</script></body>`;
}

function serve(html) {
  return new Promise((resolve) => {
    const server = http.createServer((request, response) => {
      response.writeHead(200, { 'Content-Type': 'text/html' });
      response.end(html);
    });
    server.listen(0, '127.0.0.1', () => resolve(server));
  });
}

describe('pages of other sites', { timeout: 90000 }, () => {
  let root;
  let player;
  let browser;
  let attacker;

  before(async () => {
    root = fs.mkdtempSync(path.join(os.tmpdir(), 'velmorant-security-'));
    player = launchPlayer(root, await freePort());
    process.once('exit', () => player.child.kill('SIGKILL'));
    await waitForPlayer(player);
    attacker = await serve(attackerPage(`http://127.0.0.1:${player.port}`));
    browser = await chromium.launch({ executablePath: CHROMIUM, headless: true, args: CHROMIUM_ARGS });
  });

  after(async () => {
    await browser?.close();
    attacker?.close();
    if (player) assert.ok(await stopPlayer(player), `the player did not stop in order:\n${player.output}`);
    fs.rmSync(root, { recursive: true, force: true });
  });

  it('a page on another port of this machine changes nothing', async () => {
    const page = await browser.newPage();
    await page.goto(`http://127.0.0.1:${attacker.address().port}/`);
    await sleep(1500);
    await page.close();
    assert.equal(await get(player, '/getuserpref&EVIL'), '');
    assert.match(player.output, /Refused \[127\.0\.0\.1\] (GET|POST) \/setuserpref: another site's page asked/);
  });

  it('stored text opened as an answer runs nothing', async () => {
    const script = encodeURIComponent('<script>document.title = "ran"</script>');
    assert.equal(await get(player, `/setuserpref&name=NOTE&value=${script}`), 'ok');
    const page = await browser.newPage();
    const response = await page.goto(`${player.url}getuserpref&NOTE`);
    assert.equal(response.headers()['content-type'], 'text/plain; charset=utf-8;');
    assert.notEqual(await page.title(), 'ran');
    assert.equal(await page.evaluate(() => document.body.innerText), '<script>document.title = "ran"</script>');
    await page.close();
  });

  it("the player's own client still works", async () => {
    const page = await browser.newPage();
    const problems = [];
    page.on('pageerror', (error) => problems.push(error.message));
    page.on('console', (message) => { if (message.type() === 'error') problems.push(message.text()); });
    const feedRead = page.waitForResponse((response) => response.url().includes('/fetch') && response.ok());
    await page.goto(player.url);
    await feedRead;
    assert.equal(await page.evaluate(async () => (await fetch('/test')).text()), 'ok');
    await sleep(1500);
    await page.close();
    assert.deepEqual(problems, []);
  });

  it("Node's own fetch reads answers, feed and files", async () => {
    for (const command of ['test', 'fetch', 'index.html']) {
      const response = await fetch(`${player.url}${command}`);
      assert.equal(response.status, 200, command);
      assert.equal(response.headers.get('x-content-type-options'), 'nosniff');
      assert.ok((await response.text()).length > 0, command);
    }
  });
});
