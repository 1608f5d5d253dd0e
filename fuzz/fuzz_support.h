// Helpers shared by the fuzz targets: a private scratch folder, checks, and a
// record-level walk of a GIF stream with giflib, so that what the core writes
// is judged by a reader that is not our own.
#ifndef ZORVANE_FUZZ_FUZZ_SUPPORT_H
#define ZORVANE_FUZZ_FUZZ_SUPPORT_H

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

using Bytes = std::vector<uint8_t>;

constexpr size_t kScreenWidthOffset = 6;
constexpr size_t kScreenHeightOffset = 8;
constexpr size_t kScreenPackedOffset = 10;

// A folder of this process under $TMPDIR (or /tmp), made on first use and
// removed when the process exits normally. The first call also caps every
// file the process writes at 16 MiB, so a copy that never ends shows up as a
// write failure instead of filling the disk.
const std::string& ScratchDir();
void WriteWholeFile(const std::string& path, const uint8_t* data, size_t size);  // aborts on failure
Bytes ReadWholeFile(const std::string& path);                                    // empty when unreadable
int OpenDescriptorCount();

// The little-endian field at `offset`, zero where the bytes end.
unsigned Le16At(const uint8_t* data, size_t size, size_t offset);
// The first six bytes are "GIF87a" or "GIF89a".
bool HasAcceptedHeader(const uint8_t* data, size_t size);

// Stops the run with a message; libFuzzer then saves the input as a crash.
[[noreturn]] void FuzzCheckFailed(const char* file, int line, const char* condition);
#define FUZZ_CHECK(condition) ((condition) ? static_cast<void>(0) : FuzzCheckFailed(__FILE__, __LINE__, #condition))

struct WalkedExtension {
    int label = 0;
    std::vector<size_t> sub_block_sizes;
};

struct WalkedImage {
    bool has_local_table = false;
    int local_bits = 0;  // size of the local table as bits per pixel
    Bytes local_table;   // RGB triples, when giflib read them
    // giflib refused the LZW minimum code size (above 8). The builder copies
    // that byte unchanged, so the walk notes it and goes on.
    bool code_size_refused = false;
    std::vector<WalkedExtension> extensions;  // between the previous image and this one
};

struct GifWalk {
    bool opened = false;  // header and screen descriptor accepted
    bool reached_trailer = false;
    size_t consumed = 0;  // bytes giflib read
    int width = 0, height = 0;
    bool has_global_table = false;
    int global_bits = 0;
    Bytes global_table;
    std::vector<WalkedImage> images;
};

// giflib walks every extension by its sub-blocks, while our walk takes a
// graphic control extension as exactly six bytes after its label. Both meet
// the same records before `image` only when every graphic control extension
// on the way is one 4-byte sub-block and its terminator.
bool WalkedAsOurs(const WalkedImage& image);

// Walks `data` record by record with giflib over memory, passing over the
// compressed data without decoding it; with `first_image_only` it stops after
// the first image descriptor.
GifWalk WalkWithGiflib(const uint8_t* data, size_t size, bool first_image_only);

#endif  // ZORVANE_FUZZ_FUZZ_SUPPORT_H
