#include "liste/listpaths.h"

#include <filesystem>

namespace kennfix::liste {

namespace fs = std::filesystem;

namespace {

// The engine's paths are UTF-8 on Windows, where a path made of chars would
// be read in the ANSI code page; elsewhere the bytes pass as they are.
fs::path PathOf(const std::string& bytes)
{
    return fs::path(std::u8string(bytes.begin(), bytes.end()));
}

std::string BytesOf(const fs::path& path)
{
    const std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
}

}  // namespace

std::string ProposedSavePath(const std::string& listPath)
{
    const fs::path list = PathOf(listPath);
    return BytesOf(list.parent_path() / (list.stem().u8string() + u8"-etin.csv"));
}

}  // namespace kennfix::liste
