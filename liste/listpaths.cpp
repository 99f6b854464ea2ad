#include "liste/listpaths.h"

#include <filesystem>
#include <system_error>

namespace kennfix::liste {

namespace fs = std::filesystem;

std::string ProposedSavePath(const std::string& listPath)
{
    const fs::path list(listPath);
    return (list.parent_path() / (list.stem().string() + "-etin.csv")).string();
}

bool IsSameFile(const std::string& a, const std::string& b)
{
    std::error_code error;
    return fs::equivalent(a, b, error) && !error;
}

}  // namespace kennfix::liste
