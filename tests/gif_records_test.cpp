// Record layouts, the header check and the walk to the first image.
#include "gif/gif_records.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "platform/file_io.h"
#include "test_support.h"

namespace {

constexpr uint32_t kHeaderAndScreen = 13;  // header 6 + screen descriptor 7
constexpr uint8_t kMarkA = 0xD1;           // bytes that follow the introducer, to check the position
constexpr uint8_t kMarkB = 0xD2;
constexpr uint8_t kUnset = 0xAA;  // fills the capture before the walk

TEST(HeaderCheckTest, ByteExactSignatureAndVersion) {
    struct Case {
        const char* bytes;
        size_t count;
        bool accepted;
    };
    const Case cases[] = {{"GIF89a", 6, true},  {"GIF87a", 6, true},  {"GIF89A", 6, false}, {"GIF88a", 6, false},
                          {"gif89a", 6, false}, {"GIF8 a", 6, false}, {"GIF89a", 5, false}, {"GIF89a", 0, false}};
    for (const Case& c : cases) {
        EXPECT_EQ(IsAcceptedGifHeader(reinterpret_cast<const uint8_t*>(c.bytes), c.count), c.accepted)
            << '"' << c.bytes << "\" count " << c.count;
    }
}

// The outcome of a walk over `after_screen`, placed after a header and a
// screen descriptor without a global table.
struct ScanOutcome {
    BlockScanResult result = BlockScanResult::kPrematureEnd;
    Bytes capture;  // the 6 capture bytes after the walk
    Bytes rest;     // what the file delivers after the walk
};

ScanOutcome Scan(const Bytes& after_screen, bool capture) {
    TempDir dir;
    std::string path = dir.Write("scan.gif", GifBuilder().Header().Screen(4, 4, 0x00).Raw(after_screen).bytes());
    ScanOutcome outcome;
    FileHandle file;
    if (!FileOpenRead(path.c_str(), &file)) {
        ADD_FAILURE() << "cannot open " << path;
        return outcome;
    }
    FileSkip(file, kHeaderAndScreen);
    GifGraphicControl control;
    memset(&control, kUnset, sizeof control);
    outcome.result = BlockScan(file, capture ? &control : nullptr);
    uint8_t encoded[kGraphicControlSize];
    EncodeGraphicControl(control, encoded);
    outcome.capture.assign(encoded, encoded + kGraphicControlSize);
    uint8_t byte;
    while (FileRead(file, &byte, 1) == 1) outcome.rest.push_back(byte);
    FileClose(file);
    return outcome;
}

struct FoundCase {
    const char* name;
    Bytes before_image;
    Bytes capture;  // empty: no graphic control met, the capture stays as it was
};

TEST(BlockScanTest, StopsJustAfterTheFirstImageIntroducer) {
    const Bytes unset(kGraphicControlSize, kUnset);
    const FoundCase cases[] = {
        // Payloads made of introducer bytes: skipping one byte too few or
        // too many stops the walk inside them.
        {"LongSubBlocks",
         GifBuilder()
             .Comment(std::string(600, ','))
             .Extension(kApplicationLabel, {Bytes(255, 0x21), Bytes(255, 0x2C), {0x2C}})
             .bytes(),
         {}},
        {"GarbageAndUnknownExtensions",
         GifBuilder()
             .Raw({0x00, kTrailer, 0x55, 0xFF, 0xF9})
             .Extension(0x01, {Bytes(13, 0x2C)})
             .Raw({kTrailer, 0})
             .bytes(),
         {}},
        {"LastGraphicControlCounts",
         GifBuilder().GraphicControl(0x05, 10, 3).Comment("between").GraphicControl(0x1C, 0x1234, 7).bytes(),
         {0x04, 0x1C, 0x34, 0x12, 0x07, 0x00}},
        // The body is six bytes whatever its size byte says; it holds
        // introducers a walk treating it as sub-blocks would stop on.
        {"GraphicControlBodyIsSixBytes",
         {kExtensionIntroducer, kGraphicControlLabel, 0x02, 0x2C, 0x2C, 0x21, 0x2C, 0x2C},
         {0x02, 0x2C, 0x2C, 0x21, 0x2C, 0x2C}},
    };
    for (const FoundCase& c : cases) {
        const Bytes stream = GifBuilder().Raw(c.before_image).Byte(kImageIntroducer).Raw({kMarkA, kMarkB}).bytes();
        for (bool capture : {false, true}) {
            SCOPED_TRACE(std::string(c.name) + (capture ? " with capture" : " without capture"));
            const ScanOutcome outcome = Scan(stream, capture);
            EXPECT_EQ(outcome.result, BlockScanResult::kFound);
            EXPECT_EQ(outcome.rest, Bytes({kMarkA, kMarkB}));
            EXPECT_EQ(outcome.capture, capture && !c.capture.empty() ? c.capture : unset);
        }
    }
}

// A stream without an image, or that ends inside an extension, ends the walk
// with premature end; a walk that never ends kills the guarded child.
TEST(BlockScanTest, EndBeforeAnImageIsPrematureEnd) {
    const Bytes cuts[] = {
        {},
        {kTrailer},
        {0x21},
        {0x21, 0xFE},
        {0x21, 0xFE, 0x05, 'a', 'b'},
        {0x21, 0xFE, 0x02, 'a', 'b'},
        {0x21, 0xFF, 0xFF, 0x2C, 0x2C},  // the skip runs past the end; the introducer inside must not be seen
        {0x21, 0xF9},
        {0x21, 0xF9, 0x04, 0x01, 0x2C},
        {0x21, 0xFE, 0x01, 'x', 0x00},
    };
    for (const Bytes& cut : cuts) {
        for (bool capture : {false, true}) {
            const int outcome =
                RunGuarded([&] { return Scan(cut, capture).result == BlockScanResult::kPrematureEnd ? 0 : 1; });
            EXPECT_EQ(outcome, 0) << ::testing::PrintToString(cut) << " capture " << capture
                                  << " (1: found, >256: killed by signal " << outcome - 256 << ")";
        }
    }
}

}  // namespace
