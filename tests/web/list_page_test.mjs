// The page's list part in a real browser, opened from disk: a test list
// chosen by keyboard or dropped, read in the worker, its counts and rows
// shown, and "Liste mit eTIN speichern" downloaded: the same bytes as
// kennfix-batch writes. A large list leaves the page free to type in. A
// list whose header lacks the columns asks for them as the list window
// does. axe-core with a list shown, a screenshot to look at, and no
// request leaves the page but the file itself and the worker it makes of
// its own text.
//
//   node list_page_test.mjs chromium|firefox
// with KENNFIX_WEB_PAGE, KENNFIX_WEB_NODE_MODULES, KENNFIX_BATCH,
// KENNFIX_LIST_CASES, KENNFIX_BENCH (for bench/list_vs_cp.py's list) and
// KENNFIX_WEB_OUT (tests/web/CMakeLists.txt).

import assert from 'node:assert/strict';
import { execFileSync } from 'node:child_process';
import { existsSync, mkdirSync, mkdtempSync, readFileSync, rmSync, writeFileSync } from 'node:fs';
import { tmpdir } from 'node:os';
import path from 'node:path';
import { pathToFileURL } from 'node:url';
import { after, before, test } from 'node:test';

import { axeViolations, closeCheckedPage as closePage, launch, openPage } from './browsers.mjs';

const browserName = process.argv[2];
const pageUrl = pathToFileURL(process.env.KENNFIX_WEB_PAGE).href;
const out = process.env.KENNFIX_WEB_OUT;
const lists = process.env.KENNFIX_LIST_CASES;
mkdirSync(out, { recursive: true });
const scratch = mkdtempSync(path.join(tmpdir(), `kennfix-list-page-${browserName}-`));
const downloads = path.join(scratch, 'downloads');
mkdirSync(downloads);

let session;
let context;
const requests = [];

before(async () => {
  session = await launch(browserName);
  context = await session.browser.createBrowserContext({ downloadBehavior: { policy: 'allow', downloadPath: downloads } });
});

after(async () => {
  await session?.close();
  rmSync(scratch, { recursive: true, force: true });
});

async function fresh() {
  const opened = await openPage(context, pageUrl, { languages: ['de-DE', 'de'] });
  requests.push(opened.requests);
  return opened.page;
}

// The text of what is shown; null for what is not.
const text = (page, selector) => page.$eval(selector, (e) => (e.checkVisibility() ? e.textContent : null));

// Chooses `file` through the file field, reached by keyboard.
async function chooseList(page, file) {
  await page.focus('#liste-datei');
  const input = await page.$('#liste-datei');
  await input.uploadFile(file);
}

async function listShown(page) {
  await page.waitForFunction(() => !document.getElementById('liste-ergebnis').hidden
    && document.getElementById('liste-lauf').hidden, { timeout: 30000 });
}

async function download(page, name) {
  const target = path.join(downloads, name);
  rmSync(target, { force: true });
  await page.focus('#liste-speichern');
  await page.keyboard.press('Enter');
  const until = Date.now() + 20000;
  // The file is complete once the browser has renamed its partial file.
  while (!existsSync(target) || existsSync(`${target}.part`) || existsSync(`${target}.crdownload`)) {
    assert.ok(Date.now() < until, `${name} was not downloaded`);
    await new Promise((resolve) => setTimeout(resolve, 100));
  }
  await new Promise((resolve) => setTimeout(resolve, 200));
  return readFileSync(target);
}

function batch(input, args = []) {
  try {
    return execFileSync(process.env.KENNFIX_BATCH, [...args, input], { stdio: ['ignore', 'pipe', 'ignore'], maxBuffer: 1 << 30 });
  } catch (e) {
    return e.stdout;  // status 1: rows that need attention, the list is written all the same
  }
}

async function axe(page, when) {
  assert.deepEqual(await axeViolations(page), [], `axe-core, ${when}`);
}

test('a list chosen, read and downloaded: the bytes of kennfix-batch, the counts and rows shown', async () => {
  const page = await fresh();
  for (const name of ['stored-etin-verdicts', 'windows-1252', 'utf-16le-tab-separated', 'blank-lines-and-empty-rows']) {
    const input = path.join(lists, `${name}.csv`);
    await chooseList(page, input);
    await listShown(page);
    const downloaded = await download(page, `${name}-etin.csv`);
    assert.ok(downloaded.equals(batch(input)), `${name}: the downloaded bytes differ from kennfix-batch's`);
    if (name === 'stored-etin-verdicts') {
      assert.match(await text(page, '#liste-zusammenfassung'),
                   /^„stored-etin-verdicts\.csv“: \d+ Zeilen: \d+ mit eTIN, \d+ mit Fehler, \d+ gespeicherte eTINs? (weicht|weichen) ab\.$/);
      const rows = await page.$$eval('#liste-zeilen tbody tr', (trs) => trs.map((tr) => [...tr.cells].map((c) => c.textContent)));
      assert.ok(rows.length > 0 && rows.every((cells) => cells.length === 3 && /^\d+$/.test(cells[0])));
      assert.ok(rows.some((cells) => cells[2].startsWith('Prüfung: weicht ab')), 'a deviating eTIN with its Prüfung');
      assert.ok(rows.some((cells) => cells[2] === 'Fehler: Vorname fehlt'), 'a row without eTIN with its Fehler');
      assert.equal(await text(page, '#liste-lauf'), null, 'the progress is gone');
      await axe(page, 'with a list shown');
      await page.screenshot({ path: path.join(out, `${browserName}-list.png`), fullPage: true });
      await page.setViewport({ width: 320, height: 640 });
      assert.ok(await page.evaluate(() => document.documentElement.scrollWidth <= 320), 'the page is wider than a phone');
      await page.screenshot({ path: path.join(out, `${browserName}-list-phone.png`), fullPage: true });
      await page.setViewport({ width: 1024, height: 900 });
    }
  }
  await closePage(page);
});

test('a header without the columns: chosen as in the list window, then read', async () => {
  const page = await fresh();
  const input = path.join(scratch, 'andere-namen.csv');
  writeFileSync(input, 'Nr,Nachname,Rufname,Geb.-Datum\r\n1,Müller,Hans,01.02.1980\r\n2,Weiß,Zoë,31.02.1985\r\n');
  await chooseList(page, input);
  await page.waitForFunction(() => !document.getElementById('liste-spalten').hidden, { timeout: 30000 });
  assert.equal(await text(page, '#liste-spalten-frage'),
               '„andere-namen.csv“: In der Kopfzeile fehlen die Spalten „Familienname“, „Vorname“ und ' +
               '„Geburtsdatum“. Welche Spalten enthalten Familienname, Vorname und Geburtsdatum? Die Wahl gilt ' +
               'nur für diese Liste.');
  const chosen = await page.$$eval('#liste-spalten select', (boxes) => boxes.map((b) => b.selectedOptions[0].textContent));
  assert.deepEqual(chosen, ['Komma (,)', 'Nachname', 'Rufname', 'Geb.-Datum']);
  await axe(page, 'with the column choice open');
  await page.focus('#liste-lesen');
  await page.keyboard.press('Enter');
  await listShown(page);
  assert.equal(await text(page, '#liste-zusammenfassung'), '„andere-namen.csv“: 2 Zeilen: 1 mit eTIN, 1 mit Fehler.');
  const downloaded = await download(page, 'andere-namen-etin.csv');
  assert.ok(downloaded.equals(batch(input, ['--delimiter', ',', '--family-name-column', 'Nachname',
                                            '--first-name-column', 'Rufname', '--birth-date-column', 'Geb.-Datum'])));
  await closePage(page);
});

test('a file that is no list: the list window\'s message', async () => {
  const page = await fresh();
  await chooseList(page, path.join(lists, 'a-quote-left-open.csv'));
  await page.waitForFunction(() => !document.getElementById('liste-meldung').hidden, { timeout: 30000 });
  assert.match(await text(page, '#liste-meldung'), /^„a-quote-left-open\.csv“ kann nicht als Liste gelesen werden\.\n\nZeile \d+: /);
  await closePage(page);
});

test('a large list: the page answers while it is read, progress shows, the download is whole, Abbrechen stops', async () => {
  const page = await fresh();
  const input = path.join(scratch, 'gross.csv');
  execFileSync('python3', [path.join(process.env.KENNFIX_BENCH, 'list_vs_cp.py'), '--rows', '400000', '--write-list', input]);
  await chooseList(page, input);
  await page.waitForFunction(() => document.getElementById('liste-fortschritt').value > 0, { timeout: 30000, polling: 20 });
  // The page's thread is free: a name typed now goes in at once.
  await page.focus('#name');
  await page.keyboard.type('Meier');
  assert.equal(await page.$eval('#name', (e) => e.value), 'Meier');
  assert.ok(await page.evaluate(() => !document.getElementById('liste-lauf').hidden), 'the list was read already');
  await listShown(page);
  assert.equal(await text(page, '#liste-zusammenfassung'), '„gross.csv“: 400.000 Zeilen: 400.000 mit eTIN, 0 mit Fehler.');
  const downloaded = await download(page, 'gross-etin.csv');
  assert.ok(downloaded.equals(batch(input)), 'the downloaded bytes differ from kennfix-batch\'s');

  // "Abbrechen" while the list is read again: the list shown stays.
  await chooseList(page, input);
  await page.waitForFunction(() => !document.getElementById('liste-lauf').hidden, { polling: 10 });
  await page.click('#liste-abbrechen');
  await page.waitForFunction(() => document.getElementById('liste-lauf').hidden, { timeout: 10000 });
  assert.equal(await page.$eval('#liste-ansage', (e) => e.textContent), 'Abgebrochen.');
  assert.equal(await text(page, '#liste-zusammenfassung'), '„gross.csv“: 400.000 Zeilen: 400.000 mit eTIN, 0 mit Fehler.');
  await closePage(page);
});

test('a list dropped on the list part is read', async () => {
  const page = await fresh();
  const bytes = [...readFileSync(path.join(lists, 'dates-in-german.csv'))];
  await page.evaluate((content) => {
    const transfer = new DataTransfer();
    transfer.items.add(new File([new Uint8Array(content)], 'gezogen.csv', { type: 'text/csv' }));
    const target = document.getElementById('liste-titel');
    for (const type of ['dragenter', 'dragover', 'drop']) {
      target.dispatchEvent(new DragEvent(type, { dataTransfer: transfer, bubbles: true, cancelable: true }));
    }
  }, bytes);
  await listShown(page);
  assert.match(await text(page, '#liste-zusammenfassung'), /^„gezogen\.csv“: \d+ Zeilen: /);
  assert.equal(await page.$eval('#liste-speichern', (a) => a.download), 'gezogen-etin.csv');
  await closePage(page);
});

test('no request leaves the page but the file itself and its own worker', () => {
  const all = requests.flat();
  assert.ok(requests.length >= 3);
  const pageFolder = new URL('.', pageUrl).href;
  assert.deepEqual(all.filter((url) => url !== pageUrl && !url.startsWith('blob:')), []);
  // A Blob URL of a file page is the page's own; one that names another origin would not be.
  assert.deepEqual(all.filter((url) => url.startsWith('blob:') && !/^blob:(null|file:\/\/)\//.test(url)), [], pageFolder);
});
