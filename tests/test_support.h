// Helpers shared by the test programs on POSIX systems: temporary folders,
// guarded child processes, recorders of the core's callbacks.
#ifndef ZORVANE_TESTS_TEST_SUPPORT_H
#define ZORVANE_TESTS_TEST_SUPPORT_H

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "gif/animation_builder.h"
#include "gif/frame_summary.h"
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

using Message = std::pair<std::string, MessageIcon>;

// Records every request a build makes and answers from fixed settings.
struct BuildRecorder : BuildOptions {
    std::string output;  // empty: cancel
    bool loop = true;
    unsigned delay = 0;
    std::vector<std::string> frames;
    std::vector<std::string> requests;  // "output", "loop", "count", "path 0", "delay", "message"
    std::vector<Message> messages;

    const char* OutputPath() override { return Note("output"), output.empty() ? nullptr : output.c_str(); }
    bool LoopFlag() override { return Note("loop"), loop; }
    size_t FrameCount() override { return Note("count"), frames.size(); }
    const char* FramePath(size_t i) override {
        return Note("path " + std::to_string(i)), i < frames.size() ? frames[i].c_str() : "";
    }
    unsigned Delay() override { return Note("delay"), delay; }
    void ShowMessage(const char* text, MessageIcon icon) override {
        Note("message"), messages.emplace_back(text, icon);
    }
    void Note(const std::string& request) { requests.push_back(request); }
};

// Records what inspection shows, in order: "name N", "summary S", "warning W".
struct InspectionRecorder : InspectionCaller {
    std::vector<std::string> log;
    void SetFrameName(const char* name) override { log.push_back(std::string("name ") + name); }
    void SetFrameSummary(const char* summary) override { log.push_back(std::string("summary ") + summary); }
    void ShowWarning(const char* message) override { log.push_back(std::string("warning ") + message); }
};

// Runs `body` in a child process and returns its result (0..255), or
// 256 + the signal number when the child was killed. The child may write at
// most `max_file_bytes` to any file (beyond that, with `fail_writes`, writes
// fail with EFBIG; without, the child is killed) and is stopped by a
// watchdog, so a run that loops or grows a file without bound fails instead
// of hanging the suite.
int RunGuarded(const std::function<int()>& body, uint64_t max_file_bytes = 4u << 20, bool fail_writes = false);

// Number of file descriptors the process has open.
int OpenDescriptorCount();

// Runs a build of `frames` into `output` and returns the recorder.
BuildRecorder RunBuild(const std::string& output, const std::vector<std::string>& frames, unsigned delay = 0,
                       bool loop = true);

#endif  // ZORVANE_TESTS_TEST_SUPPORT_H
