#include "fuzz_support.h"

#include <ftw.h>
#include <signal.h>
#include <sys/resource.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

constexpr rlim_t kMaxFileBytes = 16u << 20;

std::string g_scratch;

int RemoveEntry(const char* path, const struct stat*, int, struct FTW*) { return remove(path); }

void RemoveScratch() {
    if (!g_scratch.empty()) nftw(g_scratch.c_str(), RemoveEntry, 8, FTW_DEPTH | FTW_PHYS);
}

}  // namespace

const std::string& ScratchDir() {
    if (g_scratch.empty()) {
        const char* base = std::getenv("TMPDIR");
        std::string pattern = std::string(base != nullptr && base[0] != '\0' ? base : "/tmp") + "/zorvane-fuzz-XXXXXX";
        std::vector<char> buffer(pattern.begin(), pattern.end());
        buffer.push_back('\0');
        if (mkdtemp(buffer.data()) == nullptr) {
            std::perror("zorvane fuzz: mkdtemp");
            std::abort();
        }
        g_scratch = buffer.data();
        std::atexit(RemoveScratch);
        struct rlimit limit;
        limit.rlim_cur = limit.rlim_max = kMaxFileBytes;
        signal(SIGXFSZ, SIG_IGN);
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    return g_scratch;
}

void WriteWholeFile(const std::string& path, const Bytes& bytes) {
    if (!WriteFileBytes(path, bytes)) {
        std::perror(path.c_str());
        std::abort();
    }
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
