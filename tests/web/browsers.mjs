// Starting Debian's browsers for the page's tests: headless, with a fresh
// profile in a folder of the test's own, nothing downloaded, nothing of the
// machine's profiles touched. Every request a page makes is recorded.

import { mkdtempSync, readFileSync, rmSync } from 'node:fs';
import { tmpdir } from 'node:os';
import path from 'node:path';
import { createRequire } from 'node:module';

// The test-only npm packages are installed in the build folder
// (KENNFIX_WEB_NODE_MODULES, scripts/lib/web.sh), not beside the tests.
export const requireTestModule = createRequire(path.join(process.env.KENNFIX_WEB_NODE_MODULES || '.', 'x.js'));
const puppeteer = requireTestModule('puppeteer-core');

export const BROWSERS = {
  chromium: {
    executablePath: '/usr/lib/chromium/chromium',
    args: (profile) => ['--headless', '--disable-gpu', '--no-first-run', '--disable-background-networking',
                        '--disable-component-update', '--disable-sync', '--no-sandbox', `--user-data-dir=${profile}`],
  },
  firefox: {
    browser: 'firefox',
    executablePath: '/usr/lib/firefox-esr/firefox-esr',
    args: (profile) => ['--headless', '--profile', profile],
  },
};

// launch('chromium' | 'firefox') -> { browser, close() }
export async function launch(name) {
  const setup = BROWSERS[name];
  const profile = mkdtempSync(path.join(tmpdir(), `kennfix-${name}-`));
  const browser = await puppeteer.launch({
    browser: setup.browser || 'chrome',
    executablePath: setup.executablePath,
    headless: true,
    args: setup.args(profile),
    ignoreDefaultArgs: name === 'chromium' ? ['--headless=new'] : [],
    protocol: name === 'firefox' ? 'webDriverBiDi' : 'cdp',
    userDataDir: profile,
    timeout: 60000,
  });
  return {
    browser,
    async close() {
      await browser.close().catch(() => {});
      rmSync(profile, { recursive: true, force: true });
    },
  };
}

// Opens the page in a fresh tab and records every request it makes.
export async function openPage(browser, url, { viewport = { width: 1024, height: 900 }, colorScheme = 'light',
                                                 languages } = {}) {
  const page = await browser.newPage();
  const requests = [];
  page.on('request', (request) => requests.push(request.url()));
  await page.setViewport(viewport);
  // Firefox's WebDriver BiDi cannot emulate the colour scheme: light there.
  if (colorScheme !== 'light') await page.emulateMediaFeatures([{ name: 'prefers-color-scheme', value: colorScheme }]);
  // The page's own breaches of its policy, for the test to read.
  await page.evaluateOnNewDocument(() => {
    window.kennfixViolations = [];
    document.addEventListener('securitypolicyviolation', (e) => {
      window.kennfixViolations.push(`${e.violatedDirective} ${e.blockedURI}`);
    });
  });
  if (languages) {
    await page.evaluateOnNewDocument((list) => {
      Object.defineProperty(navigator, 'languages', { get: () => list });
    }, languages);
  }
  await page.goto(url, { waitUntil: 'load' });
  await page.waitForSelector('html[data-bereit="ja"]', { timeout: 20000 });
  return { page, requests };
}

// Closes a page after checking that it kept its own Content-Security-Policy.
export async function closeCheckedPage(page) {
  const violations = await page.evaluate(() => window.kennfixViolations || []);
  if (violations.length > 0) throw new Error(`the page broke its own Content-Security-Policy: ${violations.join('; ')}`);
  await page.close();
}

// What axe-core finds wrong with the page as it stands: "rule: where" each.
export async function axeViolations(page) {
  await page.evaluate(readFileSync(requireTestModule.resolve('axe-core/axe.min.js'), 'utf8'));
  return page.evaluate(async () => {
    const result = await window.axe.run(document, { resultTypes: ['violations'] });
    return result.violations.map((v) => `${v.id}: ${v.nodes.map((n) => n.target.join(' ')).join(', ')}`);
  });
}
