#pragma once

// The encodings a list is read and written in, and their names in messages.

#include <string_view>

namespace kennfix::listengine {

enum class Encoding {
    // Input: each row is read in its own encoding, valid UTF-8 as UTF-8 and
    // anything else as Windows-1252; a byte order mark makes the input UTF-8
    // or UTF-16. Output: the main encoding of the input (see ListSummary).
    Auto,
    Utf8,
    Windows1252,
    Utf16LE,
    Utf16BE,
};

// An encoding as messages name it: "UTF-8", "Windows-1252", "UTF-16 LE".
std::string_view EncodingName(Encoding encoding);

}  // namespace kennfix::listengine
