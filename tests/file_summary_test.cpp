// Inspection of a file: the summary of its first image or one warning, and
// with the whole file walked, every image and the totals.
#include "gif/file_summary.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <string>

#include "test_support.h"

namespace {

const char kNotAGif[] = "warning Not a GIF file, or incorrect version number.";
const char kPrematureEnd[] = "warning Premature end of file encountered; no GIF image data present.";
const char kCouldNotOpen[] = "warning Could not open file.";

// "summary W x H\nKIND (N bpp)" or "warning MESSAGE", as a window shows it.
std::string Shown(const FileSummary& summary) {
    if (summary.message) return std::string("warning ") + summary.message;
    char text[256];
    FormatFrameSummary(summary.width, summary.height, summary.palette_kind, summary.bits_per_pixel, text, sizeof text);
    return std::string("summary ") + text;
}

GifBuilder Start(uint16_t width, uint16_t height, uint8_t screen_packed) {
    return GifBuilder().Header().Screen(width, height, screen_packed).TableFor(screen_packed);
}

Bytes WithImage(GifBuilder gif, uint8_t image_packed) {
    gif.ImageDescriptor(0, 0, 4, 4, image_packed).TableFor(image_packed, 50);
    return gif.SimpleImageData(4, 4).Trailer().bytes();
}

struct InspectCase {
    const char* name;
    Bytes file;
    std::string shown;  // "summary ..." or "warning ..."
};

TEST(InspectFileTest, SummaryOrWarning) {
    const InspectCase cases[] = {
        {"Global8Bpp", SimpleGif(100, 50, 7), "summary 100 x 50\nglobal (8 bpp)"},
        {"LocalOverGlobal", WithImage(Start(30, 20, 0xF6), 0x83), "summary 30 x 20\nlocal (4 bpp)"},
        {"LocalWithoutGlobal", WithImage(Start(300, 2, 0x00), 0xC0), "summary 300 x 2\nlocal (1 bpp)"},
        // The depth comes from the screen's size field even without a table.
        {"NoTable", WithImage(Start(8, 8, 0x02), 0x07), "summary 8 x 8\nnone (3 bpp)"},
        {"Gif87aLargeScreen", WithImage(GifBuilder().Header("87a").Screen(65535, 40000, 0x00), 0x00),
         "summary 65535 x 40000\nnone (1 bpp)"},
        // The global table is skipped unread: it holds an introducer followed
        // nine bytes later by a local-table flag.
        {"GlobalTableSkipped",
         WithImage(GifBuilder().Header().Screen(5, 6, 0x81).Raw({0x2C, 0, 0, 0, 0, 0, 0, 0, 0x87, 0, 0, 0}), 0x00),
         "summary 5 x 6\nglobal (2 bpp)"},
        {"LongComment", WithImage(Start(9, 7, 0x81).Comment(std::string(800, ',')).GraphicControl(1, 2, 3), 0x00),
         "summary 9 x 7\nglobal (2 bpp)"},
        {"EndsAfterIntroducer", Start(40, 30, 0x82).Byte(0x2C).bytes(), "summary 40 x 30\nglobal (3 bpp)"},
        // Width and height are there, packed byte missing: zero, so no local table.
        {"EndsInsideImageDescriptor", Start(40, 30, 0x00).Raw({0x2C, 1, 0, 2, 0, 3, 0, 4, 0}).bytes(),
         "summary 40 x 30\nnone (1 bpp)"},
        {"OnlyTrailer", Start(10, 10, 0x80).Trailer().bytes(), kPrematureEnd},
        {"EndsInsideComment", Start(10, 10, 0x80).Raw({0x21, 0xFE, 0x10, 'a'}).bytes(), kPrematureEnd},
        {"EndsAfterExtensionIntroducer", Start(10, 10, 0x80).Byte(0x21).bytes(), kPrematureEnd},
        {"EndsInsideGlobalTable", GifBuilder().Header().Screen(10, 10, 0x87).ColorTable(20).bytes(), kPrematureEnd},
        {"NotAGif", Bytes({'P', 'N', 'G', '8', '9', 'a', 0, 0, 0, 0, 0, 0, 0, 0x2C}), kNotAGif},
        {"UpperCaseVersion", WithImage(GifBuilder().Header("89A").Screen(1, 1, 0), 0), kNotAGif},
        {"FiveBytes", Bytes({'G', 'I', 'F', '8', '9'}), kNotAGif},
        {"Empty", Bytes(), "warning The file is empty."},
    };
    TempDir dir;
    for (const InspectCase& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = dir.Write("frame.gif", c.file);
        // First in a guarded child, so that a walk that never ends fails here.
        for (const InspectDepth depth : {InspectDepth::kFirstImage, InspectDepth::kWholeFile}) {
            ASSERT_EQ(RunGuarded([&] {
                          InspectFile(path.c_str(), depth);
                          return 0;
                      }),
                      0)
                << "inspection did not finish";
        }
        const int before = OpenDescriptorCount();
        EXPECT_EQ(Shown(InspectFile(path.c_str(), InspectDepth::kFirstImage)), c.shown);
        EXPECT_EQ(Shown(InspectFile(path.c_str(), InspectDepth::kWholeFile)), c.shown);
        EXPECT_EQ(OpenDescriptorCount(), before) << "file left open";
    }
}

// Walking the whole file: each image as its records say, the totals, and
// the looping block's count; a trailer ends the images, and so does the end
// of the file after the first.
TEST(InspectFileTest, EveryImageAndTheTotals) {
    struct Visited : ImageVisitor {
        std::vector<std::string> lines;
        void Image(const ImageInfo& i) override {
            lines.push_back(
                std::to_string(i.index) + ": " + std::to_string(i.width) + "x" + std::to_string(i.height) + "@" +
                std::to_string(i.left) + "," + std::to_string(i.top) + " d" + std::to_string(i.delay) + " disp" +
                std::to_string(i.disposal) + (i.transparent ? " t" + std::to_string(i.transparent_index) : "") +
                (i.local_table ? " local" : " global") + std::to_string(i.table_bits) + (i.interlaced ? " i" : ""));
        }
    };
    const Bytes looping = {'N', 'E', 'T', 'S', 'C', 'A', 'P', 'E', '2', '.', '0'};
    GifBuilder gif = Start(20, 10, 0x81);
    gif.Extension(0xFF, {looping, {1, 2, 0}})
        .GraphicControl(0x05, 7, 3)
        .ImageDescriptor(1, 2, 3, 4, 0x00)
        .SimpleImageData(3, 4)
        .Comment("between")
        .ImageDescriptor(0, 0, 20, 10, 0xC2)  // no control: delay 0; local, interlaced
        .TableFor(0xC2)
        .SimpleImageData(20, 10)
        .GraphicControl(0x0C, 300, 0)
        .ImageDescriptor(5, 5, 2, 2, 0x00)
        .SimpleImageData(2, 2);
    const Bytes cut = gif.bytes();
    const Bytes whole = GifBuilder(gif).Trailer().ImageDescriptor(0, 0, 1, 1, 0).SimpleImageData(1, 1).bytes();
    TempDir dir;
    for (const Bytes& file : {whole, cut}) {
        const std::string path = dir.Write("anim.gif", file);
        Visited visited;
        const FileSummary summary = InspectFile(path.c_str(), InspectDepth::kWholeFile, &visited);
        EXPECT_EQ(Shown(summary), "summary 20 x 10\nglobal (2 bpp)");
        EXPECT_EQ(visited.lines,
                  std::vector<std::string>({"0: 3x4@1,2 d7 disp1 t3 global2", "1: 20x10@0,0 d0 disp0 local3 i",
                                            "2: 2x2@5,5 d300 disp3 global2"}));
        EXPECT_EQ(summary.images, 3u);
        EXPECT_EQ(summary.duration, 307u);
        EXPECT_TRUE(summary.has_looping_block);
        EXPECT_EQ(summary.loop_count, 2u);
        Visited first;
        EXPECT_EQ(InspectFile(path.c_str(), InspectDepth::kFirstImage, &first).images, 1u);
        EXPECT_EQ(first.lines.size(), 1u);
    }
}

// Paths that cannot be opened as a regular file. A FIFO must be refused
// without waiting for a writer; the guarded child is stopped if it blocks.
TEST(InspectFileTest, MissingFolderFifoAndDeviceCannotBeOpened) {
    TempDir dir;
    const std::string fifo = dir.File("pipe.gif");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    for (const std::string& path : {dir.File("missing.gif"), dir.path(), fifo, std::string("/dev/null")}) {
        const int outcome = RunGuarded(
            [&] { return Shown(InspectFile(path.c_str(), InspectDepth::kWholeFile)) == kCouldNotOpen ? 0 : 1; });
        EXPECT_EQ(outcome, 0) << path << " (1: wrong requests, >256: killed by signal " << outcome - 256 << ")";
    }
}

}  // namespace
