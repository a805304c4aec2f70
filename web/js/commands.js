// Talking to the player: commands are "/name&param=value" paths; parameters start with "&".

export const QUEUE_BASE = 1000000000;

export const encode = encodeURIComponent;

let unreachable = () => {};

// Told when a command finds the player gone, so the feed can show it at once.
export function onUnreachable(handler) {
  unreachable = handler;
}

// The answer's text; throws when the player does not answer.
export async function ask(path) {
  const response = await fetch(path, { cache: 'no-store' });
  if (!response.ok) throw new Error(`${path}: HTTP ${response.status}`);
  return response.text();
}

// A command whose failure the user learns from the banner: answers '' then.
export async function send(path) {
  try {
    return await ask(path);
  } catch {
    unreachable();
    return '';
  }
}

// Plays a row's song; the current song, paused or stopped, goes on instead of staying put
// ("/set" of the current position changes nothing).
export function playRow(id, status) {
  const current = String(id) === status.RESOURCE && status.PLAYSTATUS !== '1';
  return send(current ? '/play' : `/set&s${id}`);
}

export function setPreference(name, value) {
  return send(`/setuserpref&name=${encode(name)}&value=${encode(value)}`);
}

// "KEY value" lines; a key's first line wins (a stream's feed names its album twice).
export function parseLines(text) {
  const fields = {};
  for (const line of text.split('\n')) {
    if (!line) continue;
    const space = line.indexOf(' ');
    const key = space < 0 ? line : line.slice(0, space);
    if (!(key in fields)) fields[key] = space < 0 ? '' : line.slice(space + 1);
  }
  return fields;
}

// Server-rendered HTML as an inert document: nothing of it runs or loads. The page policy
// holds a parsed document too, so the fragments' own inline handlers (the filter table's
// remove buttons) are cut from the text first rather than refused with an error.
export function parseHtml(html) {
  return new DOMParser().parseFromString(html.replace(/ on[a-z]+='[^']*'/g, ''), 'text/html');
}

export function element(tag, className, text) {
  const node = document.createElement(tag);
  if (className) node.className = className;
  if (text !== undefined) node.textContent = text;
  return node;
}

export function iconButton(className, label, glyph) {
  const button = element('button', `icon ${className}`, glyph);
  button.type = 'button';
  button.setAttribute('aria-label', label);
  button.title = label;
  return button;
}

// "mm:ss" or "h:mm:ss" from seconds.
export function clock(seconds) {
  const whole = Math.max(0, Math.round(seconds));
  const hours = Math.floor(whole / 3600);
  const minutes = Math.floor((whole % 3600) / 60);
  const rest = String(whole % 60).padStart(2, '0');
  return hours > 0 ? `${hours}:${String(minutes).padStart(2, '0')}:${rest}` : `${minutes}:${rest}`;
}

// Seconds from the player's "mm:ss"; NaN for anything else ("-", "42%").
export function seconds(text) {
  const match = /^(\d+):(\d\d)$/.exec(text || '');
  return match ? Number(match[1]) * 60 + Number(match[2]) : NaN;
}
