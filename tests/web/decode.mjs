#!/usr/bin/env node
// Decodes GIF files the way Chromium plays them, through WebCodecs'
// ImageDecoder in headless Chromium, and prints one JSON line per file:
//
//   {"file": "out.gif", "repetitionCount": "Infinity", "frameCount": 6,
//    "width": 64, "height": 48, "durations": [100000, ...],
//    "sha256": ["...", ...], "rgba": ["DIR/out.gif.0.rgba", ...]}
//
// repetitionCount is the looping block's count as the browser reads it: in an
// animation, 0 without a block, "Infinity" for a count of 0, else N - 1 for N
// plays (Chromium reports "Infinity" for a file of one image, whatever it holds).
// durations are in microseconds, as the API gives them (a delay of 7
// hundredths is 70000; 0 and 1 are not clamped here, though browsers play
// them slower). Each frame is decoded composited, as it is shown, at the full
// size of the logical screen.
//
//   node tests/web/decode.mjs [--hash] [--rgba DIR] FILE.gif...
//     --hash      add the SHA-256 of each frame's RGBA pixels (row by row, 4 bytes a pixel)
//     --rgba DIR  write each frame's RGBA pixels to DIR/NAME.INDEX.rgba
//
// A file that Chromium cannot decode gives {"file": ..., "error": "..."}, and
// the exit status is 1. Needs: npm ci in tests/web (puppeteer-core), Chromium
// at /usr/bin/chromium (or $ZORVANE_CHROMIUM).
import fs from 'node:fs';
import path from 'node:path';
import { decodeGif, launch, serve, readBody } from './chromium.mjs';

const usage = 'usage: node tests/web/decode.mjs [--hash] [--rgba DIR] FILE.gif...';
const files = [];
let hash = false;
let rgbaDir = null;
const argv = process.argv.slice(2);
for (let i = 0; i < argv.length; i++) {
  const a = argv[i];
  if (a === '--hash') hash = true;
  else if (a === '--rgba' && i + 1 < argv.length) rgbaDir = argv[++i];
  else if (a === '-h' || a === '--help') {
    console.log(usage);
    process.exit(0);
  } else if (a.startsWith('--')) {
    console.error(`decode.mjs: unknown option ${a}\n${usage}`);
    process.exit(2);
  } else files.push(a);
}
if (files.length === 0) {
  console.error(usage);
  process.exit(2);
}
if (rgbaDir) fs.mkdirSync(rgbaDir, { recursive: true });

// The page (a secure context, as ImageDecoder needs) fetches each file by its
// index and sends frames' pixels back when asked to.
const written = new Map();
const server = await serve(null, {
  '/': (req, res) => res.writeHead(200, { 'Content-Type': 'text/html' }).end('<!doctype html><title>decode</title>'),
  '/gif': (req, res, url) => {
    const file = files[Number(url.searchParams.get('i'))];
    fs.readFile(file, (err, data) => {
      if (err) res.writeHead(404).end(String(err.message));
      else res.writeHead(200, { 'Content-Type': 'image/gif' }).end(data);
    });
  },
  '/rgba': async (req, res, url) => {
    const i = Number(url.searchParams.get('i'));
    const frame = Number(url.searchParams.get('frame'));
    const out = path.join(rgbaDir, `${path.basename(files[i])}.${frame}.rgba`);
    fs.writeFileSync(out, await readBody(req));
    written.set(`${i}/${frame}`, out);
    res.writeHead(204).end();
  },
});

let status = 0;
const browser = await launch();
try {
  const page = await browser.newPage();
  await page.goto(server.url);
  for (let i = 0; i < files.length; i++) {
    if (!fs.existsSync(files[i])) {
      console.log(JSON.stringify({ file: files[i], error: 'no such file' }));
      status = 1;
      continue;
    }
    const result = await decodeGif(page, `/gif?i=${i}`, { hash, rgbaUrl: rgbaDir ? `/rgba?i=${i}` : null });
    const line = { file: files[i], ...result };
    if (rgbaDir && !result.error) {
      line.rgba = Array.from({ length: result.frameCount }, (_, frame) => written.get(`${i}/${frame}`));
    }
    if (result.error) status = 1;
    console.log(JSON.stringify(line));
  }
} finally {
  await browser.close();
  await server.close();
}
process.exit(status);
