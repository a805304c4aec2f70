// What the browser tests share: Debian's Chromium, and a real player of their own.
import { spawn } from 'node:child_process';
import fs from 'node:fs';
import http from 'node:http';
import net from 'node:net';
import path from 'node:path';

export const EXE = process.env.VELMORANT_EXE;
export const SOURCE_DIR = process.env.VELMORANT_SOURCE_DIR;
export const CHROMIUM = process.env.VELMORANT_CHROMIUM || '/usr/bin/chromium';
// Without the background-networking switches Chromium dials out, and a closed network refuses it.
export const CHROMIUM_ARGS = ['--headless', '--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
  '--disable-background-networking', '--disable-component-update', '--disable-sync'];

export function sleep(ms) {
  return new Promise((resolve) => { setTimeout(resolve, ms); });
}

export async function waitUntil(condition, what, timeoutMs = 15000) {
  const end = Date.now() + timeoutMs;
  for (;;) {
    const result = await condition();
    if (result) return result;
    if (Date.now() > end) throw new Error(`timed out waiting for ${what}`);
    await sleep(100);
  }
}

export function freePort() {
  return new Promise((resolve, reject) => {
    const probe = net.createServer();
    probe.once('error', reject);
    probe.listen(0, '127.0.0.1', () => {
      const { port } = probe.address();
      probe.close(() => resolve(port));
    });
  });
}

// A player of its own: a program folder with the built executable, the web client as it is in
// the source tree (the build copies it only when it links), private data and runtime folders, a
// free port and silent audio. Answers at once, before the player listens.
export function launchPlayer(root, port, moreSettings = '') {
  const program = path.join(root, 'program');
  fs.mkdirSync(program, { recursive: true });
  fs.mkdirSync(path.join(root, 'run'), { recursive: true });
  fs.copyFileSync(EXE, path.join(program, 'velmorant'));
  fs.cpSync(path.join(SOURCE_DIR, 'web'), path.join(program, 'web'), { recursive: true });
  fs.copyFileSync(path.join(SOURCE_DIR, 'data', 'filters.vmr'), path.join(program, 'filters.vmr'));
  fs.writeFileSync(path.join(program, 'serversettings.ini'), `PORT=${port}\n${moreSettings}`);
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

// One command's answer, read by Node's strict HTTP parser.
export function get(player, command) {
  return new Promise((resolve, reject) => {
    const request = http.get({ host: '127.0.0.1', port: player.port, path: command, agent: false }, (response) => {
      let body = '';
      response.setEncoding('utf8');
      response.on('data', (data) => { body += data; });
      response.on('end', () => resolve(body));
    });
    request.on('error', reject);
    request.setTimeout(10000, () => request.destroy(new Error(`no answer to ${command}`)));
  });
}

export function waitForPlayer(player) {
  return waitUntil(async () => {
    if (player.exited) throw new Error(`the player stopped:\n${player.output}`);
    return (await get(player, '/fetch').catch(() => '')).includes('REVISION ');
  }, 'the player to answer', 30000);
}

// Stops the player as the system would; true when it ended in order.
export async function stopPlayer(player) {
  if (!player.exited) player.child.kill('SIGTERM');
  const stopped = await waitUntil(() => player.exited, 'the player to stop', 10000).catch(() => false);
  if (!stopped) player.child.kill('SIGKILL');
  return stopped && player.code === 0;
}
