#include "core/namecode.h"

namespace kennfix {

AnsiText MakeNameCode(std::string_view name)
{
    NameCodeBuilder code;
    for (auto it = name.begin(); it != name.end() && !code.IsComplete(); ++it)
        code.Add(static_cast<unsigned char>(*it));
    char out[NameCodeBuilder::kLength];
    code.WriteTo(out);
    return {out, NameCodeBuilder::kLength};
}

}  // namespace kennfix
