// Settings (music folders, page size, equaliser), the first-run dialog and the scan's
// progress line with its summary.

import { element, parseLines, send, setPreference } from './commands.js';
import { onRevisionShown, onStatus, refresh } from './feed.js';
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
const LOWEST_HZ = 20;
const HZ_RANGE = 1000;  // 20 Hz to 20 kHz
// Each band's slider shows what people read: a frequency on a logarithmic scale, a width
// in octaves, a gain in dB; the player keeps its centre in Hz and its gain as a factor.
const EQ_CONTROLS = {
  CENTER: {
    label: 'Frequency', min: 0, max: 1000, step: 1,
    toSlider: (hz) => Math.round((Math.log(hz / LOWEST_HZ) / Math.log(HZ_RANGE)) * 1000),
    toStored: (v) => String(Math.round(LOWEST_HZ * HZ_RANGE ** (v / 1000))),
    text: (hz) => (hz >= 1000 ? `${(hz / 1000).toFixed(hz >= 10000 ? 0 : 1)} kHz` : `${Math.round(hz)} Hz`),
  },
  BANDWIDTH: {
    label: 'Width', min: 0.2, max: 5, step: 0.1,
    toSlider: (octaves) => octaves, toStored: (v) => String(v), text: (octaves) => `${Number(octaves).toFixed(1)} octaves`,
  },
  GAIN: {
    label: 'Gain', min: -26, max: 9.5, step: 0.5,
    toSlider: (factor) => Math.round(20 * Math.log10(factor) * 2) / 2,
    toStored: (v) => (10 ** (v / 20)).toFixed(3),
    text: (factor) => {
      const db = Math.round(20 * Math.log10(factor) * 2) / 2;
      return `${db > 0 ? '+' : ''}${db} dB`;
    },
  },
};
const EQ_PRESETS = {
  Flat: [[60, 1, 1], [1000, 1, 1], [10000, 1, 1]],
  'Bass boost': [[80, 1.5, 2], [1000, 1, 1], [10000, 1, 1]],
  'Treble boost': [[60, 1, 1], [1000, 1, 1], [8000, 2, 2]],
  Voice: [[100, 1.5, 0.6], [2500, 1.5, 1.6], [10000, 1, 0.8]],
};

function eqInput(band, key) {
  return $(`#eq [data-setting="EQ_${band}_${key}"]`);
}

function showEqValue(input, stored) {
  const control = EQ_CONTROLS[input.dataset.key];
  const text = control.text(Number(stored));
  input.closest('label').querySelector('output').textContent = text;
  input.setAttribute('aria-valuetext', text);
}

function buildEqualiser() {
  const box = $('#eq');
  for (let band = 0; band < EQ_BANDS; ++band) {
    const fieldset = element('fieldset');
    fieldset.append(element('legend', '', `Band ${band + 1}`));
    for (const [key, control] of Object.entries(EQ_CONTROLS)) {
      const label = element('label', 'eq-control');
      const input = Object.assign(element('input'), { type: 'range', min: control.min, max: control.max, step: control.step });
      input.dataset.setting = `EQ_${band}_${key}`;
      input.dataset.key = key;
      input.addEventListener('input', () => showEqValue(input, control.toStored(Number(input.value))));
      input.addEventListener('change', () => setPreference(input.dataset.setting, control.toStored(Number(input.value))));
      const head = element('span', 'eq-head');
      head.append(element('span', '', control.label), element('output'));
      label.append(head, input);
      fieldset.append(label);
    }
    box.append(fieldset);
  }
  const presets = $('#eq-presets');
  for (const [name, bands] of Object.entries(EQ_PRESETS)) {
    const button = element('button', '', name);
    button.type = 'button';
    button.addEventListener('click', async () => {
      for (const [band, [center, width, gain]] of bands.entries()) {
        await setPreference(`EQ_${band}_CENTER`, String(center));
        await setPreference(`EQ_${band}_BANDWIDTH`, String(width));
        await setPreference(`EQ_${band}_GAIN`, String(gain));
      }
      await refresh();
    });
    presets.append(button);
  }
}

// The sliders are built once; later values only move them, never the one in use.
async function loadEqualiser() {
  const text = await send('/fetcheq');
  const values = (name) => Array.from(text.matchAll(new RegExp(`<${name}>([^<]*)</${name}>`, 'g')), (m) => m[1]);
  if (!$('#eq input')) buildEqualiser();
  for (const key of Object.keys(EQ_CONTROLS)) {
    values(key).forEach((value, band) => {
      const input = eqInput(band, key);
      if (!input || document.activeElement === input || value === '') return;
      input.value = String(EQ_CONTROLS[key].toSlider(Number(value)));
      showEqValue(input, value);
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
  onRevisionShown('EQ_REVISION', $('#view-settings'), loadEqualiser);
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
