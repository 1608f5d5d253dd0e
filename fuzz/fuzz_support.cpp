#include "fuzz_support.h"

#include <signal.h>
#include <sys/resource.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "test_support.h"

const std::string& ScratchDir() {
    constexpr rlim_t kMaxFileBytes = 16u << 20;
    static const TempDir dir;  // removed at a normal exit
    static const bool limited = [] {
        if (dir.path().empty()) {
            std::perror("zorvane fuzz: mkdtemp");
            std::abort();
        }
        struct rlimit limit;
        limit.rlim_cur = limit.rlim_max = kMaxFileBytes;
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
