#pragma once

// Test texts are written in UTF-8 in the sources; the core takes
// Windows-1252. Letters up to U+00FF have the same byte value in both, which
// is all the tests need.

#include <stdexcept>
#include <string>
#include <string_view>

inline std::string Ansi(std::string_view utf8)
{
    std::string out;
    for (std::size_t i = 0; i < utf8.size(); ++i) {
        const auto c = static_cast<unsigned char>(utf8[i]);
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else if ((c == 0xC2 || c == 0xC3) && i + 1 < utf8.size()) {
            out += static_cast<char>(((c & 0x03) << 6) | (static_cast<unsigned char>(utf8[++i]) & 0x3F));
        } else {
            throw std::invalid_argument("test text beyond U+00FF");
        }
    }
    return out;
}
