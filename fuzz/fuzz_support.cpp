#include "fuzz_support.h"

#include <dirent.h>
#include <signal.h>
#include <sys/resource.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "test_support.h"

const std::string& ScratchDir() {
    static const TempDir dir;  // removed at a normal exit
    static const bool limited = [] {
        if (dir.path().empty()) {
            std::perror("zorvane fuzz: mkdtemp");
            std::abort();
        }
        struct rlimit limit;
        limit.rlim_cur = limit.rlim_max = kMaxScratchFileBytes;
        signal(SIGXFSZ, SIG_IGN);
        return setrlimit(RLIMIT_FSIZE, &limit) == 0;
    }();
    static_cast<void>(limited);
    return dir.path();
}

void WriteWholeFile(const std::string& path, const Bytes& bytes) {
    if (!WriteFileBytes(path, bytes)) {
        std::perror(path.c_str());
        std::abort();
    }
}

std::vector<Bytes> SplitFrames(const uint8_t* data, size_t size) {
    static const char kSeparator[] = "#ZV#";
    constexpr size_t kSeparatorSize = sizeof kSeparator - 1;
    std::vector<Bytes> frames;
    size_t start = 0;
    for (size_t at = 0; frames.size() + 1 < kMaxFuzzFiles && at + kSeparatorSize <= size; ++at) {
        if (std::memcmp(data + at, kSeparator, kSeparatorSize) == 0) {
            frames.emplace_back(data + start, data + at);
            start = at + kSeparatorSize;
            at = start - 1;
        }
    }
    frames.emplace_back(data + start, data + size);
    return frames;
}

std::vector<std::string> FolderNames(const std::string& folder) {
    std::vector<std::string> names;
    DIR* dir = opendir(folder.c_str());
    if (dir == nullptr) return names;
    while (const dirent* entry = readdir(dir)) {
        const std::string name = entry->d_name;
        if (name != "." && name != "..") names.push_back(name);
    }
    closedir(dir);
    std::sort(names.begin(), names.end());
    return names;
}

std::vector<std::pair<int, size_t>> BlocksBefore(const DecodedImage& frame) {
    std::vector<std::pair<int, size_t>> blocks;
    for (const GiflibExtension& block : frame.extensions) blocks.emplace_back(block.function, block.bytes.size());
    return blocks;
}

unsigned Le16At(const Bytes& bytes, size_t offset) {
    return (offset < bytes.size() ? bytes[offset] : 0u) | (offset + 1 < bytes.size() ? bytes[offset + 1] << 8 : 0u);
}

bool HasAcceptedHeader(const Bytes& bytes) {
    return bytes.size() >= 6 &&
           (std::memcmp(bytes.data(), "GIF89a", 6) == 0 || std::memcmp(bytes.data(), "GIF87a", 6) == 0);
}

void FuzzCheckFailed(const char* file, int line, const char* condition) {
    std::fprintf(stderr, "%s:%d: check failed: %s\n", file, line, condition);
    std::abort();
}

size_t GiflibImageCount(const Bytes& input) {
    GifReadOptions records;
    records.pass_refused_code_size = true;
    DecodedGif walk;
    if (!ReadGifBytes(input, records, &walk)) return 0;
    for (const DecodedImage& image : walk.images) {
        if (!ControlsReadAlike(image)) return 0;
    }
    DecodedImage after_last;  // the blocks before the trailer
    after_last.extensions = walk.trailing_extensions;
    return ControlsReadAlike(after_last) ? walk.images.size() : 0;
}
