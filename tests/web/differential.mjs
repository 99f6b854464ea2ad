// The core in WebAssembly against the native core: the reference table and
// 100,000 generated people go through kf_compute (web/api.h) in both builds,
// and every answer, eTIN or message, must be the same. The reference
// table's eTINs must also be what it says.
//
//   node differential.mjs NATIVE_DRIVER MODULE_JS REFERENCE_TSV

import assert from 'node:assert/strict';
import { spawnSync } from 'node:child_process';
import { readFileSync } from 'node:fs';
import { createRequire } from 'node:module';
import { test } from 'node:test';

const [driver, moduleJs, referenceTsv] = process.argv.slice(2);
const GENERATED = 100000;
const GERMAN = { separator: '.', order: 0 };

// A fixed seed: a failure comes back the same on every run.
function random(seed) {
  return () => {
    seed = (seed + 0x6d2b79f5) | 0;
    let t = Math.imul(seed ^ (seed >>> 15), 1 | seed);
    t = (t + Math.imul(t ^ (t >>> 7), 61 | t)) ^ t;
    return ((t ^ (t >>> 14)) >>> 0) / 4294967296;
  };
}

const NAME_PIECES = [
  'Müller', 'Schön', 'Weiß', 'José', 'María', 'Zoë', 'Łukasiewicz', 'Ștefan', 'Šimić', 'O’Neill', 'Ærø', 'Øre',
  'Nguyễn', 'Çelik', 'Dvořák', 'Ångström', 'ĳssel', 'Straße', 'STRASSE', 'ä', 'ö', 'ü', 'Ä', 'Ö', 'Ü', 'ß', 'ẞ',
  'Hans', 'Jürgen', 'Lüdtke', 'A', 'Y', 'X', 'Q', 'Meyer', 'von', 'de la', 'Jean-Luc', 'Krümer-Lüdwalt', 'ǟ', 'ő',
  'Œuvre', 'œ', 'Ÿ', '-', ' ', '  ', "'", '.', '´', '`', '1', '9', 'Ž', 'Ñ', 'ñ', 'Þór', 'Ð', 'Σωκράτης', 'Иван',
  '李', '😀', '\u0301', 'e\u0301', '\u00a0', 'Dr.', '€', '™', '?',
];

function name(next) {
  if (next() < 0.03) return '';
  let text = '';
  const pieces = 1 + Math.floor(next() * 3);
  for (let i = 0; i < pieces; ++i) text += NAME_PIECES[Math.floor(next() * NAME_PIECES.length)];
  return text;
}

function digit(next) {
  return next() < 0.05 ? ' ' : String(Math.floor(next() * 10));
}

function pair(next, max) {
  const r = next();
  if (r < 0.6) return String(1 + Math.floor(next() * max)).padStart(2, '0');  // possible
  if (r < 0.8) return digit(next) + digit(next);                              // anything, blanks too
  return ['00', '31', '29', '30', '13', '99', ' 1', '1 '][Math.floor(next() * 8)];
}

function dateText(next, separator) {
  const r = next();
  if (r < 0.04) return '';
  if (r < 0.08) return `  ${separator}  ${separator}  `;
  if (r < 0.12) return ['1.2.1980', '29.02.2000', '29.02.1900', '12.03', '12', 'x', '01.02.80 ', '1/2/3', '-1.2.3']
    [Math.floor(next() * 9)];
  return [pair(next, 31), pair(next, 12), pair(next, 99)].join(separator);
}

function generated(count) {
  const next = random(28);
  const settings = [GERMAN, { separator: '/', order: 1 }, { separator: '-', order: 2 }, { separator: '/', order: 0 }];
  const people = [];
  for (let i = 0; i < count; ++i) {
    const s = next() < 0.7 ? GERMAN : settings[Math.floor(next() * settings.length)];
    const dateFields = dateText(next, s.separator);
    people.push([name(next), name(next), dateFields, s.separator, s.order, next() < 0.9 ? 2026 : 2051]);
  }
  return people;
}

function reference() {
  const rows = readFileSync(referenceTsv, 'utf8').split('\n').filter((line) => line && !line.startsWith('#'));
  return rows.slice(1).map((line) => line.split('\t')).map(([, family, first, date, etin]) => ({ family, first, date, etin }));
}

async function wasmCompute() {
  const factory = createRequire(import.meta.url)(moduleJs);
  const module = await factory({ wasmBinary: readFileSync(moduleJs.replace(/\.js$/, '.wasm')) });
  const compute = module.cwrap('kf_compute', 'string', ['string', 'string', 'string', 'number', 'number', 'number']);
  return (p) => compute(p[0], p[1], p[2], p[3].codePointAt(0), p[4], p[5]);
}

function nativeAnswers(people) {
  const input = people.map((p) => [p[0], p[1], p[2], p[3].codePointAt(0), p[4], p[5]].join('\t')).join('\n') + '\n';
  const run = spawnSync(driver, { input, maxBuffer: 1 << 28 });
  assert.equal(run.status, 0, `the native driver failed: ${run.stderr}`);
  return run.stdout.toString('utf8').split('\n').slice(0, people.length);
}

function compareAll(people, compute) {
  const native = nativeAnswers(people);
  assert.equal(native.length, people.length);
  const differences = [];
  people.forEach((person, i) => {
    const wasm = compute(person);
    if (wasm !== native[i]) differences.push(`${JSON.stringify(person)}: wasm ${JSON.stringify(wasm)}, native ${JSON.stringify(native[i])}`);
  });
  assert.deepEqual(differences.slice(0, 20), [], `${differences.length} of ${people.length} differ`);
  return native;
}

const compute = await wasmCompute();

test('the reference table: the same answers, and its eTINs', () => {
  const rows = reference();
  assert.ok(rows.length > 20);
  const people = rows.map((r) => [r.family, r.first, r.date, '.', 0, 2026]);
  const answers = compareAll(people, compute);
  rows.forEach((row, i) => assert.equal(answers[i], `E\t${row.etin}`, row.family));
});

test(`${GENERATED} generated people: every eTIN and every message the same`, () => {
  const answers = compareAll(generated(GENERATED), compute);
  // The people reach every kind of answer, so the comparison covers each.
  const kinds = {};
  for (const answer of answers) kinds[answer[0]] = (kinds[answer[0]] || 0) + 1;
  for (const kind of ['E', 'N', 'V', 'D']) assert.ok(kinds[kind] > 500, `only ${kinds[kind] || 0} answers of kind ${kind}`);
});
