// What the browser tests and the measurements share: a static server for build/web that can
// be stopped (to take the network away), the installed chromium, and the page's fields.
import {createServer} from 'node:http';
import {readFile} from 'node:fs/promises';
import {mkdtempSync} from 'node:fs';
import {tmpdir} from 'node:os';
import {join, extname, normalize} from 'node:path';
import puppeteer from 'puppeteer-core';

export const root = new URL('../../', import.meta.url).pathname;
export const pageDir = process.env.YM_WEB_DIR ?? join(root, 'build/web');

const TYPES = {
  '.html': 'text/html; charset=utf-8', '.js': 'text/javascript', '.css': 'text/css',
  '.wasm': 'application/wasm', '.svg': 'image/svg+xml', '.webmanifest': 'application/manifest+json',
};

// Serves the page's folder on a free port of localhost (a secure context: the service
// worker runs there). `bytes` counts what was sent.
export async function serve(dir = pageDir, port = 0) {
  const sent = {bytes: 0, files: []};
  const server = createServer(async (request, response) => {
    const path = normalize(decodeURIComponent(new URL(request.url, 'http://x').pathname));
    const file = join(dir, path.endsWith('/') ? path + 'index.html' : path);
    try {
      const body = await readFile(file);
      response.writeHead(200, {'Content-Type': TYPES[extname(file)] ?? 'application/octet-stream'});
      response.end(body);
      sent.bytes += body.length;
      sent.files.push(path);
    } catch {
      response.writeHead(404);
      response.end();
    }
  });
  await new Promise((resolve) => server.listen(port, '127.0.0.1', resolve));
  const close = () => new Promise((resolve) => {
    server.closeAllConnections();
    server.close(resolve);
  });
  return {url: `http://localhost:${server.address().port}/`, port: server.address().port, sent,
          close};
}

export function launch() {
  return puppeteer.launch({
    executablePath: process.env.CHROMIUM ?? '/usr/bin/chromium',
    headless: true,
    args: ['--headless', '--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
           '--disable-background-networking', '--disable-component-update', '--disable-sync',
           `--user-data-dir=${mkdtempSync(join(tmpdir(), 'ym-chromium-'))}`],
  });
}

// Opens the page in a context of its own (storage, service worker) and waits until it has
// started on the core.
export async function open(browser, url, width = 390, height = 844) {
  const context = await browser.createBrowserContext();
  const page = await context.newPage();
  await page.setViewport({width, height});
  await page.goto(url, {waitUntil: 'load'});
  await page.waitForSelector('body[data-ready="1"]');
  return page;
}

// The field whose label or aria-label is `name`.
export function field(page, name) {
  return page.waitForSelector(`::-p-aria(${name})`);
}

export async function press(page, key) {
  await page.keyboard.press(key);
}

export async function focusedLabel(page) {
  return page.evaluate(() => document.activeElement.getAttribute('aria-label'));
}

export async function rows(page) {
  return page.$$eval('#Rows .row', (items) =>
      items.map((r) => [r.querySelector('dt').textContent, r.querySelector('dd').textContent]));
}
