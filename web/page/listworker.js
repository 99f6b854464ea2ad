// The list worker: runs the list engine (web/listapi.cpp) on a file the user
// chose, off the page's thread. The file is read in pieces as the engine asks
// for them, and the written list is kept as a Blob of pieces, so a list of a
// million rows is never whole in memory, neither as it came nor as it goes.
// The page (page/list.js) starts it from a Blob URL, with KennfixModule put
// in front (page/engine.js: workerUrl).
//
// From the page:  { run: File, wasm: bytes, options: { name: value } }
//                 { choose: [header, familyName, firstName, birthDate] }
// To the page:    { progress: bytesRead, total }
//                 { result: the engine's answer (listapi.cpp), list: Blob }
//                 { failure: what went wrong } when the engine could not run

/* global KennfixModule, FileReaderSync */
'use strict';

// The written list is gathered in a buffer of this size, which becomes a
// piece of one Blob whenever it is full, so that the browser may keep it out
// of memory.
const BLOB_PIECE = 8 * 1024 * 1024;

let engine = null;
let file = null;

async function start(wasm) {
  const module = await KennfixModule({ wasmBinary: wasm });
  return {
    module,
    clearOptions: module.cwrap('kennfix_list_clear_options', null, []),
    setOption: module.cwrap('kennfix_list_set_option', 'number', ['string', 'string']),
    run: module.cwrap('kennfix_list_run', 'string', ['string']),
    chooseColumns: module.cwrap('kennfix_list_choose_columns', 'number', ['number', 'number', 'number', 'number']),
  };
}

function run() {
  const reader = new FileReaderSync();
  let position = 0;
  let lastProgress = 0;
  let written = new Blob([]);
  const gathered = new Uint8Array(BLOB_PIECE);
  let gatheredSize = 0;
  const fold = () => {
    // The Blob copies what it is given: the buffer is free again.
    written = new Blob([written, gathered.subarray(0, gatheredSize)]);
    gatheredSize = 0;
  };
  engine.module.kennfixList = {
    pull(view) {
      try {
        const bytes = new Uint8Array(reader.readAsArrayBuffer(file.slice(position, position + view.length)));
        view.set(bytes);
        position += bytes.length;
        return bytes.length;
      } catch (e) {
        return -1;
      }
    },
    // `bytes` lies in the module's memory, valid during this call only.
    push(bytes) {
      for (let at = 0; at < bytes.length;) {
        if (gatheredSize === BLOB_PIECE) fold();
        const part = bytes.subarray(at, at + BLOB_PIECE - gatheredSize);
        gathered.set(part, gatheredSize);
        gatheredSize += part.length;
        at += part.length;
      }
      return true;
    },
    progress(bytesRead) {
      const now = Date.now();
      if (now - lastProgress >= 100) {
        lastProgress = now;
        postMessage({ progress: bytesRead, total: file.size });
      }
    },
  };
  const result = JSON.parse(engine.run(file.name));
  const list = result.status === 2 ? null : new Blob([written, gathered.subarray(0, gatheredSize)], { type: 'text/csv' });
  postMessage({ result, list });
}

onmessage = async (event) => {
  const message = event.data;
  try {
    if (message.run) {
      if (!engine) engine = await start(message.wasm);
      file = message.run;
      engine.clearOptions();
      for (const [name, value] of Object.entries(message.options || {})) engine.setOption(name, value);
    } else if (message.choose) {
      engine.chooseColumns(...message.choose);
    }
    run();
  } catch (e) {
    postMessage({ failure: String(e) });
  }
};
