#pragma once

// UTF-8, the text of the engine and the programs, to and from UTF-16, the
// text of Windows' wide-character calls and of its console. Windows only:
// the file rules (files_windows.cpp) and kennfix-batch's console share it.

#include <string>
#include <string_view>

namespace kennfix::listengine {

// `utf8` for a wide-character call; what is no UTF-8 becomes U+FFFD.
std::wstring Wide(std::string_view utf8);

// What a wide-character call gave, as UTF-8; a lone surrogate becomes U+FFFD.
std::string Utf8(std::wstring_view wide);

}  // namespace kennfix::listengine
