// The animation builder as the Windows dialog uses it (first images, one
// delay, written in place): output bytes computed from the inputs' pieces,
// and every failure path.
#include <dirent.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <set>
#include <string>

#include "file_io_fault.h"
#include "gif/build_plan.h"
#include "giflib_support.h"
#include "platform/file_io.h"
#include "test_support.h"

namespace {

const char kCouldNotOpen[] = "Could not open file. GIF creation aborted.";
const char kNotAGif[] = "Not a GIF file, or incorrect version number.";
const char kPrematureEnd[] = "Premature end of file encountered; no GIF image data present.";
const char kOutputIsFrame[] = "The output file is one of the frames. GIF creation aborted.";
const char kCouldNotCreate[] = "Could not create output file.";
const char kCouldNotWrite[] = "Could not write output file. GIF creation aborted.";

const Bytes kLooping = {0x21, 0xFF, 0x0B, 'N', 'E',  'T',  'S',  'C',  'A', 'P',
                        'E',  '2',  '.',  '0', 0x03, 0x01, 0xFF, 0xFF, 0x00};

void Append(Bytes& to, const Bytes& bytes) { to.insert(to.end(), bytes.begin(), bytes.end()); }
size_t TableBytes(uint8_t packed) { return 3u << ((packed & 7) + 1); }
Bytes Table(uint8_t packed, uint8_t seed) { return GifBuilder().TableFor(packed, seed).bytes(); }

// One input file, kept as pieces so that the frame the output must hold can
// be put together from them.
struct InputFrame {
    const char* version = "89a";
    uint16_t screen_width = 8, screen_height = 8;
    uint8_t screen_packed = 0x81;
    uint8_t global_seed = 0;
    Bytes before_image;  // extensions and stray bytes before the first image
    uint16_t left = 0, top = 0, width = 8, height = 8;
    uint8_t image_packed = 0x00;
    Bytes image_data = GifBuilder().SimpleImageData(8, 8).bytes();  // copied verbatim
    Bytes after_image;
    // The graphic control packed flags and transparent index the output frame must carry.
    uint8_t out_control_packed = 0x08;
    uint8_t out_transparent = 0;

    Bytes File() const {
        GifBuilder gif;
        gif.Header(version)
            .Screen(screen_width, screen_height, screen_packed, 0x11, 0x22)
            .TableFor(screen_packed, global_seed);
        gif.Raw(before_image).ImageDescriptor(left, top, width, height, image_packed).TableFor(image_packed, 100);
        return gif.Raw(image_data).Raw(after_image).Trailer().bytes();
    }
    // Offset of the first image introducer in File().
    size_t Introducer() const {
        return 13 + ((screen_packed & 0x80) ? TableBytes(screen_packed) : 0) + before_image.size();
    }
};

// The frame the output must hold for `f`, when its file delivers only
// `available` bytes after the image introducer: every missing byte is 0, and
// a missing length byte ends the data with a terminator.
Bytes ExpectedFrame(const InputFrame& f, unsigned delay, size_t available = SIZE_MAX) {
    const Bytes file = f.File();
    const Bytes section(file.begin() + static_cast<std::ptrdiff_t>(f.Introducer()) + 1, file.end());
    available = std::min(available, section.size());
    auto at = [&](size_t i) -> uint8_t { return i < available ? section[i] : 0; };
    Bytes out = GifBuilder().GraphicControl(f.out_control_packed, delay & 0xFFFF, f.out_transparent).Byte(0x2C).bytes();
    for (size_t i = 0; i < 8; ++i) out.push_back(at(i));
    const uint8_t packed = at(8);
    size_t pos = 9;
    if (packed & 0x80) {
        out.push_back(packed);
        for (size_t end = pos + TableBytes(packed); pos < end; ++pos) out.push_back(at(pos));
    } else {
        // Bits 6..3 of the image stay; flag and size come from the screen,
        // and the screen's table, else a grey ramp of its size.
        out.push_back(static_cast<uint8_t>((packed & 0x78) | 0x80 | (f.screen_packed & 7)));
        Append(out, (f.screen_packed & 0x80) ? Table(f.screen_packed, f.global_seed)
                                             : GreyRamp(size_t{2} << (f.screen_packed & 7)));
    }
    out.push_back(at(pos++));  // LZW minimum code size
    for (uint8_t length = 1; length != 0;) {
        length = pos < available ? section[pos++] : 0;
        out.push_back(length);
        for (size_t i = 0; i < length; ++i) out.push_back(at(pos++));
    }
    return out;
}

Bytes ExpectedStart(uint16_t width, uint16_t height, bool loop) {
    return GifBuilder().Header("89a").Screen(width, height, 0).Raw(loop ? kLooping : Bytes()).bytes();
}

// giflib walks `path` to its trailer and finds `images` images.
void ExpectWellFormed(const std::string& path, size_t images) {
    DecodedGif walked;
    EXPECT_TRUE(WalkGifRecords(path, &walked)) << GiflibErrorText(walked.error);
    EXPECT_EQ(walked.images.size(), images);
}

InputFrame Placed(uint16_t screen_width, uint16_t screen_height, uint16_t left, uint16_t top, uint16_t width,
                  uint16_t height) {
    InputFrame f;
    f.screen_width = screen_width, f.screen_height = screen_height;
    f.left = left, f.top = top, f.width = width, f.height = height;
    f.image_data = GifBuilder().SimpleImageData(width, height).bytes();
    return f;
}

InputFrame WithControl(uint8_t packed, uint8_t transparent, uint8_t out_packed, Bytes control = {}) {
    InputFrame f;
    f.before_image = control.empty() ? GifBuilder().GraphicControl(packed, 77, transparent).bytes() : control;
    f.out_control_packed = out_packed, f.out_transparent = transparent;
    return f;
}

InputFrame WithTables(uint8_t screen_packed, uint8_t image_packed, uint8_t global_seed = 0,
                      const char* version = "89a") {
    InputFrame f;
    f.screen_packed = screen_packed, f.image_packed = image_packed, f.global_seed = global_seed, f.version = version;
    return f;
}

InputFrame Animated() {
    InputFrame f = WithControl(0x05, 3, 0x09);
    f.before_image.insert(f.before_image.begin(), 0x00);  // stray byte
    f.before_image = GifBuilder()
                         .Extension(0xFF, {Bytes({'N', 'E', 'T', 'S', 'C', 'A', 'P', 'E', '2', '.', '0'}), {1, 0, 0}})
                         .GraphicControl(0x04, 50, 9)
                         .Comment(std::string(300, 'c'))
                         .Raw(f.before_image)
                         .bytes();
    f.after_image = GifBuilder()
                        .GraphicControl(0x09, 20, 4)
                        .ImageDescriptor(1, 1, 2, 2, 0x80)
                        .ColorTable(2)
                        .SimpleImageData(2, 2)
                        .bytes();
    return f;
}

InputFrame WithRawImageData() {
    // Sub-blocks of the largest and smallest length, full of introducer bytes.
    InputFrame f;
    f.image_data = GifBuilder().ImageData(7, {Bytes(255, 0x2C), {0x21}, Bytes(254, 0x3B), {0x00}}).bytes();
    return f;
}

TEST(BuildLayoutTest, OutputIsAssembledFromTheInputs) {
    struct LayoutCase {
        const char* name;
        unsigned delay;
        bool loop;
        std::vector<InputFrame> frames;
    };
    // Block size 7 and a non-zero terminator: the output's block size is 4 and
    // its terminator 0. The walk takes six bytes and passes over the stray zero.
    const InputFrame malformed_control =
        WithControl(0, 3, 0x09, {0x21, 0xF9, 0x07, 0x05, 0x10, 0x00, 0x03, 0x55, 0x00});
    const LayoutCase cases[] = {
        {"ScreenIsLargest",
         0,
         true,
         {Placed(10, 10, 1, 2, 3, 4), Placed(40000, 2, 0, 0, 25, 25), Placed(300, 700, 13, 14, 2, 1),
          Placed(0, 0, 0, 0, 1, 1)}},
        {"ControlFlags",
         5,
         true,
         {WithControl(0x1F, 9, 0x0B), WithControl(0x05, 3, 0x09), WithControl(0xE5, 200, 0xE9),
          WithControl(0x00, 0, 0x08), InputFrame()}},
        {"ColourTables",
         0xFFFF1234u,
         true,
         {WithTables(0xF7, 0x40, 3), WithTables(0x82, 0x3D), WithTables(0x80, 0x00, 9), WithTables(0x82, 0x81, 40),
          WithTables(0x00, 0xE7)}},
        {"FirstImageOfAnimatedInput", 70000, true, {Animated(), InputFrame()}},
        {"OddInputs", 9, true, {WithRawImageData(), malformed_control, WithTables(0x81, 0x00, 0, "87a"), InputFrame()}},
        {"NoLoop", 3, false, {InputFrame(), InputFrame()}},
        {"EmptyList", 0, true, {}},
        // Neither table: a grey ramp of the screen's size, on the first frame
        // and after frames that filled the palette with colours or image data.
        {"GreyRamp",
         0,
         true,
         {WithTables(0x02, 0x00), WithTables(0x87, 0x00, 5), WithRawImageData(), WithTables(0x07, 0x00),
          WithTables(0x84, 0x81), WithTables(0x03, 0x40), WithTables(0x00, 0x00)}},
    };
    for (const LayoutCase& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        std::vector<std::string> paths;
        for (const InputFrame& f : c.frames) paths.push_back(dir.Write("in" + std::to_string(paths.size()), f.File()));
        // An existing output is replaced, not appended to or refused.
        const std::string output = dir.Write("out.gif", Bytes(5000, 0x3B));
        const BuildRun recorder = RunBuild(output, paths, c.delay, c.loop);
        EXPECT_EQ(recorder.messages, std::vector<Message>());

        // Each dimension of the screen is the largest of any input's.
        unsigned width = 0, height = 0;
        for (const InputFrame& f : c.frames) width = std::max<unsigned>(width, f.screen_width);
        for (const InputFrame& f : c.frames) height = std::max<unsigned>(height, f.screen_height);
        Bytes expected = ExpectedStart(static_cast<uint16_t>(width), static_cast<uint16_t>(height), c.loop);
        for (const InputFrame& f : c.frames) Append(expected, ExpectedFrame(f, c.delay));
        expected.push_back(0x3B);
        const Bytes actual = ReadFileBytes(output);
        ASSERT_EQ(actual.size(), expected.size());
        const auto diff = std::mismatch(actual.begin(), actual.end(), expected.begin());
        EXPECT_EQ(diff.first, actual.end()) << "first difference at byte " << diff.first - actual.begin();
        ExpectWellFormed(output, c.frames.size());
    }
}

// A failing frame stops the run: what was written stays, without trailer,
// and no file is left open.
TEST(BuildStopTest, FailureOnSecondOfThreeFrames) {
    auto cut = [](const Bytes& extension) {
        return GifBuilder().Header().Screen(3, 3, 0x80).ColorTable(2).Raw(extension).bytes();
    };
    struct StopCase {
        Bytes second;  // empty: the file does not exist
        Message message;
        bool loop;
    };
    const StopCase cases[] = {
        {{}, {kCouldNotOpen, MessageIcon::kPlain}, true},
        {{'G', 'I', 'F', '8', '8', 'a', 1, 0, 1, 0, 0, 0, 0, 0x2C}, {kNotAGif, MessageIcon::kWarning}, true},
        {{'G', 'I', 'F', '8', '9'}, {kNotAGif, MessageIcon::kWarning}, false},
        {cut({0x3B}), {kPrematureEnd, MessageIcon::kWarning}, true},
        // Ends inside an extension before the first image.
        {cut({0x21}), {kPrematureEnd, MessageIcon::kWarning}, true},
        {cut({0x21, 0xFE}), {kPrematureEnd, MessageIcon::kWarning}, false},
        {cut({0x21, 0xFF, 0x0B, 'N', 'E'}), {kPrematureEnd, MessageIcon::kWarning}, true},
        {cut({0x21, 0xF9, 0x04, 0x05}), {kPrematureEnd, MessageIcon::kWarning}, true},
    };
    const InputFrame first = Placed(12, 9, 2, 3, 5, 4);
    for (const StopCase& c : cases) {
        SCOPED_TRACE(::testing::PrintToString(c.second));
        TempDir dir;
        const std::vector<std::string> frames = {
            dir.Write("a.gif", first.File()), c.second.empty() ? dir.File("missing.gif") : dir.Write("b.gif", c.second),
            dir.Write("c.gif", SimpleGif(50, 50))};
        const std::string output = dir.File("out.gif");
        // First in a guarded child, so that a run that never ends fails here.
        ASSERT_EQ(RunGuarded([&] { return RunBuild(output, frames, 6, c.loop).messages.size() == 1 ? 0 : 1; }), 0);
        const int descriptors = OpenDescriptorCount();
        const BuildRun recorder = RunBuild(output, frames, 6, c.loop);
        EXPECT_EQ(recorder.messages, std::vector<Message>({c.message}));
        EXPECT_EQ(recorder.result.entry, 1u);
        EXPECT_EQ(recorder.entries_started, std::vector<size_t>({0, 1}));
        Bytes expected = ExpectedStart(0, 0, c.loop);
        Append(expected, ExpectedFrame(first, 6));
        EXPECT_EQ(ReadFileBytes(output), expected);
        EXPECT_EQ(OpenDescriptorCount(), descriptors) << "files left open";
    }
}

// The output must never be one of the frames, however it is spelt: refused
// before anything is created or written.
TEST(BuildOutputTest, OutputThatIsAFrameIsRefused) {
    for (const char* alias : {"same path", "other spelling", "hard link", "symlink"}) {
        SCOPED_TRACE(alias);
        TempDir dir;
        const Bytes frame_bytes = SimpleGif(6, 6);
        const std::vector<std::string> frames = {dir.Write("a.gif", SimpleGif(2, 2)), dir.Write("b.gif", frame_bytes)};
        std::string output = dir.File("link.gif");
        if (alias[0] == 's' && alias[1] == 'a') output = frames[1];
        if (alias[0] == 'o') output = dir.path() + "/./b.gif";
        if (alias[0] == 'h') {
            ASSERT_EQ(link(frames[1].c_str(), output.c_str()), 0);
        } else if (alias[0] == 's' && alias[1] == 'y') {
            ASSERT_EQ(symlink("b.gif", output.c_str()), 0);
        }
        const std::set<std::string> listing = Listing(dir.path());

        const BuildRun recorder = RunBuild(output, frames);
        EXPECT_EQ(recorder.messages, std::vector<Message>({{kOutputIsFrame, MessageIcon::kWarning}}));
        EXPECT_TRUE(recorder.entries_started.empty());
        EXPECT_EQ(ReadFileBytes(frames[1]), frame_bytes);
        EXPECT_EQ(Listing(dir.path()), listing);
    }
}

// Two files are one only on one volume: the same index on another volume is
// another file, which an output may replace.
TEST(BuildOutputTest, FileIdentityHoldsTheVolume) {
    TempDir dir;
    const std::string a = dir.Write("a.gif", SimpleGif(2, 2)), link_path = dir.File("link.gif");
    ASSERT_EQ(link(a.c_str(), link_path.c_str()), 0);
    FileIdentity identity, linked;
    ASSERT_TRUE(FileIdentityOf(a.c_str(), &identity));
    ASSERT_TRUE(FileIdentityOf(link_path.c_str(), &linked));
    EXPECT_TRUE(SameFileIdentity(identity, linked));
    struct stat info;
    ASSERT_EQ(stat(a.c_str(), &info), 0);
    EXPECT_EQ(identity.volume, static_cast<uint64_t>(info.st_dev));
    EXPECT_EQ(identity.index_low, static_cast<uint64_t>(info.st_ino));
    for (uint64_t FileIdentity::*part : {&FileIdentity::volume, &FileIdentity::index_high, &FileIdentity::index_low}) {
        FileIdentity other = identity;
        other.*part ^= 1;
        EXPECT_FALSE(SameFileIdentity(identity, other));
    }
}

TEST(BuildOutputTest, OutputInMissingFolderCannotBeCreated) {
    TempDir dir;
    const BuildRun recorder = RunBuild(dir.File("no/such/out.gif"), {dir.Write("a.gif", SimpleGif(2, 2))});
    EXPECT_EQ(recorder.messages, std::vector<Message>({{kCouldNotCreate, MessageIcon::kWarning}}));
    EXPECT_TRUE(recorder.entries_started.empty());
}

// A write that fails stops the run with a message: on /dev/full (at the
// header, or when the buffered bytes are flushed before the seek back to the
// screen descriptor), at the close when every write before it went through
// (a file replaced then stays as it was), and in the middle of a large frame
// when the file size limit is reached.
TEST(BuildOutputTest, WriteFailureStopsTheRun) {
    TempDir dir;
    const std::vector<std::string> frames = {dir.Write("big.gif", SimpleGif(400, 400, 1)),
                                             dir.Write("b.gif", SimpleGif(2, 2))};
    const std::vector<Message> could_not_write = {{kCouldNotWrite, MessageIcon::kWarning}};
    for (size_t count : {0u, 1u, 2u}) {
        const std::vector<std::string> some(frames.begin(), frames.begin() + static_cast<std::ptrdiff_t>(count));
        EXPECT_EQ(RunBuild("/dev/full", some).messages, could_not_write) << count << " frames";
    }
    const std::string output = dir.File("out.gif");
    FailCloseOf(output);
    EXPECT_EQ(RunBuild(output, frames).messages, could_not_write) << "the output's close failed";
    // Replacing a file: the cut file beside it never takes its place.
    const Bytes old = SimpleGif(9, 9);
    const std::string replaced = dir.Write("old.gif", old);
    const std::set<std::string> listing = Listing(dir.path());
    BuildPlan replacing = DialogPlan(replaced, frames);
    replacing.mode = OutputMode::kReplaceWhenDone;
    FailCloseOf(replaced);
    EXPECT_EQ(RunPlan(replacing).messages, could_not_write) << "the temporary file's close failed";
    EXPECT_EQ(ReadFileBytes(replaced), old);
    EXPECT_EQ(Listing(dir.path()), listing);
    FailCloseOf("");
    const int outcome = RunGuarded(
        [&] {
            const BuildRun recorder = RunBuild(output, frames);
            if (recorder.messages != could_not_write) return 1;
            const std::vector<size_t>& started = recorder.entries_started;
            return std::find(started.begin(), started.end(), 1u) == started.end() ? 0 : 2;
        },
        4096, true);
    EXPECT_EQ(outcome, 0) << "1: wrong messages, 2: went on with the next frame";
}

// An input cut short anywhere after its image introducer, with and without a
// local table: the missing bytes are written as 0, a missing length byte ends
// the frame with a terminator, the run goes on with the next frame, and the
// output stays well formed.
TEST(BuildTruncatedInputTest, EveryCutPointAfterImageIntroducer) {
    InputFrame f = Placed(12, 10, 1, 2, 6, 5);
    f.before_image = GifBuilder().GraphicControl(0x05, 9, 2).bytes();
    f.out_control_packed = 0x09, f.out_transparent = 2;
    f.image_data = GifBuilder().ImageData(2, SplitSubBlocks(LzwCodes(6, 5, 2), 7)).bytes();
    InputFrame next = Placed(3, 3, 0, 0, 3, 3);
    next.screen_packed = 0x00;
    TempDir dir;
    const std::string second = dir.Write("next.gif", next.File());
    const std::string output = dir.File("out.gif");
    for (uint8_t image_packed : {0x81, 0x01}) {
        f.image_packed = image_packed;
        const Bytes full = f.File();
        ASSERT_EQ(full[f.Introducer()], 0x2C);
        for (size_t available = 0; f.Introducer() + 1 + available < full.size(); ++available) {
            SCOPED_TRACE("packed " + std::to_string(image_packed) + ", " + std::to_string(available) +
                         " bytes after 0x2C");
            const std::string cut = dir.Write(
                "cut.gif",
                Bytes(full.begin(), full.begin() + static_cast<std::ptrdiff_t>(f.Introducer() + 1 + available)));
            const int outcome = RunGuarded(
                [&] {
                    return static_cast<int>(RunBuild(output, {cut, second}, 300).messages.size());
                },
                1 << 20);
            ASSERT_EQ(outcome, 0) << "messages shown, or killed by signal " << outcome - 256;

            Bytes expected = ExpectedStart(12, 10, true);
            Append(expected, ExpectedFrame(f, 300, available));
            Append(expected, ExpectedFrame(next, 300));
            expected.push_back(0x3B);
            ASSERT_EQ(ReadFileBytes(output), expected);
            ExpectWellFormed(output, 2);
        }
    }
}

}  // namespace
