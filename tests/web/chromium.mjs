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
// handler (req, res) that takes precedence. Resolves to {url, close()}.
export function serve(root, routes = {}) {
  const base = root ? path.resolve(root) : null;
  const server = http.createServer((req, res) => {
    const url = new URL(req.url, 'http://127.0.0.1');
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
