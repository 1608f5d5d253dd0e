// Helpers shared by the test programs on POSIX systems: temporary folders,
// guarded child processes, recorders of the core's callbacks.
#ifndef ZORVANE_TESTS_TEST_SUPPORT_H
#define ZORVANE_TESTS_TEST_SUPPORT_H

#include <csignal>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "dialog_plan.h"
#include "gif/build_plan.h"
#include "gif/canvas.h"
#include "gif_fixture.h"

// A fresh folder under $TMPDIR (or /tmp), removed with its contents when the
// object goes away.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::string& path() const { return path_; }
    std::string File(const std::string& name) const { return path_ + "/" + name; }
    // Writes `bytes` to `name` inside the folder and returns its path.
    std::string Write(const std::string& name, const Bytes& bytes) const;

private:
    std::string path_;
};

bool FileExists(const std::string& path);  // also a dangling symlink
// The names in a folder ("." and ".." included).
std::set<std::string> Listing(const std::string& folder);

using Message = std::pair<std::string, MessageIcon>;

// A build's outcome as a front end sees it: the result, and what the
// observer heard on the way.
struct BuildRun {
    BuildResult result;
    std::vector<Message> messages;          // each failure reported
    std::vector<size_t> entries_started;    // in order
    std::vector<size_t> images_left_out;    // entries taken as their first image that hold more
    std::vector<size_t> entries_reencoded;  // entries written again to play in another order
};

// Runs `plan` through BuildAnimation (or MeasurePlan) with a recording observer.
BuildRun RunPlan(const BuildPlan& plan, bool measure_only = false);

// What a browser shows of a GIF file, composited by the core's player, and
// for how long: consecutive equal pictures are one, their times added, a
// delay of 0 or 1 counted as the 10 browsers play. Empty when the file does
// not open.
struct ShownPicture {
    std::vector<Rgba> canvas;
    uint32_t hundredths;
};
std::vector<ShownPicture> PlayedTimeline(const std::string& path);
bool SameTimeline(const std::vector<ShownPicture>& a, const std::vector<ShownPicture>& b);

// How a child process is watched: stopped (SIGKILL) after `guard_seconds`,
// so that a run that never ends fails instead of hanging the suite; and
// interrupted (by `interrupt_signal`: SIGINT, as Ctrl+C, unless set) once
// `interrupt_when`, asked every 10 ms, says so.
struct ChildWatch {
    int guard_seconds = 30;
    std::function<bool()> interrupt_when{};
    int interrupt_signal = SIGINT;
};

struct ChildOutcome {
    int status = 255;  // the child's exit status (0..255), or 256 + the signal that ended it
    bool hung = false;
};

// The one way the tests run a child process: `body` runs in a fork (it may
// exec), and its return value is the exit status.
ChildOutcome RunChild(const std::function<int()>& body, const ChildWatch& watch = {});

// Runs `body` in a child process and returns its result (0..255), or
// 256 + the signal number when the child was killed. The child may write at
// most `max_file_bytes` to any file (beyond that, with `fail_writes`, writes
// fail with EFBIG; without, the child is killed) and is stopped by a
// watchdog, so a run that loops or grows a file without bound fails instead
// of hanging the suite.
int RunGuarded(const std::function<int()>& body, uint64_t max_file_bytes = 4u << 20, bool fail_writes = false);

// Number of file descriptors the process has open.
int OpenDescriptorCount();

// Runs the dialog's plan for `frames` into `output`.
BuildRun RunBuild(const std::string& output, const std::vector<std::string>& frames, unsigned delay = 0,
                  bool loop = true);

#endif  // ZORVANE_TESTS_TEST_SUPPORT_H
