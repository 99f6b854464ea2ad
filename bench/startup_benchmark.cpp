// Start-up of kennfix beside a minimal Qt Widgets program with a window of
// the same size: the time from starting the process until its window is
// mapped, and the resident memory once it is up. The minimal program runs
// twice over, with a bare window and with one label, since the first text
// a Qt program shows costs it the font configuration. All are started in
// turn under one private Xvfb (no desktop, no compositor) and watched from
// outside through the X server; the medians and their ratios are printed.
//
//   startup_benchmark [RUNS]     (15 runs of each program unless given)
//
// The Windows programs the same way under Wine, kennfix.exe beside the
// minimal window built for Windows alike (scripts/windows builds both), in a
// prefix made by tests/windows/make-wine-prefix.sh:
//
//   startup_benchmark --wine WINE_RUN PREFIX KENNFIX_EXE MINIMAL_WINDOW_EXE [RUNS]

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>
#include <xcb/xcb.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

constexpr auto kWindowTimeout = 20s;
// Time for the first paint and what follows it before memory is read.
constexpr auto kSettle = 500ms;

struct Program {
    std::string name;
    std::vector<std::string> command;
};

// kennfix, and the minimal window bare and with one label; each command
// behind `runner` (wine-run PREFIX), if given.
std::vector<Program> ProgramsToMeasure(const std::vector<std::string>& runner, const std::string& kennfix,
                                       const std::string& minimalWindow)
{
    const auto command = [&](std::vector<std::string> words) {
        words.insert(words.begin(), runner.begin(), runner.end());
        return words;
    };
    return {
        {"kennfix", command({kennfix})},
        {"minimal window", command({minimalWindow})},
        {"minimal window + label", command({minimalWindow, "Kennfix"})},
    };
}

struct Sample {
    double startMs;
    double residentMiB;
};

void SilenceOutput()
{
    const int devNull = open("/dev/null", O_WRONLY);
    dup2(devNull, STDOUT_FILENO);
    dup2(devNull, STDERR_FILENO);
    close(devNull);
}

// Waits up to `timeout` for `pid` to end and reaps it.
bool Reap(pid_t pid, std::chrono::milliseconds timeout)
{
    const auto deadline = Clock::now() + timeout;
    do {
        if (waitpid(pid, nullptr, WNOHANG) == pid)
            return true;
        std::this_thread::sleep_for(10ms);
    } while (Clock::now() < deadline);
    return false;
}

void Stop(pid_t pid)
{
    kill(pid, SIGTERM);
    if (!Reap(pid, 5s)) {
        kill(pid, SIGKILL);
        waitpid(pid, nullptr, 0);
    }
}

// An X server of our own on a free display, which it picks and reports
// through -displayfd. The benchmark stays connected to it throughout, so
// the server does not reset between runs.
class Xvfb {
public:
    Xvfb()
    {
        int fds[2];
        if (pipe(fds) != 0)
            throw std::runtime_error("pipe failed");
        m_pid = fork();
        if (m_pid == 0) {
            close(fds[0]);
            SilenceOutput();
            const std::string fd = std::to_string(fds[1]);
            execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", "1280x1024x24", "-dpi", "96",
                   "-nolisten", "tcp", static_cast<char*>(nullptr));
            _exit(127);
        }
        close(fds[1]);
        std::string number;
        pollfd readable{fds[0], POLLIN, 0};
        char c;
        while (poll(&readable, 1, 10'000) == 1 && read(fds[0], &c, 1) == 1 && c != '\n')
            number += c;
        close(fds[0]);
        if (number.empty()) {
            Stop(m_pid);
            throw std::runtime_error("Xvfb did not start (is the package xvfb installed?)");
        }
        m_display = ":" + number;
    }
    ~Xvfb() { Stop(m_pid); }
    Xvfb(const Xvfb&) = delete;
    Xvfb& operator=(const Xvfb&) = delete;

    const std::string& display() const { return m_display; }

private:
    pid_t m_pid;
    std::string m_display;
};

// Watches the top-level windows of the X server being mapped.
class MapWatcher {
public:
    explicit MapWatcher(const std::string& display)
        : m_connection(xcb_connect(display.c_str(), nullptr))
    {
        if (xcb_connection_has_error(m_connection))
            throw std::runtime_error("cannot connect to " + display);
        // The programs measured get connections of their own.
        fcntl(xcb_get_file_descriptor(m_connection), F_SETFD, FD_CLOEXEC);
        const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(m_connection)).data->root;
        const uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
        xcb_change_window_attributes(m_connection, root, XCB_CW_EVENT_MASK, &mask);
        const char name[] = "_NET_WM_PID";
        xcb_intern_atom_reply_t* atom =
            xcb_intern_atom_reply(m_connection, xcb_intern_atom(m_connection, 0, sizeof name - 1, name), nullptr);
        m_pidAtom = atom ? atom->atom : xcb_atom_t{XCB_ATOM_NONE};
        std::free(atom);
    }
    ~MapWatcher() { xcb_disconnect(m_connection); }
    MapWatcher(const MapWatcher&) = delete;
    MapWatcher& operator=(const MapWatcher&) = delete;

    // Forgets what happened before a run.
    void drain()
    {
        xcb_flush(m_connection);
        while (xcb_generic_event_t* event = xcb_poll_for_event(m_connection))
            std::free(event);
    }

    // Returns once a window of process `pid` is mapped; throws when the
    // process ends first (leaving it to be reaped) or the deadline passes.
    void waitForWindowOf(pid_t pid, Clock::time_point deadline)
    {
        pollfd readable{xcb_get_file_descriptor(m_connection), POLLIN, 0};
        for (;;) {
            while (xcb_generic_event_t* event = xcb_poll_for_event(m_connection)) {
                bool found = false;
                if ((event->response_type & 0x7f) == XCB_MAP_NOTIFY) {
                    xcb_map_notify_event_t map;
                    std::memcpy(&map, event, sizeof map);
                    found = pidOf(map.window) == pid;
                }
                std::free(event);
                if (found)
                    return;
            }
            if (xcb_connection_has_error(m_connection))
                throw std::runtime_error("lost the connection to the X server");
            siginfo_t ended{};
            if (waitid(P_PID, static_cast<id_t>(pid), &ended, WEXITED | WNOHANG | WNOWAIT) == 0 && ended.si_pid == pid)
                throw std::runtime_error("the program ended before its window appeared");
            if (Clock::now() >= deadline)
                throw std::runtime_error("no window within the time limit");
            poll(&readable, 1, 50);
        }
    }

private:
    pid_t pidOf(xcb_window_t window)
    {
        xcb_get_property_reply_t* reply = xcb_get_property_reply(
            m_connection, xcb_get_property(m_connection, 0, window, m_pidAtom, XCB_ATOM_CARDINAL, 0, 1), nullptr);
        pid_t pid = -1;
        if (reply && xcb_get_property_value_length(reply) == 4)
            pid = static_cast<pid_t>(*static_cast<const uint32_t*>(xcb_get_property_value(reply)));
        std::free(reply);
        return pid;
    }

    xcb_connection_t* m_connection;
    xcb_atom_t m_pidAtom;
};

double ResidentMiB(pid_t pid)
{
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    for (std::string line; std::getline(status, line);) {
        if (line.rfind("VmRSS:", 0) == 0)
            return std::strtod(line.c_str() + 6, nullptr) / 1024.0;
    }
    throw std::runtime_error("no VmRSS for process " + std::to_string(pid));
}

Sample Measure(MapWatcher& watcher, const Program& program)
{
    watcher.drain();
    const auto start = Clock::now();
    std::vector<char*> argv;
    for (const std::string& word : program.command)
        argv.push_back(const_cast<char*>(word.c_str()));
    argv.push_back(nullptr);
    const pid_t pid = fork();
    if (pid == 0) {
        SilenceOutput();
        execvp(argv[0], argv.data());
        _exit(127);
    }
    try {
        watcher.waitForWindowOf(pid, start + kWindowTimeout);
    } catch (const std::runtime_error& error) {
        Stop(pid);
        throw std::runtime_error(program.name + ": " + error.what());
    }
    const double startMs = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
    std::this_thread::sleep_for(kSettle);
    const double residentMiB = ResidentMiB(pid);
    Stop(pid);
    return {startMs, residentMiB};
}

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

}  // namespace

int main(int argc, char* argv[])
{
    const std::vector<std::string> arguments(argv + 1, argv + argc);
    const bool wine = !arguments.empty() && arguments[0] == "--wine";
    const std::size_t runsAt = wine ? 5 : 0;
    const int runs = arguments.size() > runsAt ? std::atoi(arguments[runsAt].c_str()) : 15;
    if (runs < 1 || (wine && arguments.size() < 5)) {
        std::fprintf(stderr,
                     "usage: %s [RUNS]\n"
                     "       %s --wine WINE_RUN PREFIX KENNFIX_EXE MINIMAL_WINDOW_EXE [RUNS]\n",
                     argv[0], argv[0]);
        return 2;
    }
    const std::vector<Program> programs =
        wine ? ProgramsToMeasure({arguments[1], arguments[2]}, arguments[3], arguments[4])
             : ProgramsToMeasure({}, KENNFIX_PROGRAM, MINIMAL_WINDOW_PROGRAM);
    try {
        Xvfb server;
        setenv("DISPLAY", server.display().c_str(), 1);
        // Qt for Windows would take "xcb" for a platform of its own.
        if (wine)
            unsetenv("QT_QPA_PLATFORM");
        else
            setenv("QT_QPA_PLATFORM", "xcb", 1);
        unsetenv("WAYLAND_DISPLAY");
        MapWatcher watcher(server.display());

        const std::size_t kCount = programs.size();
        std::vector<std::vector<double>> startMs(kCount);
        std::vector<std::vector<double>> residentMiB(kCount);
        // One unrecorded round first, so that every recorded run finds the
        // libraries and fonts in the page cache.
        for (int run = -1; run < runs; ++run) {
            for (std::size_t k = 0; k < kCount; ++k) {
                // The order turns from round to round, so that no program
                // always follows the same one.
                const std::size_t i = (k + static_cast<std::size_t>(run + 1)) % kCount;
                const Sample sample = Measure(watcher, programs[i]);
                if (run >= 0) {
                    startMs[i].push_back(sample.startMs);
                    residentMiB[i].push_back(sample.residentMiB);
                }
            }
        }

        std::printf("Start-up under Xvfb%s, median of %d runs each\n\n", wine ? " and Wine" : "", runs);
        std::printf("%-32s %16s %18s\n", "", "window mapped", "resident memory");
        std::vector<double> medianMs(kCount);
        std::vector<double> medianMiB(kCount);
        for (std::size_t i = 0; i < kCount; ++i) {
            medianMs[i] = Median(startMs[i]);
            medianMiB[i] = Median(residentMiB[i]);
            std::printf("%-32s %13.1f ms %14.1f MiB\n", programs[i].name.c_str(), medianMs[i], medianMiB[i]);
        }
        std::printf("\n");
        for (std::size_t i = 1; i < kCount; ++i) {
            const std::string name = "kennfix / " + programs[i].name;
            std::printf("%-32s %16.2f %18.2f\n", name.c_str(), medianMs[0] / medianMs[i], medianMiB[0] / medianMiB[i]);
        }
    } catch (const std::exception& error) {
        std::fprintf(stderr, "startup_benchmark: %s\n", error.what());
        return 1;
    }
    return 0;
}
