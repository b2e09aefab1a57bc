// Start-up time and peak memory of the program against a bare Qt program
// that shows one empty QWidget, both under the offscreen platform.
//
// Each run forks the probe, which prints the monotonic clock at its
// window's first expose; the time from fork to that moment is the start-up
// time. Runs of the two alternate, so drift on a shared machine hits both
// alike. Peak resident memory comes from wait4().
//
// usage: nimbal-bench-startup [RUNS]   (default 15)

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

struct Run
{
    double ms;
    long maxRssKiB;
};

long long nowNs()
{
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<long long>(ts.tv_sec) * 1000000000LL + ts.tv_nsec;
}

bool runProbe(const std::string &probe, const char *mode, Run *run)
{
    int out[2];
    if (pipe(out) != 0)
        return false;
    const long long start = nowNs();
    const pid_t pid = fork();
    if (pid < 0)
        return false;
    if (pid == 0) {
        dup2(out[1], STDOUT_FILENO);
        close(out[0]);
        close(out[1]);
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
        execl(probe.c_str(), probe.c_str(), mode, static_cast<char *>(nullptr));
        _exit(127);
    }
    close(out[1]);
    std::string text;
    char buf[256];
    ssize_t n;
    while ((n = read(out[0], buf, sizeof buf)) > 0)
        text.append(buf, size_t(n));
    close(out[0]);
    int status = 0;
    rusage usage{};
    if (wait4(pid, &status, 0, &usage) != pid || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
        return false;
    const long long exposed = std::atoll(text.c_str());
    if (exposed <= start)
        return false;
    run->ms = double(exposed - start) / 1e6;
    run->maxRssKiB = usage.ru_maxrss;
    return true;
}

template <typename T> T median(std::vector<T> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

} // namespace

int main(int argc, char *argv[])
{
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 15;
    std::string self(argv[0]);
    const std::string dir = self.substr(0, self.find_last_of('/') + 1);
    const std::string probe = dir + "nimbal-startup-probe";

    std::vector<double> toolMs, bareMs;
    std::vector<long> toolRss, bareRss;
    Run run{};
    // One warm-up of each, so the first measured run does not pay for cold caches alone.
    runProbe(probe, "tool", &run);
    runProbe(probe, "bare", &run);
    for (int i = 0; i < runs; ++i) {
        if (!runProbe(probe, "tool", &run)) {
            std::fprintf(stderr, "probe (tool) failed\n");
            return 1;
        }
        toolMs.push_back(run.ms);
        toolRss.push_back(run.maxRssKiB);
        if (!runProbe(probe, "bare", &run)) {
            std::fprintf(stderr, "probe (bare) failed\n");
            return 1;
        }
        bareMs.push_back(run.ms);
        bareRss.push_back(run.maxRssKiB);
    }
    const double tool = median(toolMs), bare = median(bareMs);
    const long toolKiB = median(toolRss), bareKiB = median(bareRss);
    std::printf("startup_runs: %d\n", runs);
    std::printf("startup_tool_median_ms: %.1f\n", tool);
    std::printf("startup_bare_median_ms: %.1f\n", bare);
    std::printf("startup_tool_vs_bare: %.2f (target <= 2)\n", tool / bare);
    std::printf("peak_rss_tool_mib: %.1f\n", toolKiB / 1024.0);
    std::printf("peak_rss_bare_mib: %.1f\n", bareKiB / 1024.0);
    std::printf("peak_rss_tool_minus_bare_mib: %.1f (target <= 15)\n",
                (toolKiB - bareKiB) / 1024.0);
    return 0;
}
