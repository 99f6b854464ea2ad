// kennfix.html in a real browser, opened from disk as a clerk opens it:
// the window's people typed by keys, the date field's rules, paste, the
// messages, a phone's on-screen keyboard, another date order, "Kopieren",
// the printed sheet (Chromium), axe-core, and screenshots to look at. No
// request may leave the page but the one for the file itself.
//
//   node page_test.mjs chromium|firefox
// with KENNFIX_WEB_PAGE, KENNFIX_WEB_NODE_MODULES, KENNFIX_SHEET_CHECK,
// KENNFIX_TYPED_PEOPLE and KENNFIX_WEB_OUT (tests/web/CMakeLists.txt).

import assert from 'node:assert/strict';
import { execFileSync } from 'node:child_process';
import { mkdirSync, readFileSync, realpathSync } from 'node:fs';
import path from 'node:path';
import { pathToFileURL } from 'node:url';
import { after, before, test } from 'node:test';

import { axeViolations, launch, openPage } from './browsers.mjs';

const browserName = process.argv[2];
const pageUrl = pathToFileURL(process.env.KENNFIX_WEB_PAGE).href;
const out = process.env.KENNFIX_WEB_OUT;
mkdirSync(out, { recursive: true });
const chromium = browserName === 'chromium';

const REFUSED = 'Ungültiger Eingabewert. Mit der Taste ESC machen Sie die Änderungen rückgängig.';
const REJECTED_DIGIT = 'Nicht übernommen: Im Geburtsdatum stehen an dieser Stelle nur Ziffern.';
const REJECTED_NAME = 'Nicht übernommen: Dieses Zeichen kann in einem Namen nicht stehen.';

// The people of the window's end-to-end tests, read from their one source.
const people = [...readFileSync(process.env.KENNFIX_TYPED_PEOPLE, 'utf8')
  .matchAll(/\{"([^"]*)", "([^"]*)", "([^"]*)", "([^"]*)", "([^"]*)"\}/g)]
  .map(([, tag, family, first, date, etin]) => ({ tag, family, first, date, etin }));

let session;
const requests = [];

before(async () => {
  session = await launch(browserName);
});

after(async () => {
  await session?.close();
});

// A fresh page in German, unless told otherwise; the page's policy
// violations are collected as it runs.
async function fresh(options = {}) {
  const opened = await openPage(session.browser, pageUrl, { languages: ['de-DE', 'de'], ...options });
  opened.page.on('request', () => {});
  requests.push(opened.requests);
  return opened.page;
}

async function closePage(page) {
  const violations = await page.evaluate(() => window.kennfixViolations || []);
  assert.deepEqual(violations, [], 'the page broke its own Content-Security-Policy');
  await page.close();
}

async function field(page, id) {
  return page.$eval(`#${id}`, (input) => ({
    value: input.value, start: input.selectionStart, end: input.selectionEnd,
    focused: document.activeElement === input,
  }));
}

const text = (page, selector) => page.$eval(selector, (e) => (e.hidden ? null : e.textContent));
// The live region speaks a moment after it is told.
const announced = (page) => page.waitForFunction(() => document.getElementById('ansage').textContent !== '')
  .then(() => text(page, '#ansage'));

// Types a person into the page by keys alone, field to field with Tab, and
// computes with Enter from the date field.
async function typePerson(page, { family, first, date }) {
  await page.focus('#name');
  await page.keyboard.type(family);
  await page.keyboard.press('Tab');
  await page.keyboard.type(first);
  await page.keyboard.press('Tab');
  await page.keyboard.type(date);
  await page.keyboard.press('Enter');
}

async function axe(page, when) {
  assert.deepEqual(await axeViolations(page), [], `axe-core, ${when}`);
}

async function screenshot(page, name) {
  await page.screenshot({ path: path.join(out, `${name}.png`), fullPage: true });
}

test('the window\'s people, typed by keys, get the window\'s eTINs', async () => {
  assert.equal(people.length >= 4, true, 'the typed people could not be read');
  for (const person of people) {
    const page = await fresh();
    await typePerson(page, person);
    assert.equal(await text(page, '#etin'), person.etin, person.tag);
    assert.equal(await text(page, '#fehler'), null, person.tag);
    if (person === people[0]) {
      await axe(page, 'after a result');
      await screenshot(page, `${browserName}-desktop-light`);
    }
    await closePage(page);
  }
});

test('the date field follows the window\'s rules, key by key', async () => {
  // [keys, screen text, highlighted from, to]; a name in braces is a key.
  const cases = [
    ['120380', '12.03.80', 8, 8],
    ['120380{Home}99', '99.03.80', 3, 4],                     // typing overwrites, the caret skips the separator
    ['120380{Backspace}{Backspace}', '12.03.__', 6, 7],
    ['120380{ArrowLeft}{ArrowLeft}{ArrowLeft}5', '12.05.80', 6, 7],  // Left skips the separator
    ['1.2.', '1_.2_.__', 6, 7],                               // the separator jumps, as in "3.7.61"
    ['1203{Escape}', '__.__.__', 0, 1],                       // Escape restores the value at entry
    ['120380{Home}{Delete}', '_2.03.80', 0, 1],
  ];
  const page = await fresh();
  for (const [keys, screen, start, end] of cases) {
    await page.reload();
    await page.waitForSelector('html[data-bereit="ja"]');
    await page.focus('#datum');
    for (const [, key, chars] of keys.matchAll(/\{(\w+)\}|([^{]+)/g)) {
      if (key) await page.keyboard.press(key);
      else await page.keyboard.type(chars);
    }
    const state = await field(page, 'datum');
    assert.deepEqual([state.value, state.start, state.end], [screen, start, end], keys);
  }
  await closePage(page);
});

test('a letter in the date field is refused and told', async () => {
  const page = await fresh();
  await page.focus('#datum');
  await page.keyboard.type('1x');
  assert.equal((await field(page, 'datum')).value, '1_.__.__');
  assert.equal(await announced(page), REJECTED_DIGIT);
  await closePage(page);
});

test('the date field is not left with half a year: Tab and a click are refused until Escape', async () => {
  const page = await fresh();
  await page.type('#name', 'Müller');
  await page.type('#vorname', 'Hans');
  await page.focus('#datum');
  await page.keyboard.type('0102');
  await page.keyboard.press('Tab');
  let state = await field(page, 'datum');
  assert.equal(state.focused, true, 'Tab left the field');
  assert.deepEqual([state.start, state.end], [6, 7], 'the first blank year position is highlighted');
  assert.equal(await text(page, '#datum-fehler'), REFUSED);
  assert.equal(await text(page, '#fehler-liste'), REFUSED);
  await axe(page, 'with the leave message open');

  await page.click('#berechnen');  // the press is dropped: no eTIN, the focus stays
  state = await field(page, 'datum');
  assert.equal(state.focused, true, 'a click left the field');
  assert.equal(await text(page, '#etin'), '');

  await page.click('h1');  // nothing that takes the focus: the field still checks
  await page.waitForFunction(() => document.activeElement === document.getElementById('datum'));
  assert.equal((await field(page, 'datum')).value, '01.02.__');

  await page.keyboard.press('Escape');
  await page.keyboard.press('Tab');
  assert.equal((await field(page, 'datum')).focused, false, 'Tab after Escape stayed in the field');
  await closePage(page);
});

test('the messages stand next to their field and in the summary', async () => {
  const cases = [
    // [family, first, date keys, field with the message, message, focused field]
    ['', 'Hans', '010280', 'name', 'Name fehlt', 'name'],
    ['Müller', '', '010280', 'vorname', 'Vorname fehlt', 'vorname'],
    ['Müller', 'Hans', '310285', 'datum', '\'31.02.85\' is not a valid date.', null],
  ];
  for (const [family, first, date, id, message, focused] of cases) {
    const page = await fresh();
    await typePerson(page, { family, first, date });
    if (date && !family) await page.click('#berechnen');
    assert.equal(await text(page, `#${id}-fehler`), message);
    assert.equal(await page.$eval('#fehler-liste a', (a) => [a.textContent, a.getAttribute('href')].join(' ')),
                 `${message} #${id}`);
    assert.equal(await page.$eval(`#${id}`, (e) => e.getAttribute('aria-invalid')), 'true');
    assert.equal(await text(page, '#etin'), '');
    if (focused) assert.equal((await field(page, focused)).focused, true, `${message}: the focus`);
    if (id === 'name') {
      await axe(page, 'with a message open');
      await screenshot(page, `${browserName}-message`);
    }
    await closePage(page);
  }
});

test('an entry changed after a computation empties the result', async () => {
  const page = await fresh();
  await typePerson(page, people[0]);
  assert.equal(await text(page, '#etin'), people[0].etin);
  for (const change of [async () => { await page.focus('#vorname'); await page.keyboard.type('s'); },
                        async () => { await page.focus('#datum'); await page.keyboard.press('Delete'); }]) {
    await page.focus('#datum');
    await page.keyboard.press('Enter');
    assert.notEqual(await text(page, '#etin'), '');
    await change();
    assert.equal(await text(page, '#etin'), '');
    assert.equal(await page.$eval('#kopieren', (b) => b.disabled), true);
  }
  await closePage(page);
});

test('a name field refuses a character no eTIN can hold, and says so', async () => {
  const page = await fresh();
  await page.focus('#name');
  await page.keyboard.type('Li');
  await page.keyboard.sendCharacter('李');
  assert.equal((await field(page, 'name')).value, 'Li');
  assert.equal(await announced(page), REJECTED_NAME);
  await closePage(page);
});

test('paste into the date field goes through its rules', async () => {
  const cases = [
    ['15.03.85', '15.03.85'],
    ['15.03.1985', '15.03.85'],    // a whole date with its four-digit year
    ['15031985', '15.03.19'],       // no date of the regional kind: position by position
    ['1x.03', '1_.03.__'],
  ];
  const page = await fresh();
  for (const [pasted, screen] of cases) {
    await page.reload();
    await page.waitForSelector('html[data-bereit="ja"]');
    // Copied from another field and pasted by keys, as a clerk does.
    await page.focus('#vorname');
    await page.keyboard.type(pasted);
    await page.keyboard.down('Control');
    await page.keyboard.press('a');
    await page.keyboard.press('c');
    await page.keyboard.up('Control');
    await page.focus('#datum');
    await page.keyboard.down('Control');
    await page.keyboard.press('v');
    await page.keyboard.up('Control');
    assert.equal((await field(page, 'datum')).value, screen, pasted);
  }
  await closePage(page);
});

test('on a phone: text from an on-screen keyboard, with input events only', async () => {
  for (const colorScheme of chromium ? ['light', 'dark'] : ['light']) {
    const page = await fresh({ viewport: { width: 360, height: 740, isMobile: true, hasTouch: true }, colorScheme });
    const person = people[1];
    // An on-screen keyboard sends no key presses: text arrives as input
    // (insertText), and some keyboards do not let the page cancel it.
    await page.evaluate((p) => {
      const typeInto = (id, chars, cancelable = true) => {
        const input = document.getElementById(id);
        input.focus();
        for (const ch of chars) {
          const before = new InputEvent('beforeinput', { inputType: 'insertText', data: ch, bubbles: true, cancelable });
          if (input.dispatchEvent(before)) {
            const at = input.selectionStart;
            input.value = input.value.slice(0, at) + ch + input.value.slice(input.selectionEnd);
            input.dispatchEvent(new InputEvent('input', { inputType: 'insertText', data: ch, bubbles: true }));
          }
        }
      };
      typeInto('name', p.family);
      typeInto('vorname', p.first);
      typeInto('datum', p.date.slice(0, 3));
      typeInto('datum', p.date.slice(3), false);
    }, person);
    assert.equal((await field(page, 'datum')).value, '28.02.52');
    await page.tap('#berechnen');
    assert.equal(await text(page, '#etin'), person.etin);
    const overflow = await page.evaluate(() => document.documentElement.scrollWidth > window.innerWidth);
    assert.equal(overflow, false, 'the page is wider than the phone');
    await screenshot(page, `${browserName}-phone-${colorScheme}`);
    await closePage(page);
  }
});

test('the date order follows the browser\'s language and is shown', async () => {
  const page = await fresh({ languages: ['en-US', 'en'] });
  assert.equal(await text(page, '#datum-hinweis'), 'Monat, Tag und Jahr mit je zwei Ziffern, zum Beispiel 03/15/85');
  await typePerson(page, { family: 'Müller', first: 'Hans', date: '020180' });
  assert.equal((await field(page, 'datum')).value, '02/01/80');
  assert.equal(await text(page, '#etin'), 'MLLRHNSA80B01H');
  await closePage(page);
  const unknown = await fresh({ languages: [] });
  assert.equal(await text(unknown, '#datum-hinweis'), 'Tag, Monat und Jahr mit je zwei Ziffern, zum Beispiel 15.03.85');
  await closePage(unknown);
});

test('"Kopieren" copies the eTIN', async () => {
  const page = await fresh();
  await typePerson(page, people[0]);
  await page.evaluate(() => {
    window.kennfixCopied = [];
    Object.defineProperty(navigator, 'clipboard', { value: { writeText: async (t) => { window.kennfixCopied.push(t); } } });
  });
  await page.focus('#kopieren');
  await page.keyboard.press('Enter');
  await page.waitForFunction(() => window.kennfixCopied.length > 0);
  assert.deepEqual(await page.evaluate(() => window.kennfixCopied), [people[0].etin]);
  await closePage(page);
});

test('the empty page', async () => {
  const page = await fresh();
  await axe(page, 'in the empty page');
  if (chromium) {
    await page.emulateMediaFeatures([{ name: 'prefers-color-scheme', value: 'dark' }]);
    await screenshot(page, `${browserName}-desktop-dark`);
  }
  await closePage(page);
});

test('"Drucken" prints the window\'s sheet on one A4 page', { skip: !chromium && 'printed to PDF in Chromium' }, async () => {
  const page = await fresh();
  const person = people[1];
  await typePerson(page, person);
  await page.evaluate(() => window.dispatchEvent(new Event('beforeprint')));
  const pdf = path.join(out, 'sheet.pdf');
  await page.pdf({ path: pdf, preferCSSPageSize: true, printBackground: true });
  const lines = execFileSync(process.env.KENNFIX_SHEET_CHECK, [pdf], { encoding: 'utf8' }).split('\n');
  const today = new Date();
  const printed = [today.getDate(), today.getMonth() + 1].map((n) => String(n).padStart(2, '0')).join('.');
  assert.deepEqual(lines.slice(0, 6), [
    'Berechnung eTIN',
    `Name: ${person.family}`,
    `Vorname: ${person.first}`,
    'Geburtsdatum: 28.02.52',
    `Die eTIN lautet: ${person.etin}`,
    `Erstellt am ${printed}.${today.getFullYear()} mit Programm Kennfix – © die Kennfix-Entwickler`,
  ]);
  execFileSync('pdftoppm', ['-png', '-r', '60', '-singlefile', pdf, path.join(out, 'sheet')]);
  await closePage(page);
});

// Firefox loads a few resources of its own into a page as data: URLs (a
// font when a tap in a text field shows its touch caret); they stand in
// its omni.ja, and CSP does not apply to them.
function firefoxOwn(url) {
  if (browserName !== 'firefox' || !url.startsWith('data:')) return false;
  const payload = url.slice(url.indexOf(',') + 1);
  return readFileSync(path.join(path.dirname(realpathSync('/usr/bin/firefox-esr')), 'omni.ja'), 'latin1')
    .includes(payload);
}

test('no request leaves the page but the one for the file itself', () => {
  const all = requests.flat();
  assert.ok(requests.length > 5);
  assert.deepEqual(all.filter((url) => url !== pageUrl && !firefoxOwn(url)), []);
});
