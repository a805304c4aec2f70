// Settings (music folders, page size, equaliser), the first-run dialog and the scan's
// progress line with its summary.

import { element, parseLines, send, setPreference } from './commands.js';
import { onRevision, onStatus, refresh } from './feed.js';
import { setMusicFolders } from './songlist.js';

const $ = (selector) => document.querySelector(selector);
const SUMMARY_MS = 6000;
const number = new Intl.NumberFormat('en');

let watching = false;
let seenScans = -1;
let summaryUntil = 0;

export async function loadMusicFolders() {
  const paths = await send('/getuserpref&REPOSITORY_PATHS');
  setMusicFolders(paths);
  return paths;
}

async function loadSettings() {
  $('#paths').value = await loadMusicFolders();
  $('#pagesize').value = await send('/getuserpref&PAGE_MAX_MATCHES');
}

function showScanLine(text, kind) {
  const line = $('#scanline');
  line.textContent = text;
  line.className = `scanline ${kind}`;
  line.hidden = !text;
}

// Follows the scan and the tag reading after it once a second, until both are done.
async function watchScan() {
  if (watching) return;
  watching = true;
  try {
    for (;;) {
      const scan = parseLines(await send('/scanstatus'));
      const pending = Number(scan.TAGS_PENDING || 0);
      const scans = Number(scan.SCANS || 0);
      if (scan.SCANNING === '1') {
        showScanLine(`Scanning: ${number.format(Number(scan.FILES))} files in ${number.format(Number(scan.FOLDERS))} folders`, 'busy');
      } else if (pending > 0) {
        showScanLine(`Reading tags: ${number.format(pending)} songs to go`, 'busy');
      } else {
        if (seenScans >= 0 && scans !== seenScans) {
          const [files, added, removed] = (scan.LAST || '0 0 0').split(' ').map(Number);
          showScanLine(`Scanned ${number.format(files)} files: ${number.format(added)} new, ${number.format(removed)} removed`, 'done');
          summaryUntil = Date.now() + SUMMARY_MS;
        } else if (Date.now() > summaryUntil) {
          showScanLine('', '');
        }
        seenScans = scans;
        return;
      }
      await new Promise((resolve) => { setTimeout(resolve, 1000); });
    }
  } finally {
    watching = false;
  }
}

async function startScan(path) {
  if (seenScans < 0) seenScans = Number(parseLines(await send('/scanstatus')).SCANS || 0);
  await send(path);
  watchScan();
}

async function showFirstRun() {
  $('#firstrun-paths').value = await send('/getuserpref&REPOSITORY_PATHS');
  $('#firstrun').showModal();
}

const EQ_BANDS = 3;
const EQ_LIMITS = {
  CENTER: { min: 20, max: 20000, step: 1, label: 'Centre (Hz)' },
  BANDWIDTH: { min: 0.2, max: 5, step: 0.1, label: 'Width (octaves)' },
  GAIN: { min: 0.05, max: 3, step: 0.05, label: 'Gain' },
};

// Builds the sliders once; later changes only move them, so focus stays where it is.
async function loadEqualiser() {
  const text = await send('/fetcheq');
  const values = (name) => Array.from(text.matchAll(new RegExp(`<${name}>([^<]*)</${name}>`, 'g')), (m) => m[1]);
  const box = $('#eq');
  if (!box.querySelector('input')) {
    for (let band = 0; band < EQ_BANDS; ++band) {
      const fieldset = element('fieldset');
      fieldset.append(element('legend', '', `Band ${band + 1}`));
      for (const [key, limits] of Object.entries(EQ_LIMITS)) {
        const label = element('label');
        const output = element('output');
        const input = Object.assign(element('input'), { type: 'range', min: limits.min, max: limits.max, step: limits.step });
        input.dataset.setting = `EQ_${band}_${key}`;
        input.addEventListener('input', () => { output.textContent = ` ${parseFloat(input.value)}`; });
        input.addEventListener('change', () => setPreference(input.dataset.setting, input.value));
        label.append(limits.label, output, input);
        fieldset.append(label);
      }
      box.append(fieldset);
    }
  }
  for (const key of Object.keys(EQ_LIMITS)) {
    values(key).forEach((value, band) => {
      const input = box.querySelector(`[data-setting="EQ_${band}_${key}"]`);
      if (!input || document.activeElement === input) return;
      input.value = value;
      input.previousElementSibling.textContent = ` ${parseFloat(input.value)}`;
    });
  }
}

export function showSettings() {
  loadSettings();
}

export function wireSettings() {
  $('#btn-savepaths').addEventListener('click', async () => {
    await setPreference('REPOSITORY_PATHS', $('#paths').value);
    await loadMusicFolders();
  });
  $('#btn-scan').addEventListener('click', () => startScan('/scan'));
  $('#btn-rescantags').addEventListener('click', () => startScan('/rescantags'));
  $('#pagesize').addEventListener('change', async () => {
    await setPreference('PAGE_MAX_MATCHES', $('#pagesize').value);
    await refresh();
  });
  $('#eq-active').addEventListener('change', () => setPreference('EQ_ACTIVE', $('#eq-active').checked ? '1' : '0'));
  $('#btn-firstrun').addEventListener('click', async () => {
    await setPreference('REPOSITORY_PATHS', $('#firstrun-paths').value);
    await setPreference('SHOW_FIRST_RUN_DIALOG', '0');
    await loadMusicFolders();
    await startScan('/scan');
  });
  onRevision('EQ_REVISION', loadEqualiser);
  onStatus((current, previous) => {
    if (!watching && summaryUntil && Date.now() > summaryUntil) {
      summaryUntil = 0;
      showScanLine('', '');
    }
    $('#eq-active').checked = parseFloat(current.EQ_ACTIVE || '0') !== 0;
    if (current.SHOW_FIRST_RUN_DIALOG === '1' && !previous.SHOW_FIRST_RUN_DIALOG) showFirstRun();
    if (current.SCANNING && !watching) {
      if (seenScans < 0) seenScans = 0;
      watchScan();
    }
  });
  // Tags may still be read from an earlier start; asked once the first list is there.
  setTimeout(async () => {
    const scan = parseLines(await send('/scanstatus'));
    if (seenScans < 0) seenScans = Number(scan.SCANS || 0);
    if (Number(scan.TAGS_PENDING || 0) > 0) watchScan();
  }, 1500);
}
