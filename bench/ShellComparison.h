#pragma once
// Shared by the benchmarks that time our code beside the sqlite3 shell doing the same job:
// best-of-N wall-clock timing, running the shell, and a scratch folder removed at exit.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>

namespace bench {

// The best of `runs` wall-clock times of job, in seconds.
inline double bestSeconds(int runs, const std::function<void()>& job) {
    double best = 1e30;
    for (int i = 0; i < runs; ++i) {
        const auto start = std::chrono::steady_clock::now();
        job();
        const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
        best = std::min(best, elapsed.count());
    }
    return best;
}

// Runs a shell command line, failing the benchmark when it fails.
inline void runOrDie(const std::string& command) {
    if (std::system(command.c_str()) != 0) {
        std::fprintf(stderr, "failed: %s\n", command.c_str());
        std::exit(1);
    }
}

// A folder for generated files, removed when the benchmark ends.
class ScratchFolder {
  public:
    ScratchFolder() {
        std::string pattern = (std::filesystem::temp_directory_path() / "varnelo-bench-XXXXXX");
        if (!mkdtemp(pattern.data())) std::exit(1);
        path_ = pattern;
    }
    ~ScratchFolder() {
        std::error_code ec;
        std::filesystem::remove_all(path_, ec);
    }
    std::string file(const std::string& name) const { return path_ + "/" + name; }

  private:
    std::string path_;
};

// The machine's one-minute load average, as a text for a benchmark's report.
inline std::string loadAverage() {
    double load[3] = {0, 0, 0};
    return getloadavg(load, 3) == 3 ? std::to_string(load[0]) : std::string("unknown");
}

inline void printComparison(const char* job, double ours, double shell, double megabytes) {
    std::printf(
        "%-28s ours %7.3f s (%7.1f MB/s)   sqlite3 shell %7.3f s (%7.1f MB/s)   "
        "ours/shell time %.2f\n",
        job, ours, megabytes / ours, shell, megabytes / shell, ours / shell);
}

}  // namespace bench
