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

namespace {

int RemoveEntry(const char* path, const struct stat*, int, struct FTW*) { return remove(path); }

Bytes Le16(uint16_t value) { return {static_cast<uint8_t>(value & 0xFF), static_cast<uint8_t>(value >> 8)}; }

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

bool WriteFileBytes(const std::string& path, const Bytes& bytes) {
    FILE* file = fopen(path.c_str(), "wb");
    if (file == nullptr) return false;
    bool ok = bytes.empty() || fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    return fclose(file) == 0 && ok;
}

Bytes ReadFileBytes(const std::string& path) {
    Bytes bytes;
    FILE* file = fopen(path.c_str(), "rb");
    if (file == nullptr) return bytes;
    uint8_t chunk[4096];
    size_t count;
    while ((count = fread(chunk, 1, sizeof chunk, file)) > 0) bytes.insert(bytes.end(), chunk, chunk + count);
    fclose(file);
    return bytes;
}

bool FileExists(const std::string& path) {
    struct stat info;
    return lstat(path.c_str(), &info) == 0;
}

GifBuilder& GifBuilder::Header(const char* version) {
    Raw({'G', 'I', 'F'});
    for (size_t i = 0; i < 3 && version[i] != '\0'; ++i) Byte(static_cast<uint8_t>(version[i]));
    return *this;
}

GifBuilder& GifBuilder::Screen(uint16_t width, uint16_t height, uint8_t packed, uint8_t background, uint8_t aspect) {
    return Raw(Le16(width)).Raw(Le16(height)).Raw({packed, background, aspect});
}

GifBuilder& GifBuilder::ColorTable(size_t entries, uint8_t seed) {
    for (size_t k = 0; k < entries; ++k)
        Raw({static_cast<uint8_t>(k + seed), static_cast<uint8_t>(255 - k + seed), static_cast<uint8_t>(k * 7 + seed)});
    return *this;
}

GifBuilder& GifBuilder::GraphicControl(uint8_t packed, uint16_t delay, uint8_t transparent_index) {
    return Raw({0x21, 0xF9, 0x04, packed}).Raw(Le16(delay)).Raw({transparent_index, 0x00});
}

GifBuilder& GifBuilder::Comment(const std::string& text) {
    return Extension(0xFE, SplitSubBlocks(Bytes(text.begin(), text.end())));
}

GifBuilder& GifBuilder::Extension(uint8_t label, const std::vector<Bytes>& sub_blocks) {
    return Byte(0x21).ImageData(label, sub_blocks);
}

GifBuilder& GifBuilder::ImageDescriptor(uint16_t left, uint16_t top, uint16_t width, uint16_t height, uint8_t packed) {
    return Byte(0x2C).Raw(Le16(left)).Raw(Le16(top)).Raw(Le16(width)).Raw(Le16(height)).Byte(packed);
}

GifBuilder& GifBuilder::ImageData(uint8_t min_code_size, const std::vector<Bytes>& sub_blocks) {
    Byte(min_code_size);
    for (const Bytes& block : sub_blocks) Byte(static_cast<uint8_t>(block.size())).Raw(block);
    return Byte(0x00);
}

GifBuilder& GifBuilder::SimpleImageData(uint16_t width, uint16_t height, uint8_t min_code_size, uint16_t colors) {
    return ImageData(min_code_size, SplitSubBlocks(LzwCodes(width, height, min_code_size, colors)));
}

GifBuilder& GifBuilder::Raw(const Bytes& bytes) {
    bytes_.insert(bytes_.end(), bytes.begin(), bytes.end());
    return *this;
}

Bytes LzwCodes(uint16_t width, uint16_t height, uint8_t min_code_size, uint16_t colors) {
    const unsigned clear = 1u << min_code_size;
    const unsigned width_bits = min_code_size + 1u;
    if (colors == 0 || colors > clear) colors = static_cast<uint16_t>(clear);
    // Codes packed least significant bit first, as GIF image data stores them.
    Bytes out;
    uint32_t accumulator = 0;
    unsigned bits = 0;
    auto put = [&](unsigned code) {
        accumulator |= static_cast<uint32_t>(code) << bits;
        for (bits += width_bits; bits >= 8; bits -= 8, accumulator >>= 8)
            out.push_back(static_cast<uint8_t>(accumulator & 0xFF));
    };
    const size_t pixels = static_cast<size_t>(width) * height;
    for (size_t p = 0; p < pixels; ++p) {
        put(clear);
        put(static_cast<unsigned>(p % colors));
    }
    put(clear);
    put(clear + 1);  // end of information
    if (bits > 0) out.push_back(static_cast<uint8_t>(accumulator & 0xFF));
    return out;
}

std::vector<Bytes> SplitSubBlocks(const Bytes& data, size_t block_size) {
    std::vector<Bytes> blocks;
    for (size_t at = 0; at < data.size(); at += block_size) {
        const size_t end = std::min(data.size(), at + block_size);
        blocks.emplace_back(data.begin() + static_cast<std::ptrdiff_t>(at),
                            data.begin() + static_cast<std::ptrdiff_t>(end));
    }
    return blocks;
}

Bytes SimpleGif(uint16_t width, uint16_t height, uint8_t table_size_field) {
    const uint8_t field = table_size_field & 0x07;
    const uint16_t entries = static_cast<uint16_t>(2u << field);
    return GifBuilder()
        .Header("89a")
        .Screen(width, height, static_cast<uint8_t>(0x80 | field))
        .ColorTable(entries)
        .ImageDescriptor(0, 0, width, height, 0x00)
        .SimpleImageData(width, height, static_cast<uint8_t>(std::max(2, field + 1)), entries)
        .Trailer()
        .bytes();
}

BuildRecorder RunBuild(const std::string& output, const std::vector<std::string>& frames, unsigned delay, bool loop) {
    BuildRecorder recorder;
    recorder.output = output;
    recorder.frames = frames;
    recorder.delay = delay;
    recorder.loop = loop;
    BuildAnimation(recorder);
    return recorder;
}

int RunGuarded(const std::function<int()>& body, uint64_t max_file_bytes, bool fail_writes) {
    constexpr unsigned kWatchdogSeconds = 30;  // a child that blocks
    constexpr rlim_t kCpuSeconds = 5;          // a child that spins
    fflush(nullptr);
    pid_t child = fork();
    if (child < 0) return 255;
    if (child == 0) {
        struct rlimit limit;
        limit.rlim_cur = limit.rlim_max = static_cast<rlim_t>(max_file_bytes);
        setrlimit(RLIMIT_FSIZE, &limit);
        limit.rlim_cur = limit.rlim_max = kCpuSeconds;
        setrlimit(RLIMIT_CPU, &limit);
        if (fail_writes) signal(SIGXFSZ, SIG_IGN);
        alarm(kWatchdogSeconds);
        _exit(body() & 0xFF);
    }
    int status = 0;
    while (waitpid(child, &status, 0) < 0) {
        if (errno != EINTR) return 255;
    }
    if (WIFEXITED(status)) return WEXITSTATUS(status);
    return WIFSIGNALED(status) ? 256 + WTERMSIG(status) : 255;
}

int OpenDescriptorCount() {
    DIR* dir = opendir("/proc/self/fd");
    if (dir == nullptr) return -1;
    int count = 0;
    while (readdir(dir) != nullptr) ++count;
    closedir(dir);
    return count;
}
