// How long kennfix.html takes until it can be typed into, against the same
// file without its module (no WebAssembly, no scripts: the form as HTML and
// CSS alone), in one run of headless Chromium, the two alternating. Also
// the file's size, plain and gzipped. Goals: 1.5 x the file without its
// module, 400 KB, 150 KB gzipped (docs/benchmarks.md).
//
//   KENNFIX_WEB_NODE_MODULES=$PWD/build-web/test-node/node_modules \
//     node bench/web_startup.mjs build-web/kennfix.html [rounds]

import { mkdtempSync, readFileSync, rmSync, writeFileSync } from 'node:fs';
import { tmpdir } from 'node:os';
import path from 'node:path';
import { pathToFileURL } from 'node:url';
import { gzipSync } from 'node:zlib';

import { launch } from '../tests/web/browsers.mjs';

const [pagePath, roundsArg] = process.argv.slice(2);
const rounds = Number(roundsArg || 20);
const page = readFileSync(pagePath, 'utf8');

// The baseline: every script element out, the module's data block included.
const folder = mkdtempSync(path.join(tmpdir(), 'kennfix-bench-'));
const bare = path.join(folder, 'ohne-modul.html');
writeFileSync(bare, page.replace(/<script\b[^>]*>[\s\S]*?<\/script>/g, ''));

async function startup(browser, url, ready) {
  const tab = await browser.newPage();
  // A German clerk's browser, as the page's users have it.
  await tab.evaluateOnNewDocument(() => {
    Object.defineProperty(navigator, 'languages', { get: () => ['de-DE', 'de'] });
  });
  await tab.goto(url, { waitUntil: 'load' });
  const ms = await tab.evaluate(ready);
  await tab.close();
  return ms;
}

const withModule = () => new Promise((resolve) => {
  const mark = () => performance.getEntriesByName('kennfix-bereit')[0];
  const poll = () => (mark() ? resolve(mark().startTime) : setTimeout(poll, 1));
  poll();
});
// Without scripts the form takes typing once the document is parsed and laid out.
const withoutModule = () => performance.getEntriesByType('navigation')[0].loadEventEnd;

const median = (xs) => [...xs].sort((a, b) => a - b)[Math.floor(xs.length / 2)];

const session = await launch('chromium');
try {
  const full = [];
  const baseline = [];
  for (let i = 0; i < rounds; ++i) {
    full.push(await startup(session.browser, pathToFileURL(pagePath).href, withModule));
    baseline.push(await startup(session.browser, pathToFileURL(bare).href, withoutModule));
  }
  const bytes = Buffer.byteLength(page);
  console.log(`size: ${(bytes / 1024).toFixed(0)} KB, gzipped ${(gzipSync(page, { level: 9 }).length / 1024).toFixed(0)} KB`);
  console.log(`until it can be typed into, median of ${rounds}: ${median(full).toFixed(0)} ms, `
              + `without its module ${median(baseline).toFixed(0)} ms, ratio ${(median(full) / median(baseline)).toFixed(2)}`);
} finally {
  await session.close();
  rmSync(folder, { recursive: true, force: true });
}
