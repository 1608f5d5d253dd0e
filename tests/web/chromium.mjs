// Headless Chromium and a static server on 127.0.0.1, shared by the browser
// checks in this folder. Both stop when the calling script closes them (or
// exits): the server listens on a free port chosen by the system.
import http from 'node:http';
import fs from 'node:fs';
import path from 'node:path';
import puppeteer from 'puppeteer-core';

export const CHROMIUM = process.env.ZORVANE_CHROMIUM || '/usr/bin/chromium';

const TYPES = {
  '.html': 'text/html; charset=utf-8',
  '.js': 'text/javascript; charset=utf-8',
  '.mjs': 'text/javascript; charset=utf-8',
  '.css': 'text/css; charset=utf-8',
  '.gif': 'image/gif',
  '.png': 'image/png',
  '.svg': 'image/svg+xml',
  '.json': 'application/json',
};

// Serves the files under `root` (GET and HEAD only); `routes` maps a path to a
// handler (req, res, url) that takes precedence. Resolves to {url, requests,
// close()}, `requests` listing the path of every request received.
export function serve(root, routes = {}) {
  const base = root ? path.resolve(root) : null;
  const requests = [];
  const server = http.createServer((req, res) => {
    const url = new URL(req.url, 'http://127.0.0.1');
    requests.push(url.pathname);
    const route = routes[url.pathname];
    if (route) return route(req, res, url);
    if (!base || (req.method !== 'GET' && req.method !== 'HEAD')) {
      res.writeHead(404).end();
      return;
    }
    let file = path.join(base, decodeURIComponent(url.pathname));
    if (!file.startsWith(base)) {
      res.writeHead(403).end();
      return;
    }
    if (file.endsWith(path.sep)) file = path.join(file, 'index.html');
    fs.readFile(file, (err, data) => {
      if (err) {
        res.writeHead(404).end();
        return;
      }
      res.writeHead(200, {
        'Content-Type': TYPES[path.extname(file)] || 'application/octet-stream',
        'Cache-Control': 'no-store',
      });
      res.end(req.method === 'HEAD' ? undefined : data);
    });
  });
  return new Promise((resolve, reject) => {
    server.on('error', reject);
    server.listen(0, '127.0.0.1', () => {
      const { port } = server.address();
      resolve({
        url: `http://127.0.0.1:${port}/`,
        requests,
        close: () => new Promise((done) => {
          server.closeAllConnections?.();
          server.close(() => done());
        }),
      });
    });
  });
}

// Starts headless Chromium. `windowSize` is "W,H".
export async function launch({ windowSize = '1280,900' } = {}) {
  const args = [`--window-size=${windowSize}`, '--no-first-run', '--no-default-browser-check',
    '--disable-background-networking', '--disable-component-update', '--disable-sync'];
  // Tests run as root: Chromium's sandbox cannot start then.
  if (process.getuid && process.getuid() === 0) args.push('--no-sandbox');
  return puppeteer.launch({ executablePath: CHROMIUM, headless: true, args });
}

// Reads all of a request's body.
export function readBody(req) {
  return new Promise((resolve, reject) => {
    const parts = [];
    req.on('data', (part) => parts.push(part));
    req.on('end', () => resolve(Buffer.concat(parts)));
    req.on('error', reject);
  });
}

// Decodes the GIF at `url` in `page` (a page of a secure context, where
// WebCodecs' ImageDecoder exists) as Chromium plays it. Resolves to
// {repetitionCount, frameCount, width, height, durations[, sha256]} or
// {error}. With `rgbaUrl`, each frame's RGBA pixels are PUT to
// `${rgbaUrl}&frame=N`.
export function decodeGif(page, url, { hash = false, rgbaUrl = null } = {}) {
  return page.evaluate(async (url, wantHash, rgbaUrl) => {
    const hex = (buffer) => [...new Uint8Array(buffer)].map((b) => b.toString(16).padStart(2, '0')).join('');
    let decoder;
    try {
      const response = await fetch(url);
      if (!response.ok) return { error: await response.text() };
      decoder = new ImageDecoder({ data: await response.arrayBuffer(), type: 'image/gif' });
      await decoder.tracks.ready;
      await decoder.completed;
      const track = decoder.tracks.selectedTrack;
      const out = {
        repetitionCount: track.repetitionCount === Infinity ? 'Infinity' : track.repetitionCount,
        frameCount: track.frameCount,
        width: 0,
        height: 0,
        durations: [],
      };
      if (wantHash) out.sha256 = [];
      let canvas = null;
      let context = null;
      for (let frame = 0; frame < track.frameCount; frame++) {
        const { image } = await decoder.decode({ frameIndex: frame, completeFramesOnly: true });
        out.durations.push(image.duration);
        out.width = image.displayWidth;
        out.height = image.displayHeight;
        if (wantHash || rgbaUrl) {
          if (!canvas) {
            canvas = new OffscreenCanvas(image.displayWidth, image.displayHeight);
            context = canvas.getContext('2d', { willReadFrequently: true });
          }
          context.clearRect(0, 0, canvas.width, canvas.height);
          context.drawImage(image, 0, 0);
          const pixels = context.getImageData(0, 0, canvas.width, canvas.height).data;
          if (wantHash) out.sha256.push(hex(await crypto.subtle.digest('SHA-256', pixels)));
          if (rgbaUrl) await fetch(`${rgbaUrl}&frame=${frame}`, { method: 'PUT', body: pixels });
        }
        image.close();
      }
      return out;
    } catch (e) {
      return { error: `${e.name}: ${e.message}` };
    } finally {
      decoder?.close();
    }
  }, url, hash, rgbaUrl);
}
