#pragma once

// Input text in German messages, for the engine and its front ends alike: a
// name, a file name or a cell shown so that it can neither hide text nor send
// control sequences to a terminal, in German quotes, and numbers grouped as
// German writes them. The one place where input is quoted for a message; it
// rests on the core alone.

#include <cstddef>
#include <string>
#include <string_view>

namespace kennfix::listengine {

// `utf8` as UTF-8 with characters that do not show (controls, the tab,
// format characters, line and paragraph separators) escaped as \t, \n,
// \uXXXX, and bytes that are no UTF-8 as \xHH.
std::string ForMessage(std::string_view utf8);
// The same, appended to `out`.
void AppendForMessage(std::string& out, std::string_view utf8);

// ForMessage(utf8), cut before it takes more than `limit` bytes, with "…"
// for the rest; an escape is never cut.
std::string ShortenedForMessage(std::string_view utf8, std::size_t limit);

// How a character stands in a message when it cannot stand as itself: \t \n
// \r, or \uXXXX (\UXXXXXXXX beyond the BMP).
void AppendEscape(std::string& out, char32_t c);

// „text“ for messages.
std::string Quoted(std::string_view utf8);

// Input text (a file's name, an option) in a message: „ForMessage(utf8)“.
std::string QuotedForMessage(std::string_view utf8);

// Numbers in messages: 1234 as it stands, 12345 as 12.345.
std::string GroupedNumber(std::size_t n);

}  // namespace kennfix::listengine
