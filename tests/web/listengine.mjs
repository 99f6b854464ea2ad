// The list engine in WebAssembly against kennfix-batch: every test list
// under the options the list tests use, and a list larger than the pieces
// it is read and written in. The same bytes, the same exit status and the
// same messages; for a header that lacks a column, the page's column choice
// gives what kennfix-batch gives with those columns named.
//
//   node listengine.mjs KENNFIX_BATCH MODULE_JS LISTS_FOLDER

import assert from 'node:assert/strict';
import { spawnSync } from 'node:child_process';
import { mkdtempSync, readdirSync, rmSync, writeFileSync } from 'node:fs';
import { tmpdir } from 'node:os';
import path from 'node:path';
import { test, after } from 'node:test';

import { loadListEngine } from './wasmlist.mjs';

const [batch, moduleJs, listsFolder] = process.argv.slice(2);
const engine = await loadListEngine(moduleJs);
const scratch = mkdtempSync(path.join(tmpdir(), 'kennfix-wasm-lists-'));
after(() => rmSync(scratch, { recursive: true, force: true }));

const OPTION_SETS = [
  [],
  ['--output-encoding', 'windows-1252'],
  ['--output-encoding', 'utf-16be'],
  ['--encoding', 'windows-1252'],
  ['--encoding', 'utf-8', '--output-encoding', 'utf-16le'],
  ['--delimiter', ','],
  ['--delimiter', 'tab'],
  ['--date-order', 'mdy', '--date-separator', '/'],
].map((set) => ['--year', '2026', ...set]);

function lists(folder) {
  return readdirSync(folder, { withFileTypes: true }).flatMap((entry) => {
    const full = path.join(folder, entry.name);
    if (entry.isDirectory()) return lists(full);
    return entry.name.endsWith('.csv') && !entry.name.endsWith('.expected.csv') ? [full] : [];
  }).sort();
}

function runBatch(args, input) {
  const run = spawnSync(batch, [...args, input], { maxBuffer: 1 << 30, env: { ...process.env, LC_ALL: 'C.UTF-8' } });
  return { status: run.status, stdout: run.stdout, stderr: run.stderr.toString('utf8') };
}

// What kennfix-batch tells on standard error of the engine's answer.
function batchTells(input, result) {
  if (result.status === 2) return `kennfix-batch: ${input}: ${result.error}\n`;
  return result.batchMessages.map((message) => `kennfix-batch: ${message}\n`).join('');
}

function compare(input, args, options = {}) {
  const native = runBatch(args, input);
  // A choice of columns goes with the options the list was first run with.
  if (!options.choose) engine.setOptions(args);
  const wasm = engine.runFile(input, options);
  const what = `${path.relative(listsFolder, input)} ${args.join(' ')}`;
  assert.equal(wasm.result.status, native.status, `${what}: status\n${native.stderr}`);
  assert.equal(batchTells(input, wasm.result), native.stderr, what);
  if (native.status !== 2) assert.ok(wasm.output.equals(native.stdout), `${what}: the bytes differ`);
  return wasm;
}

const every = lists(listsFolder);

test('every test list, under every option set: the bytes, status and messages of kennfix-batch', () => {
  assert.ok(every.length >= 17, `only ${every.length} lists`);
  const statuses = new Set();
  for (const input of every) {
    for (const args of OPTION_SETS) statuses.add(compare(input, args).result.status);
  }
  assert.deepEqual([...statuses].sort(), [0, 1, 2]);
});

test('an option that kennfix-batch refuses is refused with its message', () => {
  const input = every[0];
  for (const args of [['--year', 'zwei'], ['--delimiter', '|'], ['--date-order', 'dym']]) {
    const native = runBatch(args, input);
    engine.setOptions(args);
    const wasm = engine.runFile(input);
    assert.equal(wasm.result.status, 2);
    assert.equal(native.stderr.split('\n')[0], `kennfix-batch: ${wasm.result.error}`, args.join(' '));
  }
});

test('a header without the columns: the choice offered, and the list read with the columns chosen', () => {
  const input = path.join(scratch, 'andere-namen.csv');
  writeFileSync(input, 'Nr,Nachname,Rufname,Geb.-Datum\r\n1,Müller,Hans,01.02.1980\r\n2,Weiß,,31.02.1985\r\n');
  engine.setOptions(['--year', '2026']);
  const first = engine.runFile(input, { name: 'andere-namen.csv' });
  assert.equal(first.result.status, 2);
  assert.equal(first.result.message, '„andere-namen.csv“: In der Kopfzeile fehlen die Spalten „Familienname“, ' +
                                     '„Vorname“ und „Geburtsdatum“.');
  const choice = first.result.choice;
  assert.equal(choice.delimiterChoosable, true);
  const header = choice.headers[choice.preferred];
  assert.equal(header.delimiter, ',');
  assert.deepEqual(header.fitting.map((i) => header.names[i]), ['Nachname', 'Rufname', 'Geb.-Datum']);

  const chosen = compare(input, ['--year', '2026', '--delimiter', ',', '--family-name-column', 'Nachname',
                                 '--first-name-column', 'Rufname', '--birth-date-column', 'Geb.-Datum'],
                         { choose: [choice.preferred, ...header.fitting] });
  assert.equal(chosen.result.summaryLine, '2 Zeilen: 1 mit eTIN, 1 mit Fehler.');
  assert.deepEqual(chosen.result.attention.map((row) => [row.line, row.familyName, row.error]),
                   [[3, 'Weiß', 'Vorname fehlt']]);
});

test('a file that offers no columns to choose: the list window\'s message', () => {
  const input = path.join(scratch, 'kein-text.csv');
  writeFileSync(input, Buffer.from([0, 1, 2, 0xff, 10, 3, 4]));
  engine.setOptions([]);
  const wasm = engine.runFile(input, { name: 'kein-text.csv' });
  assert.equal(wasm.result.status, 2);
  assert.equal(wasm.result.choice, undefined);
  assert.match(wasm.result.message, /^„kein-text\.csv“ kann nicht als Liste gelesen werden\.\n\n.*Ist die Datei eine Liste im CSV-Format mit einer Kopfzeile\?$/s);
});

test('a list of many pieces: read and written piece by piece, the same bytes', () => {
  const input = path.join(scratch, 'gross.csv');
  const rows = ['Personalnummer;Familienname;Vorname;Geburtsdatum'];
  const names = ['Müller', 'Schön-Schulze', 'Weiß', 'Łukasiewicz', '', 'Meier'];
  for (let i = 0; i < 60000; ++i) {
    rows.push(`${i};${names[i % names.length]};${['Hans', 'Zoë', 'José María'][i % 3]};` +
              `${String(1 + (i % 31)).padStart(2, '0')}.${String(1 + (i % 12)).padStart(2, '0')}.${1950 + (i % 60)}`);
  }
  writeFileSync(input, rows.join('\r\n') + '\r\n');
  const wasm = compare(input, ['--year', '2026']);
  assert.ok(wasm.pulls > 20, `${wasm.pulls} pieces read`);
  assert.ok(wasm.largestPull <= 64 * 1024, `a piece of ${wasm.largestPull} bytes asked for`);
  assert.ok(wasm.pushes > 20, `written in ${wasm.pushes} pieces`);
  assert.ok(wasm.result.attention.length === 1000 && wasm.result.attentionMore > 0, 'the rows shown are limited');
});
