// Times the start of two programs side by side under the same X server: from the start of
// the process to the first map of its top-level window, and the process's peak resident
// memory at that moment. Runs alternate between the two so that a busy machine weighs on
// both alike; prints minimum, median and maximum of each and the ratios of the medians.
//
//   startup_bench [--runs N] [--settings FILE] PROGRAM YARDSTICK
//
// Needs a display (run it under xvfb-run). Each program is started in a fresh temporary
// folder, so the calculator creates its settings file there as on a first start; with
// --settings, FILE is copied there first, as on every later start.
#include <xcb/xcb.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <optional>
#include <signal.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

struct Sample {
    double milliseconds = 0;
    double peakMiB = 0;
};

// Peak resident set (VmHWM) of a running process, in MiB.
double PeakMiB(pid_t pid) {
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmHWM:", 0) == 0) {
            return std::strtod(line.c_str() + 6, nullptr) / 1024.0;
        }
    }
    return 0;
}

std::optional<pid_t> WindowPid(xcb_connection_t* connection, xcb_window_t window) {
    const char name[] = "_NET_WM_PID";
    xcb_intern_atom_reply_t* atom = xcb_intern_atom_reply(
        connection, xcb_intern_atom(connection, 0, sizeof name - 1, name), nullptr);
    if (atom == nullptr) {
        return std::nullopt;
    }
    xcb_get_property_reply_t* reply = xcb_get_property_reply(
        connection, xcb_get_property(connection, 0, window, atom->atom, XCB_ATOM_CARDINAL, 0, 1),
        nullptr);
    std::free(atom);
    std::optional<pid_t> pid;
    if (reply != nullptr && xcb_get_property_value_length(reply) == 4) {
        pid = static_cast<pid_t>(*static_cast<std::uint32_t*>(xcb_get_property_value(reply)));
    }
    std::free(reply);
    return pid;
}

std::optional<Sample> StartOnce(xcb_connection_t* connection, const std::string& program,
                                const std::string& settings) {
    char folder[] = "/tmp/ym-startup-XXXXXX";
    if (mkdtemp(folder) == nullptr) {
        return std::nullopt;
    }
    if (!settings.empty()) {
        std::filesystem::copy_file(settings, std::string(folder) + "/Yuanmate5.ini");
    }
    // A runtime folder of its own: no other running copy's lock can keep it from starting.
    const std::string runtime = std::string(folder) + "/run";
    std::filesystem::create_directory(runtime);
    std::filesystem::permissions(runtime, std::filesystem::perms::owner_all);
    const auto start = Clock::now();
    const pid_t child = fork();
    if (child == 0) {
        if (chdir(folder) != 0 || setenv("XDG_RUNTIME_DIR", runtime.c_str(), 1) != 0) {
            _exit(127);
        }
        execl(program.c_str(), program.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    std::optional<Sample> sample;
    bool exited = false;
    while (!sample && !exited) {
        xcb_generic_event_t* event = xcb_poll_for_event(connection);
        if (event == nullptr) {
            if (xcb_connection_has_error(connection)) {
                break;
            }
            exited = waitpid(child, nullptr, WNOHANG) == child;
            usleep(200);
            continue;
        }
        if ((event->response_type & 0x7f) == XCB_MAP_NOTIFY) {
            const auto* map = reinterpret_cast<xcb_map_notify_event_t*>(event);
            if (WindowPid(connection, map->window) == child) {
                sample =
                    Sample{std::chrono::duration<double, std::milli>(Clock::now() - start).count(),
                           PeakMiB(child)};
            }
        }
        std::free(event);
    }
    if (!exited) {
        kill(child, SIGTERM);
        waitpid(child, nullptr, 0);
    }
    std::filesystem::remove_all(folder);
    return sample;
}

void Report(const char* name, std::vector<Sample> samples, double& medianMs, double& medianMiB) {
    auto by = [&samples](auto member) {
        std::vector<double> values;
        for (const Sample& s : samples) {
            values.push_back(s.*member);
        }
        std::sort(values.begin(), values.end());
        return values;
    };
    const auto ms = by(&Sample::milliseconds);
    const auto mib = by(&Sample::peakMiB);
    medianMs = ms[ms.size() / 2];
    medianMiB = mib[mib.size() / 2];
    std::printf(
        "%-40s first map %7.1f ms (min %.1f, max %.1f)   peak %6.1f MiB (min %.1f, max %.1f)\n",
        name, medianMs, ms.front(), ms.back(), medianMiB, mib.front(), mib.back());
}

} // namespace

int main(int argc, char* argv[]) {
    int runs = 15;
    std::string settings;
    std::vector<std::string> programs;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--runs") == 0 && i + 1 < argc) {
            runs = std::max(1, std::atoi(argv[++i]));
        } else if (std::strcmp(argv[i], "--settings") == 0 && i + 1 < argc) {
            settings = std::filesystem::absolute(argv[++i]).string();
        } else {
            programs.push_back(std::filesystem::absolute(argv[i]).string());
        }
    }
    if (programs.size() != 2) {
        std::fprintf(stderr,
                     "usage: startup_bench [--runs N] [--settings FILE] PROGRAM YARDSTICK\n");
        return 2;
    }
    xcb_connection_t* connection = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(connection)) {
        std::fprintf(stderr, "startup_bench: no display (run it under xvfb-run)\n");
        return 2;
    }
    xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(connection)).data;
    const std::uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
    xcb_change_window_attributes(connection, screen->root, XCB_CW_EVENT_MASK, &mask);
    xcb_flush(connection);

    std::vector<Sample> samples[2];
    for (int run = 0; run < runs + 1; ++run) {
        for (int p = 0; p < 2; ++p) {
            const std::optional<Sample> s = StartOnce(connection, programs[p], settings);
            if (!s) {
                std::fprintf(stderr, "startup_bench: %s showed no window\n", programs[p].c_str());
                return 1;
            }
            if (run > 0) { // the first round only warms the file cache
                samples[p].push_back(*s);
            }
        }
    }
    double ms[2], mib[2];
    for (int p = 0; p < 2; ++p) {
        Report(std::filesystem::path(programs[p]).filename().c_str(), samples[p], ms[p], mib[p]);
    }
    std::printf("ratio: start %.2f x, peak memory %.2f x\n", ms[0] / ms[1], mib[0] / mib[1]);
    xcb_disconnect(connection);
    return 0;
}
