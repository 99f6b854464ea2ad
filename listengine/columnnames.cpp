#include "listengine/columnnames.h"

#include <string>

#include "listengine/internal/columnfinder.h"

namespace kennfix::listengine {

using internal::HeaderKey;
using internal::RowEncoding;

bool SameColumnName(std::string_view cell, std::string_view name)
{
    return HeaderKey(cell, RowEncoding::Utf8) == HeaderKey(name, RowEncoding::Utf8);
}

}  // namespace kennfix::listengine
