#pragma once

// Marks a function of the page's C API as one the WebAssembly module hands
// to JavaScript; in the native build of the same files it is an ordinary
// function.

#ifdef __EMSCRIPTEN__
#include <emscripten/emscripten.h>
#define KENNFIX_WEB_EXPORT EMSCRIPTEN_KEEPALIVE
#else
#define KENNFIX_WEB_EXPORT
#endif
