// Helpers shared by the test programs.
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

using Bytes = std::vector<uint8_t>;

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

bool WriteFileBytes(const std::string& path, const Bytes& bytes);
Bytes ReadFileBytes(const std::string& path);
bool FileExists(const std::string& path);  // also a dangling symlink

// Builds GIF byte streams record by record. Multi-byte fields are written
// little-endian; nothing is validated, so malformed streams are easy to make.
class GifBuilder {
public:
    GifBuilder& Header(const char* version = "89a");
    GifBuilder& Screen(uint16_t width, uint16_t height, uint8_t packed, uint8_t background = 0, uint8_t aspect = 0);
    // `entries` RGB triples; entry k is (k, 255 - k, 7k) plus `seed`, modulo 256.
    GifBuilder& ColorTable(size_t entries, uint8_t seed = 0);
    GifBuilder& GraphicControl(uint8_t packed, uint16_t delay, uint8_t transparent_index);
    GifBuilder& Comment(const std::string& text);  // split into 255-byte sub-blocks
    // Any extension (or, with the label kept apart, image data): label, the
    // sub-blocks with their length bytes, terminator.
    GifBuilder& Extension(uint8_t label, const std::vector<Bytes>& sub_blocks);
    GifBuilder& ImageDescriptor(uint16_t left, uint16_t top, uint16_t width, uint16_t height, uint8_t packed);
    // LZW minimum code size, then the sub-blocks as given, then a terminator.
    GifBuilder& ImageData(uint8_t min_code_size, const std::vector<Bytes>& sub_blocks);
    // Valid image data for width x height pixels of indices 0..colors-1
    // cycling (`colors` 0: 2^min_code_size), in 255-byte sub-blocks.
    GifBuilder& SimpleImageData(uint16_t width, uint16_t height, uint8_t min_code_size = 2, uint16_t colors = 0);
    GifBuilder& Trailer() { return Byte(0x3B); }
    GifBuilder& Raw(const Bytes& bytes);
    GifBuilder& Byte(uint8_t byte) { return Raw({byte}); }
    const Bytes& bytes() const { return bytes_; }

private:
    Bytes bytes_;
};

// The LZW codes SimpleImageData packs: a clear code before every pixel, so
// the code width stays min_code_size + 1.
Bytes LzwCodes(uint16_t width, uint16_t height, uint8_t min_code_size, uint16_t colors = 0);
// Cuts `data` into sub-block payloads of at most `block_size` bytes.
std::vector<Bytes> SplitSubBlocks(const Bytes& data, size_t block_size = 255);

// A small, valid, single-image GIF89a: width x height screen and image, a
// global table of 2^(n+1) entries (n = size field), no extensions.
Bytes SimpleGif(uint16_t width, uint16_t height, uint8_t table_size_field = 1);

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
