// Helpers shared by the fuzz targets: a private scratch folder and checks.
// What the core writes is judged by giflib through tests/giflib_check.h.
#ifndef ZORVANE_FUZZ_FUZZ_SUPPORT_H
#define ZORVANE_FUZZ_FUZZ_SUPPORT_H

#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "gif_fixture.h"
#include "giflib_check.h"

constexpr size_t kScreenWidthOffset = 6;
constexpr size_t kScreenHeightOffset = 8;
constexpr size_t kScreenPackedOffset = 10;

// A folder of this process under $TMPDIR (or /tmp), made on first use and
// removed when the process exits normally. The first call also caps every
// file the process writes at kMaxScratchFileBytes, so a copy that never ends
// shows up as a write failure instead of filling the disk.
constexpr uint64_t kMaxScratchFileBytes = uint64_t{16} << 20;
const std::string& ScratchDir();
void WriteWholeFile(const std::string& path, const Bytes& bytes);  // aborts on failure

// The files of a fuzz input: cut at every "#ZV#", at most three cuts, so one
// to four files (the last holds the rest, separators and all).
constexpr size_t kMaxFuzzFiles = 4;
std::vector<Bytes> SplitFrames(const uint8_t* data, size_t size);

// The names in `folder`, "." and ".." left out, sorted; empty when it cannot
// be read.
std::vector<std::string> FolderNames(const std::string& folder);

// The sub-blocks giflib met before an output frame, as (label, size) pairs.
std::vector<std::pair<int, size_t>> BlocksBefore(const DecodedImage& frame);

// The little-endian field at `offset`, zero where the bytes end.
unsigned Le16At(const Bytes& bytes, size_t offset);
// The first six bytes are "GIF87a" or "GIF89a".
bool HasAcceptedHeader(const Bytes& bytes);

// Stops the run with a message; libFuzzer then saves the input as a crash.
[[noreturn]] void FuzzCheckFailed(const char* file, int line, const char* condition);
#define FUZZ_CHECK(condition) ((condition) ? static_cast<void>(0) : FuzzCheckFailed(__FILE__, __LINE__, #condition))

// The images of a file as giflib's record walk counts them, when it reaches
// the trailer over the same records as our walk (those after the last image
// included); 0 when unknown.
size_t GiflibImageCount(const Bytes& input);

#endif  // ZORVANE_FUZZ_FUZZ_SUPPORT_H
