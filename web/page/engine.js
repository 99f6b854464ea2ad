// The WebAssembly module: the core, the date field's rules and the list
// engine behind the C functions of web/api.h. The module's bytes stand in
// the page gzipped, as base64 in the data block #modul, so nothing is
// fetched, not even from the page's own folder; page/unpack.js unpacks and
// compiles them while the page is read.

/* global KennfixModule, kennfixCompiledModule, kennfixUnpackedModule */

// The module's bytes, unpacked once (a promise of them), for the worker,
// which starts a module of its own.
let moduleBytes = null;
export function wasmBytes() {
  if (!moduleBytes) {
    moduleBytes = new Response(kennfixUnpackedModule()).arrayBuffer().then((buffer) => new Uint8Array(buffer));
  }
  return moduleBytes;
}

// A Blob URL for the worker script standing in the page under
// id="worker-NAME", with the module's factory (KennfixModule) put in front,
// so that the worker can start the same module from bytes it is sent.
export function workerUrl(name) {
  const source = document.getElementById(`worker-${name}`).textContent;
  // The factory reads _scriptDir from the glue's closure around it; a worker
  // from a Blob URL has no script folder to give it.
  const blob = new Blob([`var _scriptDir;\nconst KennfixModule = ${KennfixModule.toString()};\n`, source],
                        { type: 'text/javascript' });
  return URL.createObjectURL(blob);
}

// The engine the page works with: plain functions over the module.
export async function loadEngine() {
  const compiled = await kennfixCompiledModule;
  let instantiated;
  const starting = KennfixModule({
    // The module compiled early, instantiated with the imports the glue gives.
    instantiateWasm(imports, receiveInstance) {
      instantiated = WebAssembly.instantiate(compiled, imports)
        .then((instance) => receiveInstance(instance, compiled));
      return {};
    },
  });
  // A module that cannot start fails here rather than leaving the page waiting.
  const [module] = await Promise.all([starting, instantiated]);
  const call = (name, result, args) => module.cwrap(name, result, args);
  const compute = call('kf_compute', 'string', ['string', 'string', 'string', 'number', 'number', 'number']);
  const maskState = call('kf_mask_state', 'string', ['number']);
  return {
    module,
    // { kind: 'E'|'N'|'V'|'D', text } (web/api.h).
    compute(familyName, firstName, dateText, settings, currentYear) {
      const answer = compute(familyName, firstName, dateText, settings.separator.codePointAt(0),
                             settings.order, currentYear);
      return { kind: answer[0], text: answer.slice(2) };
    },
    canBeName: call('kf_can_be_name', 'number', ['string']),
    maskNew: call('kf_mask_new', 'number', ['number', 'number']),
    maskState(mask) {
      const [caret, start, length, modified, screen] = maskState(mask).split('\t');
      return { caret: +caret, start: +start, length: +length, modified: modified === '1', screen };
    },
    maskFieldText: call('kf_mask_field_text', 'string', ['number']),
    maskFocusIn: call('kf_mask_focus_in', null, ['number', 'number', 'number']),
    maskLeave: call('kf_mask_leave', 'number', ['number']),
    maskFocusOut: call('kf_mask_focus_out', null, ['number']),
    maskPressEnter: call('kf_mask_press_enter', 'number', ['number']),
    maskClick: call('kf_mask_click', null, ['number', 'number']),
    maskType: call('kf_mask_type', 'number', ['number', 'number']),
    maskPress: call('kf_mask_press', null, ['number', 'number']),
    maskCopy: call('kf_mask_copy', 'string', ['number']),
    maskCut: call('kf_mask_cut', 'string', ['number']),
    maskPaste: call('kf_mask_paste', null, ['number', 'string']),
    refusedMessage: call('kf_mask_refused_message', 'string', []),
  };
}
