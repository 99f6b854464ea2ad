#pragma once

// How far a list has come, for front ends that show progress.

#include <cstddef>
#include <cstdint>

namespace kennfix::listengine {

struct ListProgress {
    std::uint64_t bytesRead = 0;
    std::uint64_t totalBytes = 0;  // 0 when not known (a pipe); ProcessListFile fills it in
    std::size_t rows = 0;
};

}  // namespace kennfix::listengine
