// Decodes animations with giflib and checks each against the first images of
// its inputs (see CheckAnimation in giflib_check.h).
//
//   giflib_check LIST
//
// Each line of LIST: output path, delay, loop flag (0/1), then the input
// paths, separated by tabs. Exit status 0 when every output checks out.
#include <cstdio>

#include "giflib_check.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: giflib_check LIST\n");
        return 2;
    }
    const int faults = CheckAnimationList(argv[1], stdout);
    if (faults != 0) std::fprintf(stderr, "giflib check: %d faults\n", faults);
    return faults == 0 ? 0 : 1;
}
