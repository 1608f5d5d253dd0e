// Helpers shared by the fuzz targets: a private scratch folder and checks.
// What the core writes is judged by giflib through tests/giflib_check.h.
#ifndef ZORVANE_FUZZ_FUZZ_SUPPORT_H
#define ZORVANE_FUZZ_FUZZ_SUPPORT_H

#include <cstddef>
#include <cstdint>
#include <string>

#include "gif_fixture.h"

constexpr size_t kScreenWidthOffset = 6;
constexpr size_t kScreenHeightOffset = 8;
constexpr size_t kScreenPackedOffset = 10;

// A folder of this process under $TMPDIR (or /tmp), made on first use and
// removed when the process exits normally. The first call also caps every
// file the process writes at 16 MiB, so a copy that never ends shows up as a
// write failure instead of filling the disk.
const std::string& ScratchDir();
void WriteWholeFile(const std::string& path, const Bytes& bytes);  // aborts on failure

// The little-endian field at `offset`, zero where the bytes end.
unsigned Le16At(const Bytes& bytes, size_t offset);
// The first six bytes are "GIF87a" or "GIF89a".
bool HasAcceptedHeader(const Bytes& bytes);

// Stops the run with a message; libFuzzer then saves the input as a crash.
[[noreturn]] void FuzzCheckFailed(const char* file, int line, const char* condition);
#define FUZZ_CHECK(condition) ((condition) ? static_cast<void>(0) : FuzzCheckFailed(__FILE__, __LINE__, #condition))

#endif  // ZORVANE_FUZZ_FUZZ_SUPPORT_H
