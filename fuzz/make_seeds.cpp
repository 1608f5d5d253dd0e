// Writes the generated seed inputs of the fuzz targets.
//
//   make_seeds INSPECT_DIR BUILD_DIR PLAN_DIR [GIF...]
//
// INSPECT_DIR receives small GIF streams that reach the corners of the walk
// and the copy (no colour table, malformed graphic control blocks, stray
// bytes, a trailer before the image, LZW code sizes out of range), each also
// cut at every length. BUILD_DIR receives some of those cuts as single
// frames, every pair of streams and runs of four joined with the build
// target's separator, and joins of one to four of the GIF files named.
// PLAN_DIR receives the joins of BUILD_DIR, each behind the plan bytes of
// the plan target (plan_fuzzer.cpp) in turn, and the joins of the GIF files
// behind two of them.
#include <cstdint>
#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include "gif_fixture.h"

namespace {

const char kSeparator[] = "#ZV#";
constexpr uint8_t kExtensionIntroducer = 0x21, kGraphicControlLabel = 0xF9, kCommentLabel = 0xFE;
constexpr uint8_t kApplicationLabel = 0xFF, kPlainTextLabel = 0x01, kTrailer = 0x3B;
constexpr uint8_t kImageSeparator = 0x2C, kGlobalTableFlag = 0x80;

// Sub-blocks of the given lengths, their bytes a pattern that starts at `fill`.
std::vector<Bytes> Blocks(const std::vector<size_t>& sizes, uint8_t fill) {
    std::vector<Bytes> blocks;
    for (size_t length : sizes) {
        blocks.emplace_back();
        for (size_t i = 0; i < length; ++i) blocks.back().push_back(static_cast<uint8_t>(fill + i * 37));
    }
    return blocks;
}

// A 2 x 2 screen with a global table of two entries.
GifBuilder Start(uint8_t seed) { return GifBuilder().Header("89a").Screen(2, 2, kGlobalTableFlag).ColorTable(2, seed); }
// `gif`, then a 2 x 2 image and the trailer.
Bytes Picture(GifBuilder& gif) { return gif.ImageDescriptor(0, 0, 2, 2, 0).SimpleImageData(2, 2).Trailer().bytes(); }

std::vector<std::pair<std::string, Bytes>> Cases() {
    GifBuilder gif87a, local, extensions, long_data;
    gif87a.Header("87a").Screen(2, 2, 0x81).ColorTable(4, 9).ImageDescriptor(0, 0, 2, 2, 0x40).SimpleImageData(2, 2);
    local.Header("89a").Screen(300, 200, 0xF7).ColorTable(256, 1).ImageDescriptor(5, 6, 2, 2, 0x82).ColorTable(8, 2);
    extensions = Start(3)
                     .Extension(kApplicationLabel, Blocks({11, 3}, 'N'))
                     .Extension(kCommentLabel, Blocks({255, 255, 7}, 'c'))
                     .Extension(kPlainTextLabel, Blocks({12, 4}, 0))
                     .GraphicControl(0x1F, 0, 0)
                     .GraphicControl(0xE5, 3, 1);
    long_data.Header("89a").Screen(64, 64, kGlobalTableFlag).ColorTable(2, 7).ImageDescriptor(0, 0, 64, 64, 0);
    long_data.ImageData(2, Blocks({255, 255, 255, 1}, 0)).Trailer();
    // A graphic control block of size 5 whose terminator byte is ','; then a terminator.
    const Bytes bad_control = {kExtensionIntroducer, kGraphicControlLabel, 5, 0x09, 7, 0, 1, kImageSeparator, 0};
    return {
        {"global", Picture(Start(0).GraphicControl(0x05, 10, 1))},
        {"gif87a", gif87a.Trailer().bytes()},
        {"local", local.SimpleImageData(2, 2).Trailer().bytes()},
        {"no-table", Picture(GifBuilder().Header("89a").Screen(2, 2, 0x03))},
        {"extensions", Picture(extensions)},
        {"bad-control", Picture(Start(4).Raw(bad_control))},
        {"stray", Start(5)
                      .Raw({0x00, kTrailer, 0x7F, kGraphicControlLabel})
                      .ImageDescriptor(0, 0, 2, 2, 0)
                      .SimpleImageData(2, 2)
                      .bytes()},
        {"trailer-first", GifBuilder().Header("89a").Screen(2, 2, 0x00).Trailer().bytes()},
        {"code-size-12", Start(6).ImageDescriptor(0, 0, 2, 2, 0).ImageData(12, Blocks({4}, 0)).Trailer().bytes()},
        {"long-data", long_data.bytes()},
        {"extension-cut",
         GifBuilder().Header("89a").Screen(2, 2, 0x00).Raw({kExtensionIntroducer, kCommentLabel, 200}).bytes()},
    };
}

// Plan bytes of the plan target: order, centre, older output and all images
// per entry; given delays, plays, written smallest, a budget; plays - 1 (or
// the budget); the given delay.
const Bytes kPlans[] = {
    {0x00, 0x10, 0, 0, 0, 0},        // first images, forward, forever
    {0xF0, 0x10, 0, 0, 0, 0},        // all images, forward, forever
    {0xF1, 0x00, 2, 0, 0, 0},        // all images, reversed, three plays
    {0xF2, 0x3F, 0, 0, 25, 0},       // all images, bounced, given delays, forever as 65535
    {0xF4, 0x00, 0xFF, 0xFF, 0, 0},  // all images, centred, 65536 plays
    {0x58, 0x05, 1, 0, 3, 0},        // old output kept, first entry all images, two plays
    {0xA6, 0x20, 0, 0, 0xFF, 0xFF},  // bounced, centred, some entries all images, one play
    {0xF0, 0x50, 0, 0, 0, 0},        // all images, written smallest, forever
    {0xF1, 0xC0, 0x40, 0, 0, 0},     // all images, reversed, smallest within 520 bytes, 65 plays
    {0x30, 0x90, 0x10, 0, 0, 0},     // first two entries all images, within 136 bytes, forever
};
constexpr size_t kPlanCount = sizeof kPlans / sizeof kPlans[0];

Bytes Join(const std::vector<const Bytes*>& frames) {
    Bytes joined;
    for (size_t i = 0; i < frames.size(); ++i) {
        if (i > 0) joined.insert(joined.end(), kSeparator, kSeparator + sizeof kSeparator - 1);
        joined.insert(joined.end(), frames[i]->begin(), frames[i]->end());
    }
    return joined;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 4) {
        std::fprintf(stderr, "usage: make_seeds INSPECT_DIR BUILD_DIR PLAN_DIR [GIF...]\n");
        return 2;
    }
    const std::string inspect_dir = std::string(argv[1]) + "/", build_dir = std::string(argv[2]) + "/";
    const std::string plan_dir = std::string(argv[3]) + "/";
    size_t plan_seeds = 0;
    bool ok = true;
    // A build seed, and the same behind the next plan bytes.
    auto write_build_seed = [&](const std::string& name, const Bytes& bytes, size_t plans) {
        ok = WriteFileBytes(build_dir + name, bytes) && ok;
        for (size_t n = 0; n < plans; ++n, ++plan_seeds) {
            Bytes planned = kPlans[plan_seeds % kPlanCount];
            planned.insert(planned.end(), bytes.begin(), bytes.end());
            ok = WriteFileBytes(plan_dir + std::to_string(n) + "-" + name, planned) && ok;
        }
    };
    const std::vector<std::pair<std::string, Bytes>> cases = Cases();
    for (size_t i = 0; i < cases.size(); ++i) {
        const auto& [name, bytes] = cases[i];
        for (size_t length = 0; length <= bytes.size(); ++length) {
            const Bytes cut(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(length));
            const std::string file = name + "-" + std::to_string(length) + ".gif";
            ok = WriteFileBytes(inspect_dir + file, cut) && ok;
            if (length == bytes.size() || length % 7 == 0) write_build_seed(file, cut, 1);
        }
        for (const auto& [other_name, other] : cases) {
            write_build_seed("pair-" + name + "+" + other_name + ".bin", Join({&bytes, &other}), 1);
        }
        const Bytes* run[] = {&bytes, &cases[(i + 1) % cases.size()].second, &cases[(i + 2) % cases.size()].second,
                              &cases[0].second};
        write_build_seed("four-" + std::to_string(i) + ".bin", Join({run, run + 4}), 1);
    }
    std::vector<Bytes> files;
    for (int a = 4; a < argc; ++a) files.push_back(ReadFileBytes(argv[a]));
    for (size_t i = 0; i < files.size(); ++i) {
        std::vector<const Bytes*> group;
        for (size_t n = 0; n < 4 && i + n < files.size(); ++n) {
            group.push_back(&files[i + n]);
            write_build_seed("files-" + std::to_string(i) + "-" + std::to_string(n + 1) + ".bin", Join(group), 2);
        }
    }
    if (!ok) std::fprintf(stderr, "make_seeds: could not write every seed\n");
    return ok ? 0 : 1;
}
