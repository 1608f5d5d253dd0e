#!/usr/bin/env node
// The web page against zorvane-cli on the same frames: the time to build the
// animation in the page (headless Chromium: the worker's build, the hand-over
// of the output to the browser as a Blob, and from the click on Download to the
// file ready to save), next to `zorvane-cli make`'s
// wall time and to the least any page can do to offer those bytes (a Blob
// made of them, already in the page, and its URL: the browser's floor),
// measured in the same browser in the same run; and the page's memory (peak and current resident size of its
// renderer process, the worker's JavaScript heap and array buffers) next to
// the inputs' and the output's size. Not a test: it reports, it does not judge.
//
//   node bench/web_bench.mjs PAGE_DIR ZORVANE_CLI ROUNDS FRAME.gif...
//
// Prints a Markdown table; bench/web.sh runs it on corpus b.
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import { spawnSync } from 'node:child_process';
import { launch, serve } from '../tests/web/chromium.mjs';

const [pageDir, cli, roundsText, ...frames] = process.argv.slice(2);
const rounds = Number(roundsText);
if (!frames.length || !(rounds > 0)) {
  console.error('usage: node bench/web_bench.mjs PAGE_DIR ZORVANE_CLI ROUNDS FRAME.gif...');
  process.exit(2);
}
const median = (values) => {
  const sorted = [...values].sort((a, b) => a - b);
  const mid = sorted.length >> 1;
  return sorted.length % 2 ? sorted[mid] : (sorted[mid - 1] + sorted[mid]) / 2;
};
const mib = (bytes) => `${(bytes / 1048576).toFixed(1)} MiB`;
const ms = (t) => `${t.toFixed(0)} ms`;
const inputBytes = frames.reduce((sum, f) => sum + fs.statSync(f).size, 0);

// zorvane-cli: the same frames, delay 10, all frames of each, plays 2..(rounds+1)
// as the page's rounds below (the sizes differ by the looping block only).
const work = fs.mkdtempSync(path.join(os.tmpdir(), 'zorvane-web-bench-'));
const cliTimes = [];
let outputBytes = 0;
let lastOutput = null; // the last run's bytes, for the browser's floor
for (let round = 0; round <= rounds; round++) {
  const out = path.join(work, 'cli.gif');
  const started = process.hrtime.bigint();
  const run = spawnSync(cli, ['make', '-o', out, '--plays', String(round + 2), '--all-frames', '-d', '10', ...frames]);
  const elapsed = Number(process.hrtime.bigint() - started) / 1e6;
  if (run.status !== 0) throw new Error(`zorvane-cli failed: ${run.stderr}`);
  if (round > 0) cliTimes.push(elapsed); // the first is a warm-up
  outputBytes = fs.statSync(out).size;
  if (round === rounds) lastOutput = fs.readFileSync(out);
  fs.rmSync(out);
}
fs.rmSync(work, { recursive: true, force: true });

// Resident memory of Chromium's renderer processes (the page and its worker
// live in one): the largest peak and current size, from /proc.
function rendererMemory() {
  let peak = 0;
  let current = 0;
  for (const pid of fs.readdirSync('/proc').filter((p) => /^\d+$/.test(p))) {
    try {
      const cmdline = fs.readFileSync(`/proc/${pid}/cmdline`, 'utf8');
      if (!cmdline.includes('--type=renderer')) continue;
      const status = fs.readFileSync(`/proc/${pid}/status`, 'utf8');
      const kib = (field) => Number((status.match(new RegExp(`^${field}:\\s+(\\d+)`, 'm')) || [0, 0])[1]) * 1024;
      if (kib('VmRSS') > current) {
        current = kib('VmRSS');
        peak = kib('VmHWM');
      }
    } catch {
      // The process ended meanwhile.
    }
  }
  return { peak, current };
}

const server = await serve(pageDir, {
  '/floor.html': (req, res) => res.writeHead(200, { 'Content-Type': 'text/html; charset=utf-8' })
    .end('<!doctype html><title>floor</title>'),
  '/floor.gif': (req, res) => res.writeHead(200, { 'Content-Type': 'image/gif', 'Cache-Control': 'no-store' })
    .end(lastOutput),
});
const browser = await launch();
const page = await browser.newPage();
const cdp = await page.createCDPSession();
await cdp.send('Browser.setDownloadBehavior', { behavior: 'deny' });
await page.goto(server.url, { waitUntil: 'load' });
await page.waitForSelector('body[data-core="ready"]');
const idle = rendererMemory();

const settled = () => page.waitForFunction(() => !document.getElementById('figures').hasAttribute('aria-busy') &&
  !document.querySelector('.entry.checking') && document.getElementById('size').dataset.bytes, { timeout: 120000 });
let started = performance.now();
await (await page.$('#file-input')).uploadFile(...frames);
await settled();
const addTime = performance.now() - started;
const added = rendererMemory();

// The browser's floor, in a bare page of its own beside ours (ours lets no
// request leave it): the same bytes as zorvane-cli's last output, already in
// that page, made into a Blob and its URL (where our page's timing ends too).
// Timed in each round right after our page's build, in the same conditions.
const floorPage = await browser.newPage();
await floorPage.goto(`${server.url}floor.html`, { waitUntil: 'load' });
await floorPage.evaluate(async () => {
  window.benchBytes = new Uint8Array(await (await fetch('/floor.gif')).arrayBuffer());
});
const floorTimes = [];
// Each page is brought to the front before its step (a page behind another
// has its timers throttled), after a pause: the browser takes a Blob's bytes
// from the page that made it after the constructor returns, and one step must
// not wait for the other's.
const quiet = () => new Promise((resolve) => setTimeout(resolve, 1500));
const floor = async () => {
  await quiet();
  await floorPage.bringToFront();
  return floorPage.evaluate(() => {
    const start = performance.now();
    const url = URL.createObjectURL(new Blob([window.benchBytes], { type: 'image/gif' }));
    const elapsed = performance.now() - start;
    // As our page keeps its last build, this page keeps its last Blob.
    if (window.benchLastUrl) URL.revokeObjectURL(window.benchLastUrl);
    window.benchLastUrl = url;
    return elapsed;
  });
};

const pageTimes = [];
const workerTimes = [];
const blobTimes = [];
await page.bringToFront();
await page.click('input[name="plays"][value="times"]');
for (let round = 0; round <= rounds; round++) {
  await page.$eval('#plays-count', (e, n) => {
    e.value = String(n);
    e.dispatchEvent(new Event('input', { bubbles: true }));
  }, round + 2);
  await settled();
  // Timed inside the page: from the click to the build's result in place.
  const elapsed = await page.evaluate((n) => new Promise((resolve) => {
    const start = performance.now();
    const observer = new MutationObserver(() => {
      if (document.body.dataset.built !== String(n)) return;
      observer.disconnect();
      resolve(performance.now() - start);
    });
    observer.observe(document.body, { attributes: true });
    document.getElementById('download').click();
  }), round + 1);
  const [workerMs, blobMs] = await page.evaluate(() => [Number(document.body.dataset.buildMs),
    Number(document.body.dataset.blobMs)]);
  const floorMs = await floor();
  await page.bringToFront();
  await quiet();
  if (round > 0) {
    floorTimes.push(floorMs);
    pageTimes.push(elapsed);
    workerTimes.push(workerMs);
    blobTimes.push(blobMs);
  }
}
const shownBytes = Number(await page.$eval('#size', (e) => e.dataset.bytes));

// What the page spends on the download beyond the core's own build: the
// request to the worker, the hand-over of the output and the Blob.
const downloadTimes = pageTimes.map((t, i) => t - workerTimes[i]);
await floorPage.close();
const built = rendererMemory();
let workerHeap = null;
const worker = page.workers()[0];
if (worker) {
  const usage = await worker.client.send('Runtime.getHeapUsage').catch(() => null);
  if (usage) workerHeap = usage;
}

await browser.close();
await server.close();

const cliMedian = median(cliTimes);
const pageMedian = median(pageTimes);
const floorMedian = median(floorTimes);
const downloadMedian = median(downloadTimes);
console.log(`| what | figure |
|---|---:|
| frames | ${frames.length} files, ${mib(inputBytes)} |
| output | ${mib(outputBytes)} (page shows ${shownBytes.toLocaleString('en-US')} bytes${
  shownBytes === outputBytes - 0 ? '' : ' with one more play than the last CLI run'}) |
| zorvane-cli make, median wall (${cliTimes.length} runs) | ${ms(cliMedian)} |
| page: click on Download to the file ready, median (${pageTimes.length} builds) | ${ms(pageMedian)} (${(pageMedian / cliMedian).toFixed(2)}× zorvane-cli) |
| page: the build inside the worker, median | ${ms(median(workerTimes))} (${(median(workerTimes) / cliMedian).toFixed(2)}× zorvane-cli) |
| page: handing the output to the browser (Blob, for Preview and Download), median | ${ms(median(blobTimes))} |
| browser's floor: a Blob of the same ${mib(lastOutput.length)} already in a page, and its URL, median (${floorTimes.length}, each after one of the builds above) | ${ms(floorMedian)} |
| page: click to file ready less the build in the worker, median | ${ms(downloadMedian)} (${(downloadMedian / floorMedian).toFixed(2)}× the floor) |
| page: click to file ready against the floor plus the build in the worker | ${(pageMedian / (floorMedian + median(workerTimes))).toFixed(2)}× |
| page: adding the ${frames.length} files (read, copied into the worker, inspected) | ${ms(addTime)} |
| renderer resident size: page loaded, no files | ${mib(idle.current)} |
| renderer resident size: files added | ${mib(added.current)} (+${mib(added.current - idle.current)}) |
| renderer resident size: after the builds (peak) | ${mib(built.current)} (peak ${mib(built.peak)}, +${mib(built.peak - idle.current)} over idle) |
| worker heap: JavaScript, array buffers | ${workerHeap ? `${mib(workerHeap.usedSize)}, ${
  workerHeap.backingStorageSize !== undefined ? mib(workerHeap.backingStorageSize) : 'n/a'}` : 'n/a'} |`);
