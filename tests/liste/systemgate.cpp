#include "tests/liste/systemgate.h"

#include <sys/syscall.h>
#include <unistd.h>

#include <atomic>
#include <climits>
#include <cstdio>
#include <condition_variable>
#include <mutex>
#include <string_view>

namespace kennfix::liste::test {
namespace {

std::atomic<bool> g_armed{false};
std::mutex g_mutex;
std::condition_variable g_changed;
SystemGate::Call g_call = SystemGate::Call::Read;
std::string g_path;
bool g_closed = false;
bool g_holds = false;

bool IsGatedFile(int fd)
{
    char link[64];
    std::snprintf(link, sizeof link, "/proc/self/fd/%d", fd);
    char target[PATH_MAX];
    const ssize_t length = ::readlink(link, target, sizeof target);
    return length > 0 && std::string_view(target, static_cast<std::size_t>(length)).starts_with(g_path);
}

// Holds the calling thread when the gate is closed for this call.
void Pass(SystemGate::Call call, int fd)
{
    if (!g_armed.load())
        return;
    std::unique_lock lock(g_mutex);
    if (!g_closed || g_holds || call != g_call || !IsGatedFile(fd))
        return;
    g_armed = false;
    g_holds = true;
    g_changed.notify_all();
    g_changed.wait(lock, [] { return !g_closed; });
    g_holds = false;
}

}  // namespace

void SystemGate::Close(Call call, const std::string& path)
{
    const std::lock_guard lock(g_mutex);
    g_call = call;
    g_path = path;
    g_closed = true;
    g_armed = true;
}

bool SystemGate::Holds()
{
    const std::lock_guard lock(g_mutex);
    return g_holds;
}

void SystemGate::Open()
{
    const std::lock_guard lock(g_mutex);
    g_armed = false;
    g_closed = false;
    g_changed.notify_all();
}

}  // namespace kennfix::liste::test

extern "C" ssize_t read(int fd, void* buffer, size_t size)
{
    kennfix::liste::test::Pass(kennfix::liste::test::SystemGate::Call::Read, fd);
    return ::syscall(SYS_read, fd, buffer, size);
}

extern "C" int fsync(int fd)
{
    kennfix::liste::test::Pass(kennfix::liste::test::SystemGate::Call::Fsync, fd);
    return static_cast<int>(::syscall(SYS_fsync, fd));
}
