#include "listengine/encoding.h"

namespace kennfix::listengine {

std::string_view EncodingName(Encoding encoding)
{
    switch (encoding) {
    case Encoding::Windows1252: return "Windows-1252";
    case Encoding::Utf16LE: return "UTF-16 LE";
    case Encoding::Utf16BE: return "UTF-16 BE";
    case Encoding::Auto:
    case Encoding::Utf8: break;
    }
    return "UTF-8";
}

}  // namespace kennfix::listengine
