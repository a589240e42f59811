// Start-up as the screen sees it: the time from starting a program until its windows are drawn
// and stay so (the last change the X server reports before the screen stays still), for the
// real program on a new empty home and on a home whose table is shown, beside a minimal Qt
// window started the same way. Run under an X server (bench/first-paint starts one).
#include "bench/GeneratedRowsTable.h"

// After Qt: Xlib defines macros that clash with Qt's names.
#include <X11/Xlib.h>
#include <X11/extensions/Xdamage.h>
#include <poll.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

// The screen counts as drawn once it has been still this long.
constexpr auto kStillFor = std::chrono::milliseconds(1000);
constexpr auto kGiveUpAfter = std::chrono::seconds(20);
constexpr int kRows = 5000;

class ScreenChanges {
  public:
    ScreenChanges() {
        display_ = XOpenDisplay(nullptr);
        int error = 0;
        if (!display_ || !XDamageQueryExtension(display_, &eventBase_, &error)) {
            std::fprintf(stderr, "needs an X server with the DAMAGE extension\n");
            std::exit(1);
        }
        damage_ = XDamageCreate(display_, DefaultRootWindow(display_), XDamageReportRawRectangles);
        XFlush(display_);
    }
    ~ScreenChanges() {
        XDamageDestroy(display_, damage_);
        XCloseDisplay(display_);
    }

    // Waits up to `until` for a change; the time it came, or nothing when none came.
    std::optional<Clock::time_point> next(Clock::time_point until) {
        for (;;) {
            while (XPending(display_)) {
                XEvent event;
                XNextEvent(display_, &event);
                if (event.type == eventBase_ + XDamageNotify) return Clock::now();
            }
            auto left = std::chrono::duration_cast<std::chrono::milliseconds>(until - Clock::now());
            if (left.count() <= 0) return std::nullopt;
            pollfd fd{ConnectionNumber(display_), POLLIN, 0};
            poll(&fd, 1, static_cast<int>(left.count()));
        }
    }

    // Returns once the screen has been still for kStillFor.
    void waitUntilStill() {
        while (next(Clock::now() + kStillFor)) {
        }
    }

  private:
    Display* display_ = nullptr;
    int eventBase_ = 0;
    Damage damage_ = 0;
};

struct Start {
    double drawnMs = 0;  // the last change before the screen stayed still
    double cpuMs = 0;    // the program's processor time, nearly all of it spent starting
    int changes = 0;
};

Start timeStart(ScreenChanges& screen, const std::string& program, const std::string& home) {
    screen.waitUntilStill();
    const Clock::time_point start = Clock::now();
    pid_t child = fork();
    if (child == 0) {
        if (!home.empty()) setenv("VARNELO_HOME", home.c_str(), 1);
        freopen("/dev/null", "w", stdout);
        freopen("/dev/null", "w", stderr);
        execl(program.c_str(), program.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    Start result;
    Clock::time_point last = start;
    while (auto change = screen.next(result.changes ? last + kStillFor : start + kGiveUpAfter)) {
        last = *change;
        ++result.changes;
        if (*change - start > kGiveUpAfter) break;
    }
    result.drawnMs = std::chrono::duration<double, std::milli>(last - start).count();
    kill(child, SIGTERM);
    rusage usage{};
    wait4(child, nullptr, 0, &usage);
    auto ms = [](const timeval& t) { return t.tv_sec * 1e3 + t.tv_usec / 1e3; };
    result.cpuMs = ms(usage.ru_utime) + ms(usage.ru_stime);
    if (!result.changes) {
        std::fprintf(stderr, "%s drew nothing\n", program.c_str());
        std::exit(1);
    }
    return result;
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// What one kind of start measured, run after run.
struct Scenario {
    const char* name;
    std::string program;
    std::function<void(const std::string& home)> makeHome;  // absent: no home of ours
    std::vector<double> drawnMs = {};
    std::vector<double> cpuMs = {};
    std::vector<double> changes = {};
};

void writeFile(const std::string& path, const std::string& text) {
    std::ofstream(path) << text;
}

}  // namespace

int main(int argc, char* argv[]) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s VARNELO_PROGRAM MINIMAL_QT_WINDOW [RUNS]\n", argv[0]);
        return 2;
    }
    const int runs = argc > 3 ? std::max(1, std::atoi(argv[3])) : 9;
    bench::ScratchFolder scratch;
    const std::string tableDb = scratch.file("rows.db");
    std::ofstream(tableDb).close();  // an empty file is an empty database
    bench::makeRowsTable(tableDb, kRows);

    std::vector<Scenario> scenarios;
    scenarios.push_back({"minimal Qt window", argv[2], nullptr});
    scenarios.push_back({"new empty home", argv[1], [](const std::string&) {}});
    scenarios.push_back(
        {"empty database, not the first start", argv[1], [](const std::string& home) {
             writeFile(home + "/defaults.json", R"({"IsFirstLaunch": true})");
         }});
    scenarios.push_back({"5000-row table shown", argv[1], [&tableDb](const std::string& home) {
                             std::filesystem::create_directories(home + "/Documents");
                             std::filesystem::copy_file(tableDb, home + "/Documents/varnelo.db");
                             writeFile(home + "/defaults.json",
                                       R"({"IsFirstLaunch": true, )"
                                       R"("LastTablesShown": {"varnelo.db": "t"}})");
                         }});

    ScreenChanges screen;
    // The first round warms the caches and is not counted; the rounds interleave the programs
    // so that a busy moment of the machine falls on all of them alike.
    for (int round = 0; round <= runs; ++round) {
        for (Scenario& scenario : scenarios) {
            std::string home;
            if (scenario.makeHome) {
                home = scratch.file("home-" + std::to_string(round) + "-" +
                                    std::to_string(&scenario - scenarios.data()));
                std::filesystem::create_directories(home);
                scenario.makeHome(home);
            }
            Start start = timeStart(screen, scenario.program, home);
            if (round == 0) continue;
            scenario.drawnMs.push_back(start.drawnMs);
            scenario.cpuMs.push_back(start.cpuMs);
            scenario.changes.push_back(start.changes);
        }
    }

    // Processor time varies less than the time drawn on a busy machine; both are compared.
    const double drawnAnchor = median(scenarios[0].drawnMs);
    const double cpuAnchor = median(scenarios[0].cpuMs);
    std::printf("medians of %d warm starts; drawn: the last screen change before %lld ms still\n",
                runs, static_cast<long long>(kStillFor.count()));
    for (const Scenario& scenario : scenarios) {
        std::printf("%-36s drawn %6.1f ms (min %6.1f) x%.2f   cpu %6.1f ms x%.2f   changes %4.0f\n",
                    scenario.name, median(scenario.drawnMs),
                    *std::min_element(scenario.drawnMs.begin(), scenario.drawnMs.end()),
                    median(scenario.drawnMs) / drawnAnchor, median(scenario.cpuMs),
                    median(scenario.cpuMs) / cpuAnchor, median(scenario.changes));
    }
    return 0;
}
