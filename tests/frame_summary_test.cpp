// Frame inspection: the name, then the summary or one warning.
#include "gif/frame_summary.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <string>

#include "test_support.h"

namespace {

const char kNotAGif[] = "warning Not a GIF file, or incorrect version number.";
const char kPrematureEnd[] = "warning Premature end of file encountered; no GIF image data present.";
const char kCouldNotOpen[] = "warning Could not open file.";

// Also notes how many descriptors are open when the result is shown: the
// summary comes after the file is closed, a warning before.
struct DescriptorRecorder : InspectionRecorder {
    std::vector<int> open_descriptors;
    void SetFrameSummary(const char* summary) override {
        open_descriptors.push_back(OpenDescriptorCount());
        InspectionRecorder::SetFrameSummary(summary);
    }
    void ShowWarning(const char* message) override {
        open_descriptors.push_back(OpenDescriptorCount());
        InspectionRecorder::ShowWarning(message);
    }
};

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

TEST(InspectFrameTest, ShowsNameThenSummaryOrWarning) {
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
    };
    TempDir dir;
    for (const InspectCase& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = dir.Write("frame.gif", c.file);
        // First in a guarded child, so that a walk that never ends fails here.
        ASSERT_EQ(RunGuarded([&] {
                      InspectionRecorder recorder;
                      InspectFrame("shown name", path.c_str(), recorder);
                      return 0;
                  }),
                  0)
            << "inspection did not finish";
        const int before = OpenDescriptorCount();
        DescriptorRecorder recorder;
        InspectFrame("shown name", path.c_str(), recorder);
        EXPECT_EQ(recorder.log, std::vector<std::string>({"name shown name", c.shown}));
        const bool summary = c.shown.rfind("summary", 0) == 0;
        EXPECT_EQ(recorder.open_descriptors, std::vector<int>({summary ? before : before + 1}))
            << "the file must be closed before a summary and open during a warning";
        EXPECT_EQ(OpenDescriptorCount(), before) << "file left open";
    }
}

// Paths that cannot be opened as a regular file. A FIFO must be refused
// without waiting for a writer; the guarded child is stopped if it blocks.
TEST(InspectFrameTest, MissingFolderFifoAndDeviceCannotBeOpened) {
    TempDir dir;
    const std::string fifo = dir.File("pipe.gif");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    for (const std::string& path : {dir.File("missing.gif"), dir.path(), fifo, std::string("/dev/null")}) {
        const int outcome = RunGuarded([&] {
            InspectionRecorder recorder;
            InspectFrame("x.gif", path.c_str(), recorder);
            return recorder.log == std::vector<std::string>({"name x.gif", kCouldNotOpen}) ? 0 : 1;
        });
        EXPECT_EQ(outcome, 0) << path << " (1: wrong requests, >256: killed by signal " << outcome - 256 << ")";
    }
}

TEST(InspectFrameTest, LongNamesAreCutTo255Bytes) {
    TempDir dir;
    const std::string path = dir.Write("frame.gif", SimpleGif(3, 4));
    for (size_t length : {255u, 256u, 1000u}) {
        std::string name;
        for (size_t i = 0; i < length; ++i) name += static_cast<char>('a' + i % 26);
        InspectionRecorder recorder;
        InspectFrame(name.c_str(), path.c_str(), recorder);
        EXPECT_EQ(recorder.log,
                  std::vector<std::string>({"name " + name.substr(0, 255), "summary 3 x 4\nglobal (2 bpp)"}))
            << "length " << length;
    }
}

}  // namespace
