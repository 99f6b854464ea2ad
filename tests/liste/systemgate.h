#pragma once

// Holds a thread of the test program inside a system call, as a network
// drive that no longer answers or a disk that takes its time would: read()
// or fsync() of a file whose path begins as the test says. The test
// program's own read() and fsync() stand in for the C library's, and pass
// every other call straight to the kernel. A test closes the gate, waits
// until a thread is held at it, does what it means to do at that very
// moment, and opens it again.

#include <string>

namespace kennfix::liste::test {

class SystemGate {
public:
    enum class Call { Read, Fsync };

    // The next call of `call` on a file whose absolute path begins with
    // `path` waits in it until Open().
    static void Close(Call call, const std::string& path);
    // Whether a thread waits at the gate now.
    static bool Holds();
    // Lets the held thread go on; the gate stays open.
    static void Open();
};

}  // namespace kennfix::liste::test
