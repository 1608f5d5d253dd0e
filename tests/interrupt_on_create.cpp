// Preloaded into zorvane-cli by cli_tests (LD_PRELOAD): the moment the
// program creates a file that must not exist yet (O_CREAT with O_EXCL, its
// temporary file beside the output), it gets the signal whose number
// ZORVANE_RAISE_ON_CREATE holds. That is the worst moment for an
// interruption: the file is there, and the program has only just made it.
#include <dlfcn.h>
#include <fcntl.h>
#include <signal.h>

#include <cstdarg>
#include <cstdlib>

namespace {

using OpenFunction = int (*)(const char*, int, ...);

int OpenThenRaise(const char* path, int flags, mode_t mode) {
    const OpenFunction next = reinterpret_cast<OpenFunction>(dlsym(RTLD_NEXT, "open"));
    const int fd = next(path, flags, mode);
    const char* signal_text = std::getenv("ZORVANE_RAISE_ON_CREATE");
    if (fd >= 0 && (flags & O_CREAT) && (flags & O_EXCL) && signal_text) raise(std::atoi(signal_text));
    return fd;
}

}  // namespace

extern "C" int open(const char* path, int flags, ...) {
    va_list arguments;
    va_start(arguments, flags);
    const mode_t mode = (flags & O_CREAT) ? static_cast<mode_t>(va_arg(arguments, int)) : 0;
    va_end(arguments);
    return OpenThenRaise(path, flags, mode);
}
