// The list engine in WebAssembly (the page's module, run under node as the
// page's worker runs it: the list read and written in pieces) against the
// native kennfix-batch on the same generated list, in turn, in one run; the
// medians and the median of the ratios, the peak memory of each process
// (GNU time) and the module's own memory at the end. The list is that of
// bench/list_vs_cp.py, written to a temporary folder and removed afterwards.
//
//   node list_wasm_vs_batch.mjs [--rows N] [--runs R] KENNFIX_BATCH MODULE_JS

import { spawnSync } from 'node:child_process';
import { mkdtempSync, readFileSync, rmSync } from 'node:fs';
import { tmpdir } from 'node:os';
import path from 'node:path';
import { fileURLToPath } from 'node:url';

import { loadListEngine } from '../tests/web/wasmlist.mjs';

const here = path.dirname(fileURLToPath(import.meta.url));
const args = process.argv.slice(2);

// The child that runs the module once: node list_wasm_vs_batch.mjs --run MODULE_JS INPUT OUTPUT
if (args[0] === '--run') {
  const [, moduleJs, input, output] = args;
  const engine = await loadListEngine(moduleJs);
  engine.setOptions([]);
  const { result, memoryBytes } = engine.runFile(input, { output });
  process.stdout.write(JSON.stringify({ status: result.status, memoryBytes }));
  process.exit(0);
}

function option(name, fallback) {
  const at = args.indexOf(name);
  if (at < 0) return fallback;
  const value = Number(args[at + 1]);
  args.splice(at, 2);
  return value;
}
const rows = option('--rows', 1000000);
const runs = option('--runs', 5);
const [batch, moduleJs] = args.map((a) => path.resolve(a));

const median = (values) => [...values].sort((a, b) => a - b)[Math.floor(values.length / 2)];

// Wall time in seconds and peak resident memory in KiB of one command.
function timed(command) {
  const start = process.hrtime.bigint();
  const run = spawnSync('/usr/bin/time', ['-f', '%M', ...command], { encoding: 'utf8', maxBuffer: 1 << 20 });
  const seconds = Number(process.hrtime.bigint() - start) / 1e9;
  if (run.status > 1) throw new Error(`${command.join(' ')} failed: ${run.stderr}`);
  return { seconds, peakKiB: Number(run.stderr.trim().split('\n').pop()), stdout: run.stdout };
}

const dir = mkdtempSync(path.join(tmpdir(), 'kennfix-wasm-bench-'));
try {
  const list = path.join(dir, 'liste.csv');
  spawnSync('python3', [path.join(here, 'list_vs_cp.py'), '--rows', String(rows), '--write-list', list], { stdio: 'inherit' });
  const native = [];
  const wasm = [];
  let moduleMemory = 0;
  for (let i = 0; i < runs; ++i) {
    native.push(timed([batch, list, path.join(dir, 'native.csv')]));
    const w = timed([process.execPath, fileURLToPath(import.meta.url), '--run', moduleJs, list, path.join(dir, 'wasm.csv')]);
    moduleMemory = JSON.parse(w.stdout).memoryBytes;
    wasm.push(w);
  }
  if (!readFileSync(path.join(dir, 'native.csv')).equals(readFileSync(path.join(dir, 'wasm.csv'))))
    throw new Error('the module wrote other bytes than kennfix-batch');
  const ratios = native.map((n, i) => wasm[i].seconds / n.seconds);
  const mib = (kib) => (kib / 1024).toFixed(0);
  console.log(`${rows} rows, ${runs} runs each, in turn; the same bytes written`);
  console.log(`kennfix-batch (native):   median ${median(native.map((r) => r.seconds)).toFixed(2)} s, ` +
              `peak ${mib(median(native.map((r) => r.peakKiB)))} MiB`);
  console.log(`list engine in wasm:      median ${median(wasm.map((r) => r.seconds)).toFixed(2)} s, ` +
              `peak ${mib(median(wasm.map((r) => r.peakKiB)))} MiB (node included), ` +
              `module memory ${(moduleMemory / 1048576).toFixed(0)} MiB`);
  console.log(`ratio wasm / native:      median ${median(ratios).toFixed(2)} (${ratios.map((r) => r.toFixed(2)).join(', ')})`);
} finally {
  rmSync(dir, { recursive: true, force: true });
}
