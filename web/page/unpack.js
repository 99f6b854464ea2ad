// Runs while the page is still being read, before the scripts that use the
// module: unpacking and compiling it then overlap with reading the rest of
// the page. The module's bytes stand in the data block #modul, gzipped, as
// base64 (make_page.py). Nothing is fetched: the Responses made here only
// read streams made here.

// The module's bytes, still gzipped.
function kennfixPackedModule() {
  const text = document.getElementById('modul').textContent.trim();
  // The browser's own decoder where it has one: several times faster.
  if (Uint8Array.fromBase64) return Uint8Array.fromBase64(text);
  const binary = atob(text);
  const bytes = new Uint8Array(binary.length);
  for (let i = 0; i < binary.length; ++i) bytes[i] = binary.charCodeAt(i);
  return bytes;
}

// A stream of the unpacked module. The packed bytes go in through a stream
// of our own rather than a Blob: a Blob is first registered with the
// browser's main process, which cost the page's start up to 60 ms.
function kennfixUnpackedModule() {
  const packed = kennfixPackedModule();
  return new ReadableStream({
    start(controller) {
      controller.enqueue(packed);
      controller.close();
    },
  }).pipeThrough(new DecompressionStream('gzip'));
}

// The compiled module, compiled as it is unpacked.
const kennfixCompiledModule = WebAssembly.compileStreaming(
  new Response(kennfixUnpackedModule(), { headers: { 'Content-Type': 'application/wasm' } }));
