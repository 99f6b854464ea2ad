// The list engine in WebAssembly under node, as the page's list worker runs
// it (web/page/listworker.js): the file read in pieces as the engine asks for
// them, the written list taken in pieces. For the list tests and the list
// benchmark.

import { closeSync, openSync, readFileSync, readSync, writeSync } from 'node:fs';
import { createRequire } from 'node:module';
import path from 'node:path';

export async function loadListEngine(moduleJs) {
  const factory = createRequire(import.meta.url)(path.resolve(moduleJs));
  const module = await factory({ wasmBinary: readFileSync(moduleJs.replace(/\.js$/, '.wasm')) });
  const clearOptions = module.cwrap('kennfix_list_clear_options', null, []);
  const setOption = module.cwrap('kennfix_list_set_option', 'number', ['string', 'string']);
  const run = module.cwrap('kennfix_list_run', 'string', ['string']);
  const chooseColumns = module.cwrap('kennfix_list_choose_columns', 'number', ['number', 'number', 'number', 'number']);

  // Runs the list at `input` into the file `output` (or into memory, without
  // one): { result, output: Buffer | null, memoryBytes, pulls, largestPull, pushes }.
  function runFile(input, { name = input, output = null, choose = null } = {}) {
    const inFd = openSync(input, 'r');
    const outFd = output ? openSync(output, 'w') : null;
    const pieces = [];
    const seen = { pulls: 0, largestPull: 0, pushes: 0 };
    module.kennfixList = {
      pull(view) {
        seen.pulls += 1;
        seen.largestPull = Math.max(seen.largestPull, view.length);
        return readSync(inFd, view, 0, view.length, null);
      },
      push(bytes) {
        seen.pushes += 1;
        if (outFd !== null) writeSync(outFd, bytes);
        else pieces.push(Buffer.from(bytes));  // a copy: `bytes` lies in the module's memory
        return true;
      },
      progress() {},
    };
    try {
      if (choose) assert(chooseColumns(...choose) === 1, 'no such choice of columns');
      const result = JSON.parse(run(name));
      return { result, output: outFd === null ? Buffer.concat(pieces) : null, memoryBytes: module.HEAPU8.length, ...seen };
    } finally {
      closeSync(inFd);
      if (outFd !== null) closeSync(outFd);
    }
  }

  // Sets kennfix-batch's options, given as its command line gives them
  // (["--year", "2026", ...]).
  function setOptions(args) {
    clearOptions();
    for (let i = 0; i < args.length; i += 2) {
      if (!setOption(args[i].replace(/^--/, ''), args[i + 1])) throw new Error(`no option ${args[i]}`);
    }
  }

  return { setOptions, runFile };
}

function assert(condition, message) {
  if (!condition) throw new Error(message);
}
