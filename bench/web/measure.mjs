// Measures the web edition in the installed chromium (never asserted): what a first visit
// downloads, raw and gzipped; the time to the first usable render against a blank page
// served the same way; a trade and a break-even computed in the page.
//   scripts/web-test.sh   (builds build/web and installs the driver), then
//   node bench/web/measure.mjs
import {mkdtempSync, writeFileSync, readFileSync} from 'node:fs';
import {gzipSync} from 'node:zlib';
import {tmpdir} from 'node:os';
import {join} from 'node:path';
import {pageDir, serve, launch} from '../../web/test/support.js';

const RUNS = 7;
const median = (xs) => xs.slice().sort((a, b) => a - b)[Math.floor(xs.length / 2)];

const blankDir = mkdtempSync(join(tmpdir(), 'ym-blank-'));
writeFileSync(join(blankDir, 'index.html'),
              '<!DOCTYPE html><meta charset="utf-8"><title>blank</title><p>blank</p>');
const site = await serve(pageDir);
const blank = await serve(blankDir);
const browser = await launch();

// A first visit in a fresh context each time: no cache, no service worker yet.
async function visit(url, readySelector) {
  const context = await browser.createBrowserContext();
  const page = await context.newPage();
  await page.setViewport({width: 390, height: 844});
  await page.goto(url, {waitUntil: 'load'});
  await page.waitForSelector(readySelector);
  const ms = await page.evaluate(() => performance.now());
  await context.close();
  return ms;
}

const pageTimes = [];
const blankTimes = [];
for (let i = 0; i < RUNS; ++i) {
  blankTimes.push(await visit(blank.url, 'p'));
  site.sent.files.length = 0;
  pageTimes.push(await visit(site.url, 'body[data-ready="1"]'));
}
const files = [...new Set(site.sent.files)];
let raw = 0;
let gzip = 0;
const sizes = files.map((f) => {
  const bytes = readFileSync(join(pageDir, f.endsWith('/') ? 'index.html' : f));
  raw += bytes.length;
  const packed = gzipSync(bytes, {level: 9}).length;
  gzip += packed;
  return `  ${f.padEnd(24)} ${String(bytes.length).padStart(8)} ${String(packed).padStart(8)}`;
});

// Calls of the core through the page's bindings, timed inside the page.
const context = await browser.createBrowserContext();
const page = await context.newPage();
await page.goto(site.url, {waitUntil: 'load'});
await page.waitForSelector('body[data-ready="1"]');
const compute = await page.evaluate(() => {
  const core = window.ymCore;
  const time = (buy, sell, qty, n) => {
    core.select(1, 1);
    core.commitField('buy', buy);
    core.commitField('sell', sell);
    core.commitField('quantity', qty);
    const start = performance.now();
    for (let i = 0; i < n; ++i) core.compute(false, false);
    return (performance.now() - start) / n * 1000;
  };
  return {
    trade: time('10', '10.5', '1000', 2000),
    // A minimum commission far above the trade's amount: the break-even search walks far.
    breakEven: time('0.01', '0.02', '100', 200),
  };
});

console.log('first visit downloads (bytes)     raw     gzip');
console.log(sizes.join('\n'));
console.log(`  ${'total'.padEnd(24)} ${String(raw).padStart(8)} ${String(gzip).padStart(8)}`);
console.log(`first usable render, median of ${RUNS} (ms): page ${median(pageTimes).toFixed(0)}, ` +
            `blank page ${median(blankTimes).toFixed(0)}`);
console.log(`in the page, per calculation (µs): trade with break-even ${compute.trade.toFixed(1)}, ` +
            `far break-even ${compute.breakEven.toFixed(1)}`);

await browser.close();
await site.close();
await blank.close();
