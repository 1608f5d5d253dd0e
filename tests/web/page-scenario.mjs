#!/usr/bin/env node
// The web page as a user drives it, in headless Chromium:
//   - a file that is not a GIF is marked with the core's message, blocks the
//     build (the page names it), and "Remove unusable files" takes it away;
//   - two animations keep their own delays (6.00 s), a delay that is not a
//     whole number 0..65535 is refused where typed, a delay of 1 is shown as
//     browsers play it, undo and redo, bounce, 65536 plays, the size limit in
//     millions of bytes, "Smallest file" on by default and remembered;
//   - the samples and an animated input added through the file input, one
//     entry moved to the top with Alt+Up, a delay set, plays 3, the size read,
//     Preview, then Download under a chosen name;
//   - the downloaded bytes equal zorvane-cli make's for the same plan, byte
//     for byte, and the size shown; Chromium's ImageDecoder plays them with the
//     expected frames and repetition count;
//   - no request leaves the page after it has loaded;
//   - screenshots at a desktop's and at a phone's width.
//
//   node tests/web/page-scenario.mjs PAGE_DIR ZORVANE_CLI OUT_DIR
//
// PAGE_DIR is build-web/zorvane-web; screenshots and the downloads go to OUT_DIR.
import fs from 'node:fs';
import path from 'node:path';
import { execFileSync } from 'node:child_process';
import { fileURLToPath } from 'node:url';
import { decodeGif, launch, serve } from './chromium.mjs';

const [pageDir, cli, outDir] = process.argv.slice(2);
if (!outDir) {
  console.error('usage: node tests/web/page-scenario.mjs PAGE_DIR ZORVANE_CLI OUT_DIR');
  process.exit(2);
}
const root = path.resolve(path.dirname(fileURLToPath(import.meta.url)), '../..');
const samples = fs.readdirSync(path.join(root, 'samples')).filter((f) => f.endsWith('.gif')).sort()
  .map((f) => path.join(root, 'samples', f));
const animated = path.join(root, 'tests/data/pygif-test-suite/animation.gif');
fs.rmSync(outDir, { recursive: true, force: true });
const downloads = path.resolve(outDir, 'downloads');
fs.mkdirSync(downloads, { recursive: true });
const notGif = path.join(outDir, 'notes.gif');
fs.writeFileSync(notGif, 'These are notes, not a picture.\n');
const emptyFile = path.join(outDir, 'empty.gif');
fs.writeFileSync(emptyFile, '');

let passed = 0;
let failed = 0;
function check(what, ok, detail = '') {
  if (ok) passed++;
  else failed++;
  console.log(`${ok ? 'ok    ' : 'FAILED'} ${what}${detail ? `: ${detail}` : ''}`);
  return ok;
}

const server = await serve(pageDir);
const browser = await launch();
const page = await browser.newPage();
page.on('pageerror', (e) => check('no script error on the page', false, e.message));
await page.setViewport({ width: 1280, height: 900 });

// Every request the page makes after it has loaded, its worker's included;
// blob: URLs stay inside the page. The server counts what reaches it too.
let loaded = false;
const late = [];
page.on('request', (request) => {
  const url = request.url();
  if (loaded && !url.startsWith('blob:') && !url.startsWith('data:')) late.push(url);
});
page.on('load', () => {
  loaded = true;
});
page.on('console', (m) => {
  if (/Content Security Policy|Refused to/.test(m.text())) late.push(`refused: ${m.text()}`);
});
const cdp = await page.createCDPSession();
await cdp.send('Browser.setDownloadBehavior', { behavior: 'allow', downloadPath: downloads, eventsEnabled: true });

await page.goto(server.url, { waitUntil: 'load' });
let servedAtLoad = server.requests.length;
await page.waitForSelector('body[data-core="ready"]', { timeout: 20000 });

// Waits until the figures are up to date; returns what the page shows.
async function settled() {
  await page.waitForFunction(() => !document.getElementById('figures').hasAttribute('aria-busy') &&
    !document.querySelector('.entry.checking'), { timeout: 20000 });
  return page.evaluate(() => ({
    names: [...document.querySelectorAll('#list .entry .name')].map((e) => e.textContent),
    bytes: document.getElementById('size').dataset.bytes,
    sizeText: document.getElementById('size').textContent,
    frames: document.getElementById('frame-count').textContent,
    frameCount: Number(document.getElementById('frame-count').dataset.frames),
    durationTip: document.getElementById('duration').title,
    duration: document.getElementById('duration').textContent,
    status: document.getElementById('status').textContent,
  }));
}

// --- an unusable file: marked at once with the core's words, blocks the build, one click removes it
const input = await page.$('#file-input');
await input.uploadFile(samples[0], notGif, emptyFile);
let shown = await settled();
const problems = await page.$$eval('#list .entry.bad .problem', (all) => all.map((e) => e.textContent));
check('a file that is not a GIF is marked with the reason', /not a GIF file/i.test(problems[0]), problems[0]);
check('an empty file is marked as empty, in the core\'s words', problems[1] === 'This file cannot be used: The file is empty.',
  problems[1]);
await page.click('#download');
await page.waitForFunction(() => document.getElementById('status').textContent.includes('notes.gif'));
shown = await settled();
const texts = await page.evaluate(() => self.ZorvaneTexts);
check('the build names the marked file and does not start',
  shown.status === `${texts.msgMarked} notes.gif, empty.gif` && !shown.bytes, shown.status);
await page.click('#remove-marked');
shown = await settled();
check('"Remove unusable files" leaves the usable ones', JSON.stringify(shown.names) === JSON.stringify(['01-red.gif']),
  shown.names.join(', '));
await page.click('#clear');
shown = await settled();
check('Clear All empties the list', shown.names.length === 0);

const rowOf = (name) => page.evaluateHandle((n) => [...document.querySelectorAll('#list .entry')]
  .find((row) => row.querySelector('.name').textContent === n), name);
// Types into an entry's delay field and leaves it; then what the row shows.
async function typeDelay(name, text) {
  const row = await rowOf(name);
  await (await row.$('.delay input')).click({ clickCount: 3 });
  await page.keyboard.press('Backspace');
  await page.keyboard.type(text);
  await page.keyboard.press('Tab');
  return { ...await row.evaluate((r) => ({ value: r.querySelector('.delay input').value,
    problem: r.querySelector('.delay-problem').textContent, details: r.querySelector('.details').textContent })),
  ...await settled() };
}
async function keys(...combo) {
  await page.evaluate(() => document.activeElement.blur());
  for (const key of combo) await page.keyboard.down(key);
  for (const key of combo.reverse()) await page.keyboard.up(key);
  return settled();
}
// How Chromium plays a GIF: {repetitionCount, frameCount, durations (µs)}.
async function playedByChromium(bytes) {
  const decodePage = await browser.newPage();
  const gifServer = await serve(null, {
    '/': (req, res) => res.writeHead(200, { 'Content-Type': 'text/html' }).end('<!doctype html><title>d</title>'),
    '/out.gif': (req, res) => res.writeHead(200, { 'Content-Type': 'image/gif' }).end(bytes),
  });
  await decodePage.goto(gifServer.url);
  const played = await decodeGif(decodePage, '/out.gif');
  await gifServer.close();
  await decodePage.close();
  return played;
}

// "Smallest file" is on at first (checked below); this join is measured as make copies it.
const smallestAtFirst = await page.$eval('#smallest', (e) => e.checked);
await page.click('#smallest');

// --- high-color.gif's last tile (0 hundredths) leaves the canvas drawn: the clearing frame after it has no
// delay. The duration shown is Chromium's (ImageDecoder gives delays as written; 0 and 1 play as 10).
const tiles = [path.join(root, 'tests/data/pygif-test-suite/high-color.gif'), path.join(outDir, 'tiles.gif')];
fs.copyFileSync(tiles[0], tiles[1]);
await input.uploadFile(tiles[0], animated, tiles[1]);
shown = await settled();
execFileSync(cli, ['make', '-o', path.join(outDir, 'tiles-out.gif'), '--all-frames', tiles[0], animated, tiles[1]]);
const tilesPlayed = await playedByChromium(fs.readFileSync(path.join(outDir, 'tiles-out.gif')));
const tilesTotal = tilesPlayed.durations.reduce((a, b) => a + (b <= 10000 ? 100000 : b), 0);
check('the duration shown is Chromium\'s (as written in the tooltip), the frames added to clear the canvas told',
  shown.duration === `${(tilesTotal / 1e6).toFixed(2)} s` && tilesTotal === 2900000 && tilesPlayed.frameCount === 13 &&
  shown.durationTip.includes('2.00 s') && shown.frames === '13 frames (1 added to clear the canvas between animations)',
  `${shown.duration} ${shown.durationTip} ${shown.frames}`);
await page.click('#clear');
await page.click('#smallest');

// --- the trial: animations of 10/20/30/40 and five of 100 keep their own delays, 6.00 s
const [walk, hold] = [path.join(outDir, 'walk.gif'), path.join(outDir, 'hold.gif')];
execFileSync(cli, ['make', '-o', walk, '-d', '10', samples[0], '-d', '20', samples[1], '-d', '30', samples[2],
  '-d', '40', samples[3]]);
execFileSync(cli, ['make', '-o', hold, '-d', '100', ...samples.slice(0, 5)]);
await input.uploadFile(walk, hold);
shown = await typeDelay('walk.gif', '');
check('animations keep their own delays, the row shows their sum', shown.duration === '6.00 s' && !shown.status &&
  shown.value === '' && shown.details.endsWith('own delays, 1.00 s'), `${shown.duration} ${shown.details}`);
await typeDelay('hold.gif', '100');
for (const bad of ['1.5', '-5', '70000', 'ten']) {
  shown = await typeDelay('hold.gif', bad);
  check(`a delay of "${bad}" is refused where typed, the one before kept`, shown.value === '100' &&
    shown.problem.includes(`\u201c${bad}\u201d`) && shown.duration === '6.00 s', `"${shown.value}" ${shown.problem}`);
}
await page.click('#clear');
shown = await keys('Control', 'z');
const restored = shown.names.join();
shown = await keys('Control', 'Shift', 'z');
check('Ctrl+Z brings back what Clear All removed, Ctrl+Shift+Z removes it again',
  restored === 'walk.gif,hold.gif' && shown.names.length === 0, restored);
await page.click('#undo');
await settled();

// --- bounce, 65536 plays, the size limit in millions of bytes
await page.click('input[name="order"][value="bounce"]');
shown = await settled();
check('bounce plays forwards then backwards', shown.frameCount === 16 && !shown.status,
  `${shown.names.join()}: ${shown.frames} ${shown.status}`);
await page.click('input[name="order"][value="forward"]');
await page.$eval('#plays-count', (e) => { e.value = '65536'; e.dispatchEvent(new Event('input')); });
shown = await settled();
check('65536 plays are accepted', Boolean(shown.bytes) && !shown.status, shown.status);
await page.select('#limit', 'custom');
for (const [bytes, over] of [[Number(shown.bytes) + 1, false], [Number(shown.bytes) - 1, true]]) {
  await page.$eval('#limit-custom', (e, v) => { e.value = v; e.dispatchEvent(new Event('input')); }, String(bytes / 1e6));
  await settled();
  check(`a limit of ${bytes / 1e6} MB is ${over ? '' : 'not '}passed`, await page.$eval('#over-limit', (e) => !e.hidden) === over);
}

// --- "Smallest file" is on by default and remembered; off for the byte comparison with make below
await page.click('#smallest');
loaded = false; // a reload loads the page again; from then on, nothing more
await page.reload({ waitUntil: 'load' });
servedAtLoad = server.requests.length;
await page.waitForSelector('body[data-core="ready"]', { timeout: 20000 });
check('"Smallest file (same pixels)" is on at first, and remembered',
  smallestAtFirst && !(await page.$eval('#smallest', (e) => e.checked)));

// --- the samples and an animated input, through the file input (several at once)
await (await page.$('#file-input')).uploadFile(...samples, animated);
shown = await settled();
const base = path.basename;
check('every file is listed in the order chosen',
  JSON.stringify(shown.names) === JSON.stringify([...samples, animated].map((f) => base(f))), shown.names.join(', '));

// 03-yellow to the top with the keyboard; the delay of 05-blue set to 25.
await (await rowOf('03-yellow.gif')).focus();
await page.keyboard.down('Alt');
await page.keyboard.press('ArrowUp');
await page.keyboard.press('ArrowUp');
await page.keyboard.up('Alt');
const focused = await page.evaluate(() => document.activeElement.querySelector?.('.name')?.textContent);
check('Alt+Up moves the entry and keeps it focused', focused === '03-yellow.gif', focused);
const delayInput = await (await rowOf('05-blue.gif')).$('.delay input');
await delayInput.click({ clickCount: 3 });
await delayInput.type('25');
await page.keyboard.press('Tab');
// Plays: 3.
const plays = await page.$('#plays-count');
await plays.click({ clickCount: 3 });
await plays.type('3');
await page.$eval('#file-name', (e) => { e.value = ''; });
await page.type('#file-name', 'scenario.gif');
shown = await settled();
const order = ['03-yellow.gif', '01-red.gif', '02-orange.gif', '04-green.gif', '05-blue.gif', '06-purple.gif',
  'animation.gif'];
check('the list is in the order set by the keyboard', JSON.stringify(shown.names) === JSON.stringify(order),
  shown.names.join(', '));
check('the output size is shown in bytes', /^\d+$/.test(shown.bytes || ''), shown.sizeText);

// The same plan for the command line: all frames of each file, delay 10 except 25 for 05-blue, the
// animation its own.
const expected = path.join(outDir, 'cli.gif');
const args = ['make', '-o', expected, '--plays', '3', '--all-frames'];
let delay = null;
for (const name of order) {
  const d = name === '05-blue.gif' ? 25 : name === 'animation.gif' ? 'own' : 10;
  if (d !== delay) args.push('-d', String(d));
  delay = d;
  args.push(name === 'animation.gif' ? animated : path.join(root, 'samples', name));
}
let cliBytes = Buffer.alloc(0);
try {
  execFileSync(cli, args, { stdio: 'inherit' });
  cliBytes = fs.readFileSync(expected);
} catch (e) {
  check(`zorvane-cli ${args.join(' ')}`, false, e.message);
}
check('the size shown is zorvane-cli\'s', Number(shown.bytes) === cliBytes.length,
  `page ${shown.bytes}, zorvane-cli ${cliBytes.length}`);

// --- Preview plays the result in the page
await page.click('#preview');
await page.waitForFunction(() => {
  const img = document.getElementById('preview-image');
  return !document.getElementById('preview-box').hidden && img.complete && img.naturalWidth > 0;
}, { timeout: 20000 });
check('Preview shows the animation', true);

// --- a screenshot at a desktop's width, then Download
const desktopShot = path.join(outDir, 'zorvane-web-desktop.png');
await page.screenshot({ path: desktopShot, fullPage: true });
const doneDownload = new Promise((resolve) => cdp.on('Browser.downloadProgress', (e) => {
  if (e.state === 'completed' || e.state === 'canceled') resolve(e.state);
}));
await page.click('#download');
const state = await Promise.race([doneDownload, new Promise((r) => setTimeout(() => r('timed out'), 20000))]);
const downloaded = path.join(downloads, 'scenario.gif');
check('Download saves the file under the name given', state === 'completed' && fs.existsSync(downloaded),
  `${state}; ${fs.readdirSync(downloads).join(', ')}`);
const saved = await page.$eval('#status', (e) => e.textContent);
check('the page says what it saved', saved === `Saved scenario.gif, ${Number(shown.bytes).toLocaleString('en-US')} bytes`,
  saved);
if (fs.existsSync(downloaded)) {
  const bytes = fs.readFileSync(downloaded);
  check('the download equals zorvane-cli make\'s output, byte for byte', bytes.equals(cliBytes),
    `${bytes.length} and ${cliBytes.length} bytes`);
  check('the download has the size shown', bytes.length === Number(shown.bytes));
  // How Chromium plays it: 6 samples and the animation's 4 images; plays 3 is 2 repeats.
  const played = await playedByChromium(bytes);
  check('Chromium plays it 3 times', played.repetitionCount === 2, JSON.stringify(played.repetitionCount));
  check('Chromium plays the frames shown', played.frameCount === shown.frameCount, `${played.frameCount}`);
  // Five samples of 10, 05-blue of 25, the animation's 4 images of their own 50: 2.75 s.
  const total = (played.durations || []).reduce((a, b) => a + b, 0);
  check('Chromium plays them for the duration shown, 2.75 s', total === 2750000 && shown.duration === '2.75 s',
    `${total} µs; shown ${shown.duration}`);
}

// --- a phone's width
// (Width only: turning on isMobile would make Puppeteer reload the page.)
await page.setViewport({ width: 390, height: 844 });
const phoneShot = path.join(outDir, 'zorvane-web-phone.png');
await page.screenshot({ path: phoneShot, fullPage: true });
const overflow = await page.evaluate(() => document.documentElement.scrollWidth - window.innerWidth);
check('nothing is wider than a phone\'s screen', overflow <= 0, `${overflow} px too wide`);
console.log(`screenshots: ${desktopShot} ${phoneShot}`);

// --- opened from a file (the Windows zip's double-click, the menu entry's xdg-open): the samples,
// defaults otherwise, give zorvane-cli's size and a preview.
const local = await browser.newPage();
local.on('pageerror', (e) => check('no script error on the page opened from a file', false, e.message));
await local.goto(`file://${path.resolve(pageDir)}/index.html`, { waitUntil: 'load' });
await local.waitForSelector('body[data-core="ready"]', { timeout: 20000 });
await local.click('#smallest'); // as make writes them, without --optimize
await (await local.$('#file-input')).uploadFile(...samples);
await local.waitForFunction(() => !document.getElementById('figures').hasAttribute('aria-busy') &&
  !document.querySelector('.entry.checking') && document.getElementById('size').dataset.bytes, { timeout: 20000 });
const localBytes = Number(await local.$eval('#size', (e) => e.dataset.bytes));
let plainSize = -1;
try {
  const plain = path.join(outDir, 'cli-plain.gif');
  execFileSync(cli, ['make', '-o', plain, '--all-frames', '-d', '10', ...samples], { stdio: 'inherit' });
  plainSize = fs.statSync(plain).size;
} catch (e) {
  check('zorvane-cli make of the samples', false, e.message);
}
check('opened from a file, the page measures the samples as zorvane-cli makes them', localBytes === plainSize,
  `page ${localBytes}, zorvane-cli ${plainSize}`);
await local.click('#preview');
const previewed = await local.waitForFunction(() => document.getElementById('preview-image').naturalWidth > 0,
  { timeout: 20000 }).then(() => true, () => false);
check('opened from a file, Preview shows the animation', previewed);
await local.close();

check('no request left the page after it loaded', late.length === 0 && server.requests.length === servedAtLoad,
  [...late, ...server.requests.slice(servedAtLoad)].join(' '));

await browser.close();
await server.close();
console.log(`web page scenario: ${passed} passed, ${failed} failed`);
process.exit(failed ? 1 : 0);
