#include "test_support.h"

#include <dirent.h>
#include <ftw.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>

#include "gif/gif_player.h"

namespace {

int RemoveEntry(const char* path, const struct stat*, int, struct FTW*) { return remove(path); }

}  // namespace

TempDir::TempDir() {
    const char* base = getenv("TMPDIR");
    std::string pattern = std::string(base != nullptr && base[0] != '\0' ? base : "/tmp") + "/zorvane-test-XXXXXX";
    if (mkdtemp(&pattern[0]) != nullptr) path_ = pattern;
}

TempDir::~TempDir() {
    if (!path_.empty()) nftw(path_.c_str(), RemoveEntry, 16, FTW_DEPTH | FTW_PHYS);
}

std::string TempDir::Write(const std::string& name, const Bytes& bytes) const {
    WriteFileBytes(File(name), bytes);
    return File(name);
}

bool FileExists(const std::string& path) {
    struct stat info;
    return lstat(path.c_str(), &info) == 0;
}

namespace {

struct RecordingObserver final : BuildObserver {
    BuildRun* run;
    explicit RecordingObserver(BuildRun* r) : run(r) {}
    void EntryStarted(size_t index, size_t) override { run->entries_started.push_back(index); }
    void Failed(const BuildResult& result) override { run->messages.emplace_back(result.message, result.icon); }
    void ImagesLeftOut(size_t index) override { run->images_left_out.push_back(index); }
    void EntryReencoded(size_t index) override { run->entries_reencoded.push_back(index); }
};

}  // namespace

std::set<std::string> Listing(const std::string& folder) {
    std::set<std::string> names;
    if (DIR* dir = opendir(folder.c_str())) {
        while (dirent* entry = readdir(dir)) names.insert(entry->d_name);
        closedir(dir);
    }
    return names;
}

BuildRun RunPlan(const BuildPlan& plan, bool measure_only) {
    BuildRun run;
    RecordingObserver observer(&run);
    run.result = measure_only ? MeasurePlan(plan, &observer) : BuildAnimation(plan, &observer);
    return run;
}

std::vector<ShownPicture> PlayedTimeline(const std::string& path) {
    constexpr uint16_t kFastestPlayed = 2;
    constexpr uint32_t kShortDelayPlayed = 10;
    std::vector<ShownPicture> shown;
    GifPlayer player;
    if (player.Open(path.c_str())) return shown;
    const size_t pixels = static_cast<size_t>(player.width()) * player.height();
    PlayedFrame frame;
    while (player.Next(&frame)) {
        const uint32_t played = frame.delay < kFastestPlayed ? kShortDelayPlayed : frame.delay;
        const Rgba* canvas = frame.canvas;
        if (!shown.empty() && std::equal(canvas, canvas + pixels, shown.back().canvas.begin())) {
            shown.back().hundredths += played;
        } else {
            shown.push_back({std::vector<Rgba>(canvas, canvas + pixels), played});
        }
    }
    return shown;
}

bool SameTimeline(const std::vector<ShownPicture>& a, const std::vector<ShownPicture>& b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (a[i].hundredths != b[i].hundredths || a[i].canvas != b[i].canvas) return false;
    }
    return true;
}

BuildRun RunBuild(const std::string& output, const std::vector<std::string>& frames, unsigned delay, bool loop) {
    return RunPlan(DialogPlan(output, frames, delay, loop));
}

ChildOutcome RunChild(const std::function<int()>& body, const ChildWatch& watch) {
    ChildOutcome outcome;
    fflush(nullptr);
    const pid_t child = fork();
    if (child < 0) return outcome;
    if (child == 0) _exit(body() & 0xFF);
    int status = 0;
    bool interrupted = false;
    for (int waited_ms = 0;; waited_ms += 10) {
        const pid_t done = waitpid(child, &status, WNOHANG);
        if (done == child) break;
        if (done < 0 && errno != EINTR) return outcome;
        if (!interrupted && watch.interrupt_when && watch.interrupt_when()) {
            kill(child, watch.interrupt_signal);
            interrupted = true;
        }
        if (waited_ms >= watch.guard_seconds * 1000) {
            kill(child, SIGKILL);
            waitpid(child, &status, 0);
            outcome.hung = true;
            break;
        }
        usleep(10000);
    }
    if (WIFEXITED(status)) outcome.status = WEXITSTATUS(status);
    if (WIFSIGNALED(status)) outcome.status = 256 + WTERMSIG(status);
    return outcome;
}

int RunGuarded(const std::function<int()>& body, uint64_t max_file_bytes, bool fail_writes) {
    constexpr rlim_t kCpuSeconds = 5;  // a child that spins
    const ChildOutcome outcome = RunChild([&] {
        struct rlimit limit;
        limit.rlim_cur = limit.rlim_max = static_cast<rlim_t>(max_file_bytes);
        setrlimit(RLIMIT_FSIZE, &limit);
        limit.rlim_cur = limit.rlim_max = kCpuSeconds;
        setrlimit(RLIMIT_CPU, &limit);
        if (fail_writes) signal(SIGXFSZ, SIG_IGN);
        return body();
    });
    return outcome.hung ? 256 + SIGKILL : outcome.status;
}

int OpenDescriptorCount() {
    DIR* dir = opendir("/proc/self/fd");
    if (dir == nullptr) return -1;
    int count = 0;
    while (readdir(dir) != nullptr) ++count;
    closedir(dir);
    return count;
}
