// Writes the generated seed inputs of the fuzz targets.
//
//   make_seeds INSPECT_DIR BUILD_DIR [GIF...]
//
// INSPECT_DIR receives small GIF streams that reach the corners of the walk
// and the copy (no colour table, malformed graphic control blocks, stray
// bytes, a trailer before the image, LZW code sizes out of range), each also
// cut at every length. BUILD_DIR receives some of those cuts as single
// frames, every pair of streams and runs of four joined with the build
// target's separator, and joins of one to four of the GIF files named.
#include <cstdint>
#include <cstdio>
#include <string>
#include <utility>
#include <vector>

namespace {

using Bytes = std::vector<uint8_t>;

const char kSeparator[] = "#ZV#";
constexpr uint8_t kExtensionIntroducer = 0x21, kGraphicControlLabel = 0xF9, kCommentLabel = 0xFE;
constexpr uint8_t kApplicationLabel = 0xFF, kImageIntroducer = 0x2C, kTrailer = 0x3B;

// GIF records, multi-byte fields little-endian; nothing is validated.
struct Stream {
    Bytes bytes;
    Stream& Raw(const Bytes& more) { return bytes.insert(bytes.end(), more.begin(), more.end()), *this; }
    Stream& Byte(uint8_t byte) { return Raw({byte}); }
    Stream& Le16(uint16_t value) { return Raw({static_cast<uint8_t>(value & 0xFF), static_cast<uint8_t>(value >> 8)}); }
    Stream& Header(const char* version) { return Raw({'G', 'I', 'F'}).Raw(Bytes(version, version + 3)); }
    Stream& Screen(uint16_t width, uint16_t height, uint8_t packed) {
        return Le16(width).Le16(height).Raw({packed, 0, 0});
    }
    Stream& Table(size_t entries, uint8_t seed) {
        for (size_t k = 0; k < entries; ++k)
            Raw({static_cast<uint8_t>(k * 3 + seed), static_cast<uint8_t>(255 - k), seed});
        return *this;
    }
    Stream& GraphicControl(uint8_t block_size, uint8_t packed, uint16_t delay, uint8_t index, uint8_t terminator) {
        return Raw({kExtensionIntroducer, kGraphicControlLabel, block_size, packed})
            .Le16(delay)
            .Raw({index, terminator});
    }
    // Sub-blocks of the given lengths, then the terminator.
    Stream& Blocks(const std::vector<size_t>& sizes, uint8_t fill) {
        for (size_t length : sizes) {
            Byte(static_cast<uint8_t>(length));
            for (size_t i = 0; i < length; ++i) Byte(static_cast<uint8_t>(fill + i * 37));
        }
        return Byte(0);
    }
    Stream& Extension(uint8_t label, const std::vector<size_t>& sizes, uint8_t fill) {
        return Raw({kExtensionIntroducer, label}).Blocks(sizes, fill);
    }
    Stream& Image(uint16_t left, uint16_t top, uint16_t width, uint16_t height, uint8_t packed) {
        return Byte(kImageIntroducer).Le16(left).Le16(top).Le16(width).Le16(height).Byte(packed);
    }
    // The code size byte and three bytes of LZW data for 2 x 2 pixels.
    Stream& SmallImageData() { return Raw({2, 3, 0x84, 0x84, 0x2C, 0}); }
    // A 2 x 2 screen with a global table of two entries.
    Stream& Start(uint8_t seed) { return Header("89a").Screen(2, 2, 0x80).Table(2, seed); }
    Stream& Picture() { return Image(0, 0, 2, 2, 0).SmallImageData().Byte(kTrailer); }
};

std::vector<std::pair<std::string, Bytes>> Cases() {
    Stream gif87a, local, extensions, long_data;
    gif87a.Header("87a").Screen(2, 2, 0x81).Table(4, 9).Image(0, 0, 2, 2, 0x40).SmallImageData().Byte(kTrailer);
    local.Header("89a").Screen(300, 200, 0xF7).Table(256, 1).Image(5, 6, 2, 2, 0x82).Table(8, 2).SmallImageData();
    extensions.Start(3)
        .Extension(kApplicationLabel, {11, 3}, 'N')
        .Extension(kCommentLabel, {255, 255, 7}, 'c')
        .Extension(1, {12, 4}, 0);
    extensions.GraphicControl(4, 0x1F, 0, 0, 0).GraphicControl(4, 0xE5, 3, 1, 0).Picture();
    long_data.Header("89a").Screen(64, 64, 0x80).Table(2, 7).Image(0, 0, 64, 64, 0).Byte(2);
    long_data.Blocks({255, 255, 255, 1}, 0).Byte(kTrailer);
    return {
        {"global", Stream().Start(0).GraphicControl(4, 0x05, 10, 1, 0).Picture().bytes},
        {"gif87a", gif87a.bytes},
        {"local", local.Byte(kTrailer).bytes},
        {"no-table", Stream().Header("89a").Screen(2, 2, 0x03).Picture().bytes},
        {"extensions", extensions.bytes},
        {"bad-control", Stream().Start(4).GraphicControl(5, 0x09, 7, 1, 0x2C).Byte(0).Picture().bytes},
        {"stray", Stream().Start(5).Raw({0x00, 0x3B, 0x7F, 0xF9}).Image(0, 0, 2, 2, 0).SmallImageData().bytes},
        {"trailer-first", Stream().Header("89a").Screen(2, 2, 0x00).Byte(kTrailer).bytes},
        {"code-size-12", Stream().Start(6).Image(0, 0, 2, 2, 0).Byte(12).Blocks({4}, 0).Byte(kTrailer).bytes},
        {"long-data", long_data.bytes},
        {"extension-cut",
         Stream().Header("89a").Screen(2, 2, 0x00).Raw({kExtensionIntroducer, kCommentLabel, 200}).bytes},
    };
}

bool WriteFile(const std::string& path, const Bytes& bytes) {
    FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) return false;
    const bool written = bytes.empty() || std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    return std::fclose(file) == 0 && written;
}

Bytes ReadFile(const std::string& path) {
    Bytes bytes;
    if (FILE* file = std::fopen(path.c_str(), "rb")) {
        for (int c; (c = std::fgetc(file)) != EOF;) bytes.push_back(static_cast<uint8_t>(c));
        std::fclose(file);
    }
    return bytes;
}

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
    if (argc < 3) {
        std::fprintf(stderr, "usage: make_seeds INSPECT_DIR BUILD_DIR [GIF...]\n");
        return 2;
    }
    const std::string inspect_dir = std::string(argv[1]) + "/", build_dir = std::string(argv[2]) + "/";
    bool ok = true;
    const std::vector<std::pair<std::string, Bytes>> cases = Cases();
    for (size_t i = 0; i < cases.size(); ++i) {
        const auto& [name, bytes] = cases[i];
        for (size_t length = 0; length <= bytes.size(); ++length) {
            const Bytes cut(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(length));
            const std::string file = name + "-" + std::to_string(length) + ".gif";
            ok = WriteFile(inspect_dir + file, cut) && ok;
            if (length == bytes.size() || length % 7 == 0) ok = WriteFile(build_dir + file, cut) && ok;
        }
        for (const auto& [other_name, other] : cases) {
            ok = WriteFile(build_dir + "pair-" + name + "+" + other_name + ".bin", Join({&bytes, &other})) && ok;
        }
        const Bytes* run[] = {&bytes, &cases[(i + 1) % cases.size()].second, &cases[(i + 2) % cases.size()].second,
                              &cases[0].second};
        ok = WriteFile(build_dir + "four-" + std::to_string(i) + ".bin", Join({run, run + 4})) && ok;
    }
    std::vector<Bytes> files;
    for (int a = 3; a < argc; ++a) files.push_back(ReadFile(argv[a]));
    for (size_t i = 0; i < files.size(); ++i) {
        std::vector<const Bytes*> group;
        for (size_t n = 0; n < 4 && i + n < files.size(); ++n) {
            group.push_back(&files[i + n]);
            ok = WriteFile(build_dir + "files-" + std::to_string(i) + "-" + std::to_string(n + 1) + ".bin",
                           Join(group)) &&
                 ok;
        }
    }
    if (!ok) std::fprintf(stderr, "make_seeds: could not write every seed\n");
    return ok ? 0 : 1;
}
