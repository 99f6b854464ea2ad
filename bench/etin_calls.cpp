// Calls ComputeEtin in a loop, for counting instructions under callgrind:
//
//   etin_calls ROUNDS PERSON
//
// PERSON is an index into kTypical, or "long" for the 40-character names.
// Prints the names and their eTIN (UTF-8). count_instructions.py runs this
// with N and 2N rounds, so that start-up and exit cancel out.

#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "bench/people.h"
#include "core/cp1252.h"

using kennfix::bench::kLong;
using kennfix::bench::kTypical;
using kennfix::bench::Person;

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: etin_calls ROUNDS PERSON|long\n");
        return 2;
    }
    const long rounds = std::strtol(argv[1], nullptr, 10);
    const std::string_view which = argv[2];
    const long index = std::strtol(argv[2], nullptr, 10);
    if (which != "long" && (index < 0 || index >= static_cast<long>(std::size(kTypical)))) {
        std::fprintf(stderr, "etin_calls: no person %s\n", argv[2]);
        return 2;
    }
    const Person& p = which == "long" ? kLong[0] : kTypical[index];

    const kennfix::DateSettings german;
    unsigned checksum = 0;  // keeps every result in use
    for (long i = 0; i < rounds; ++i)
        checksum += static_cast<unsigned char>(kennfix::ComputeEtin(p.family, p.first, p.date, german, 2026).etin[13]);
    const kennfix::EtinResult result = kennfix::ComputeEtin(p.family, p.first, p.date, german, 2026);

    const auto utf8 = [](const std::string& s) { return kennfix::Windows1252ToUtf8(s); };
    if (checksum != static_cast<unsigned>(rounds) * static_cast<unsigned char>(result.etin[13])) {
        std::fprintf(stderr, "etin_calls: the calls gave different results\n");
        return 1;
    }
    std::printf("%s / %s / %s -> %s\n", utf8(p.family).c_str(), utf8(p.first).c_str(), p.date.c_str(),
                result.etin.c_str());
    return 0;
}
