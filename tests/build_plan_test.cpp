// Plans beyond the Windows dialog's: every image of an animated input and
// the joins between inputs, plays, reverse and bounce, centring, the size
// known before writing and the old output kept on failure. Inputs are
// encoded by giflib and outputs read back with it.
#include "gif/build_plan.h"

#include <dirent.h>
#include <glob.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <set>
#include <string>
#include <vector>

#include "gif/delay_text.h"
#include "gif/gif_player.h"
#include "gif/gif_records.h"
#include "gif/natural_order.h"
#include "giflib_support.h"
#include "test_support.h"

namespace {

const char kCorpusDir[] = ZORVANE_CORPUS_DIR;
constexpr uint8_t kKeep = 1, kBackground = 2, kPrevious = 3;
constexpr int kNoTransparency = -1;

// One image of an animation made for a test.
struct Image {
    uint16_t left, top, width, height;
    uint8_t disposal;
    int transparent;  // index, or kNoTransparency
    uint16_t delay;
};

// An animation of `images` on a width x height screen, each image its own
// raster of 4 colours (seeded by its place), written by giflib.
std::string WriteAnimation(const TempDir& dir, const std::string& name, uint16_t width, uint16_t height,
                           const std::vector<Image>& images, uint8_t seed = 0) {
    GifPlan plan;
    plan.width = width, plan.height = height;
    plan.global_map = MakeColorMap(4, seed);
    for (size_t i = 0; i < images.size(); ++i) {
        const Image& image = images[i];
        plan.images.push_back(ImagePlan());
        ImagePlan& out = plan.images.back();
        if (i == 0) out.extensions.push_back(LoopingPlan(0));  // dropped from the output
        out.left = image.left, out.top = image.top, out.width = image.width, out.height = image.height;
        out.raster = MakeRaster(image.width, image.height, 4, static_cast<uint32_t>(seed * 31 + i));
        const uint8_t packed = static_cast<uint8_t>((image.disposal << 2) | (image.transparent >= 0 ? 1 : 0));
        out.extensions.push_back(
            GraphicControlPlan(packed, image.delay, static_cast<uint8_t>(std::max(image.transparent, 0))));
    }
    const std::string path = dir.File(name);
    EXPECT_TRUE(EncodeGif(path, plan));
    return path;
}

PlanEntry All(const std::string& path) { return PlanEntry{path, ImageChoice::kAll, DelayRule()}; }
PlanEntry First(const std::string& path) { return PlanEntry{path, ImageChoice::kFirst, DelayRule()}; }

BuildPlan PlanOf(const std::string& output, const std::vector<PlanEntry>& entries) {
    BuildPlan plan;
    plan.output = output;
    plan.entries = entries;
    return plan;
}

// The graphic control giflib found before an image: disposal, delay and
// transparent index (-1 without the flag).
struct Control {
    int disposal = -1, delay = -1, transparent = kNoTransparency;
    bool operator==(const Control& o) const {
        return disposal == o.disposal && delay == o.delay && transparent == o.transparent;
    }
};
void PrintTo(const Control& c, std::ostream* os) {
    *os << "{disposal " << c.disposal << ", delay " << c.delay << ", transparent " << c.transparent << "}";
}

Control ControlOf(const DecodedImage& image) {
    Control control;
    for (const GiflibExtension& block : image.extensions) {
        if (block.function != GRAPHICS_EXT_FUNC_CODE || block.bytes.size() != 4) continue;
        control.disposal = (block.bytes[0] >> 2) & 7;
        control.delay = block.bytes[1] | (block.bytes[2] << 8);
        control.transparent = (block.bytes[0] & 1) ? block.bytes[3] : kNoTransparency;
    }
    return control;
}

// Builds `plan`, checks that the size measured beforehand is the size
// written, and decodes the output with giflib.
DecodedGif BuildAndDecode(const BuildPlan& plan, PlanSummary* summary = nullptr) {
    const BuildRun measured = RunPlan(plan, true);
    const BuildRun built = RunPlan(plan);
    EXPECT_TRUE(built.result.ok) << (built.result.message ? built.result.message : "");
    EXPECT_TRUE(measured.result.ok);
    EXPECT_EQ(measured.result.summary.bytes, ReadFileBytes(plan.output).size()) << "measured size";
    EXPECT_EQ(measured.result.summary.bytes, built.result.summary.bytes);
    EXPECT_EQ(measured.result.summary.frames, built.result.summary.frames);
    DecodedGif decoded;
    EXPECT_TRUE(SlurpGif(plan.output, &decoded)) << GiflibErrorText(decoded.error);
    EXPECT_EQ(decoded.images.size(), built.result.summary.frames);
    if (summary) *summary = built.result.summary;
    return decoded;
}

std::vector<Control> Controls(const DecodedGif& decoded) {
    std::vector<Control> controls;
    for (const DecodedImage& image : decoded.images) controls.push_back(ControlOf(image));
    return controls;
}

// What an output frame must show, for how long: frame `frame` of input
// `input` as that input plays alone (placed as the plan places it), or with
// kClearCanvas nothing at all.
constexpr int kClearCanvas = -1;
struct Shows {
    int input, frame, delay;
};

// Every frame of `path` as the compositor shows it on a canvas of the
// screen `width` x `height`, placed at (dx, dy), with its delay.
std::vector<std::pair<std::vector<Rgba>, int>> Play(const std::string& path, uint32_t width = 0, uint32_t height = 0,
                                                    uint32_t dx = 0, uint32_t dy = 0) {
    std::vector<std::pair<std::vector<Rgba>, int>> frames;
    GifPlayer player;
    EXPECT_EQ(player.Open(path.c_str()), nullptr) << path;
    width = width ? width : player.screen().width, height = height ? height : player.screen().height;
    for (PlayedFrame frame; player.Next(&frame);) {
        std::vector<Rgba> canvas(size_t{width} * height, kClearPixel);
        for (uint32_t y = 0; y < player.height() && y + dy < height; ++y) {
            for (uint32_t x = 0; x < player.width() && x + dx < width; ++x)
                canvas[(y + dy) * width + x + dx] = frame.canvas[y * player.width() + x];
        }
        frames.emplace_back(canvas, frame.delay);
    }
    return frames;
}

// Plays `output` and compares each frame with what `shows` says.
void ExpectPlays(const std::string& output, const std::vector<std::string>& inputs, bool center,
                 const std::vector<Shows>& shows) {
    GifPlayer screen;
    ASSERT_EQ(screen.Open(output.c_str()), nullptr);
    const uint32_t width = screen.screen().width, height = screen.screen().height;
    EXPECT_EQ(screen.width(), width) << "the first image widens the canvas";
    EXPECT_EQ(screen.height(), height) << "the first image heightens the canvas";
    const auto played = Play(output, width, height);
    ASSERT_EQ(played.size(), shows.size());
    for (size_t k = 0; k < shows.size(); ++k) {
        std::pair<std::vector<Rgba>, int> expected(std::vector<Rgba>(size_t{width} * height, kClearPixel),
                                                   shows[k].delay);
        if (shows[k].input != kClearCanvas) {
            const std::string& input = inputs[static_cast<size_t>(shows[k].input)];
            ASSERT_EQ(screen.Open(input.c_str()), nullptr);
            const uint32_t dx = center ? (width - screen.screen().width) / 2 : 0;
            const uint32_t dy = center ? (height - screen.screen().height) / 2 : 0;
            expected.first = Play(input, width, height, dx, dy).at(static_cast<size_t>(shows[k].frame)).first;
        }
        EXPECT_TRUE(played[k] == expected) << "frame " << k << " shows another picture or delay";
    }
}

// Optimised: a full first image, then smaller ones drawn over it.
const std::vector<Image> kOptimised = {
    {0, 0, 20, 10, kKeep, kNoTransparency, 5}, {3, 2, 4, 4, kKeep, 1, 6}, {10, 5, 2, 2, kKeep, 2, 9}};
// Each image stands alone on a clear canvas.
const std::vector<Image> kStandalone = {
    {0, 0, 8, 8, kBackground, 0, 7}, {2, 2, 4, 4, kBackground, 3, 3}, {1, 1, 6, 6, kPrevious, kNoTransparency, 4}};

// Each image keeps its position, pixels, disposal and delay; between inputs
// the canvas is made clear: by nothing where the next image covers what is
// left with opaque pixels, by disposing of the last image where it covers
// it, or else by a transparent clearing frame that takes 2 of its delay.
// The rows that give the pictures shown are checked by playing the output:
// every frame shows what its input showed alone (centred when the plan
// centres) for as long, forwards or backwards; or the plan is refused.
TEST(BuildPlanTest, EveryImageOfAnInputWithCleanJoins) {
    TempDir dir;
    const std::string optimised = WriteAnimation(dir, "opt.gif", 20, 10, kOptimised, 1);
    const std::string standalone = WriteAnimation(dir, "alone.gif", 8, 8, kStandalone, 2);
    const std::string covering =
        WriteAnimation(dir, "cover.gif", 20, 10, {{0, 0, 20, 10, kKeep, kNoTransparency, 11}}, 3);
    // A clearing frame of 16.8 million pixels: its image data restarts the
    // code table hundreds of times.
    const std::string far_apart =
        WriteAnimation(dir, "far.gif", 4096, 4100, {{0, 0, 1, 1, kKeep, -1, 10}, {4095, 4099, 1, 1, kKeep, -1, 3}}, 7);
    // Images from 0 to 65537 wide: the clearing frame stops at 65535, the
    // most a screen shows (a width of 65537 would wrap round to 1).
    const std::string beyond =
        WriteAnimation(dir, "beyond.gif", 4, 1,
                       {{0, 0, 1, 1, kKeep, kNoTransparency, 10}, {65534, 0, 3, 1, kKeep, kNoTransparency, 6}}, 8);
    const std::string last_covers =
        WriteAnimation(dir, "lastcovers.gif", 6, 6, {{1, 1, 2, 2, kKeep, 0, 8}, {0, 0, 6, 6, kKeep, 0, 12}}, 4);
    // A last image restoring the previous state over a picture that a
    // clearing frame must take away.
    const std::string ends_restored =
        WriteAnimation(dir, "endsprev.gif", 8, 8, {{0, 0, 8, 8, kKeep, -1, 5}, {2, 2, 4, 4, kPrevious, -1, 3}}, 6);
    // Joins and orders checked by what the canvas shows.
    const std::string transparent_next =
        WriteAnimation(dir, "transparent.gif", 8, 8, {{0, 0, 8, 8, kKeep, 0, 7}, {0, 0, 8, 8, kKeep, 1, 3}}, 9);
    const std::string transparent_over =
        WriteAnimation(dir, "over.gif", 8, 8, {{0, 0, 8, 8, kKeep, -1, 5}, {0, 0, 8, 8, kKeep, 1, 6}}, 10);
    const std::string partly_cleared =
        WriteAnimation(dir, "partly.gif", 8, 8, {{0, 0, 8, 8, kKeep, -1, 5}, {2, 2, 4, 4, kBackground, -1, 6}}, 11);
    const std::string restoring =
        WriteAnimation(dir, "restoring.gif", 8, 8, {{0, 0, 8, 8, kPrevious, 1, 5}, {2, 2, 4, 4, kPrevious, 2, 6}}, 12);
    const std::string ends_on_four =
        WriteAnimation(dir, "four.gif", 8, 8, {{0, 0, 8, 8, kKeep, -1, 5}, {2, 2, 4, 4, kKeep, -1, 4}}, 13);
    const std::string off_diagonal =
        WriteAnimation(dir, "offdiag.gif", 8, 8, {{1, 3, 4, 4, kKeep, -1, 5}, {5, 5, 2, 2, kKeep, -1, 6}}, 14);
    const std::string apart =
        WriteAnimation(dir, "apart.gif", 8, 8, {{0, 0, 4, 4, kKeep, -1, 5}, {4, 4, 4, 4, kBackground, -1, 6}}, 19);
    const std::string large = WriteAnimation(dir, "large.gif", 11, 10, {{0, 0, 11, 10, kKeep, -1, 1}}, 15);
    const std::string lands_at_most =
        WriteAnimation(dir, "most.gif", 4, 3, {{0, 0, 4, 3, kKeep, -1, 2}, {65532, 0, 1, 1, kKeep, -1, 3}}, 16);
    const std::string full_width = WriteAnimation(dir, "wide.gif", 11, 4, {{0, 0, 11, 4, kKeep, -1, 2}}, 17);
    // The file ends inside its second image's descriptor (8 of its 9 bytes).
    Bytes cut = ReadFileBytes(WriteAnimation(dir, "whole.gif", 8, 8, {{0, 0, 8, 8, kBackground, -1, 5}}, 18));
    cut.pop_back();  // the trailer
    const std::string cut_in_descriptor = dir.Write(
        "cut.gif",
        GifBuilder().Raw(cut).GraphicControl(kKeep << 2, 3, 0).Byte(0x2C).Raw({1, 0, 1, 0, 2, 0, 2, 0}).bytes());
    struct JoinCase {
        const char* name;
        std::vector<std::string> inputs;
        std::vector<Control> controls;                // of the output's images
        std::vector<int> clearing;                    // output images that are clearing frames
        int clearing_width = 0, clearing_height = 0;  // of the clearing frames; 0: the output's
        // Checked by playing the output instead: each frame's picture and
        // delay, or that the plan is refused as not playable backwards.
        FrameOrder order = FrameOrder::kForward;
        bool center = false;
        std::vector<Shows> shows = {};
        bool refused = false;
        static JoinCase Played(const char* name, const std::vector<std::string>& inputs,
                               const std::vector<Shows>& shows, FrameOrder order = FrameOrder::kForward,
                               bool center = false, bool refused = false) {
            JoinCase c{name, inputs, {}, {}};
            c.order = order, c.center = center, c.shows = shows, c.refused = refused;
            return c;
        }
    };
    constexpr FrameOrder kForward = FrameOrder::kForward, kReverse = FrameOrder::kReverse;
    const JoinCase cases[] = {
        JoinCase::Played("BackgroundDisposalLeavesWhatItDoesNotCover", {partly_cleared, transparent_next},
                         {{0, 0, 5}, {0, 1, 4}, {0, 1, 2}, {1, 0, 7}, {1, 1, 3}}),
        JoinCase::Played("LastRestoringThePreviousShowsUntilCleared", {ends_restored, transparent_next},
                         {{0, 0, 5}, {0, 1, 3}, {0, 1, 0}, {1, 0, 7}, {1, 1, 3}}),
        JoinCase::Played("ClearingFrameTakesTheLastImageAwayToo", {apart, transparent_next},
                         {{0, 0, 5}, {0, 1, 4}, {0, 1, 2}, {1, 0, 7}, {1, 1, 3}}),
        JoinCase::Played("ALastFrameOfFourSharesItWithTheClearingFrame", {ends_on_four, transparent_next},
                         {{0, 0, 5}, {0, 1, 2}, {0, 1, 2}, {1, 0, 7}, {1, 1, 3}}),
        JoinCase::Played("ClearingFrameWhereTheLeftoversAre", {off_diagonal, transparent_next},
                         {{0, 0, 5}, {0, 1, 4}, {0, 1, 2}, {1, 0, 7}, {1, 1, 3}}),
        JoinCase::Played("CentredOntoTheLargestPosition", {large, lands_at_most}, {{0, 0, 1}, {1, 0, 2}, {1, 1, 3}},
                         kForward, true),
        JoinCase::Played("AShorterEntryOfFullWidthCentredVertically", {large, full_width}, {{0, 0, 1}, {1, 0, 2}},
                         kForward, true),
        JoinCase::Played("RestoringThePreviousReverses", {restoring}, {{0, 1, 6}, {0, 0, 5}}, kReverse),
        JoinCase::Played("AnImageCutInItsDescriptorReversedInItsPlace", {cut_in_descriptor},
                         {{kClearCanvas, 0, 3}, {0, 0, 5}}, kReverse),
        JoinCase::Played("TransparentOverACoveredCanvasIsReencodedToBeReversed", {transparent_over},
                         {{0, 1, 6}, {0, 0, 5}}, kReverse),
        {"ClearingFrameAfterOptimised",
         {optimised, standalone},
         {{1, 5, -1}, {1, 6, 1}, {1, 7, 2}, {2, 2, 0}, {2, 7, 0}, {2, 3, 3}, {3, 4, -1}},
         {3}},
        {"LargeClearingFrameTakesNoDelayFromAShortOne",
         {far_apart, standalone},
         {{1, 10, -1}, {1, 3, -1}, {2, 0, 0}, {2, 7, 0}, {2, 3, 3}, {3, 4, -1}},
         {2}},
        {"ClearingFrameStopsAtTheLargestPosition",
         {beyond, standalone},
         {{1, 10, -1}, {1, 4, -1}, {2, 2, 0}, {2, 7, 0}, {2, 3, 3}, {3, 4, -1}},
         {2},
         65535,
         1},
        {"NextImageCoversWithOpaquePixels", {optimised, covering}, {{1, 5, -1}, {1, 6, 1}, {1, 9, 2}, {1, 11, -1}}, {}},
        {"LastImageDisposedOf",
         {last_covers, standalone},
         {{1, 8, 0}, {2, 12, 0}, {2, 7, 0}, {2, 3, 3}, {3, 4, -1}},
         {}},
        {"StandaloneLeavesNothing",
         {standalone, optimised},
         {{2, 7, 0}, {2, 3, 3}, {3, 4, -1}, {1, 5, -1}, {1, 6, 1}, {1, 9, 2}},
         {}},
    };
    for (const JoinCase& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<PlanEntry> entries;
        for (const std::string& input : c.inputs) entries.push_back(All(input));
        if (!c.shows.empty() || c.refused) {
            BuildPlan plan = PlanOf(dir.File("played.gif"), entries);
            plan.order = c.order;
            plan.center = c.center;
            const BuildRun built = RunPlan(plan);
            if (c.refused) {
                EXPECT_FALSE(built.result.ok);
                EXPECT_EQ(built.messages, std::vector<Message>({{kMsgCannotPlayBackwards, MessageIcon::kWarning}}));
                continue;
            }
            EXPECT_TRUE(built.result.ok) << built.result.message;
            EXPECT_EQ(RunPlan(plan, true).result.summary.bytes, ReadFileBytes(plan.output).size()) << "measured size";
            ExpectPlays(plan.output, c.inputs, c.center, c.shows);
            continue;
        }
        PlanSummary summary;
        const DecodedGif output = BuildAndDecode(PlanOf(dir.File("out.gif"), entries), &summary);
        EXPECT_EQ(Controls(output), c.controls);
        EXPECT_EQ(summary.clearing_frames, c.clearing.size());
        // Every other image is its input's, byte for byte once decoded.
        size_t k = 0;
        for (const std::string& input : c.inputs) {
            DecodedGif source;
            ASSERT_TRUE(SlurpGif(input, &source));
            for (const DecodedImage& image : source.images) {
                while (std::count(c.clearing.begin(), c.clearing.end(), static_cast<int>(k))) {
                    const DecodedImage& clearing = output.images[k++];
                    EXPECT_EQ(clearing.raster, Bytes(clearing.raster.size(), 0)) << "clearing frame";
                    EXPECT_EQ(clearing.left, 0);
                    EXPECT_EQ(clearing.width, c.clearing_width ? c.clearing_width : output.width);
                    EXPECT_EQ(clearing.height, c.clearing_height ? c.clearing_height : output.height);
                }
                ASSERT_LT(k, output.images.size());
                const DecodedImage& got = output.images[k++];
                EXPECT_EQ(got.raster, image.raster) << "image " << k;
                EXPECT_EQ(got.left, image.left);
                EXPECT_EQ(got.top, image.top);
                EXPECT_EQ(got.local_map.empty() ? output.global_map : got.local_map, source.global_map);
            }
        }
        uint64_t duration = 0, played = 0;
        for (const Control& control : c.controls) {
            duration += static_cast<uint64_t>(control.delay);
            played += PlayedDelay(static_cast<uint16_t>(control.delay));
        }
        EXPECT_EQ(summary.duration, duration);
        EXPECT_EQ(summary.played_duration, played) << "as browsers play it";
    }
}

// The table most frames carry is written once, as the global table, and
// those frames carry none; frames with another keep theirs. Copies of one
// animation join into no more than the inputs' bytes together.
TEST(BuildPlanTest, OneColourTableWhereFramesShareIt) {
    TempDir dir;
    const std::string a = WriteAnimation(dir, "a.gif", 20, 10, kOptimised, 1);
    const std::string b = WriteAnimation(dir, "b.gif", 20, 10, {{0, 0, 20, 10, kKeep, kNoTransparency, 4}}, 2);
    const struct {
        std::vector<PlanEntry> entries;
        TableRule tables;
        std::string frames;  // per output frame: G uses the global table, L a local one
    } cases[] = {{{All(a), All(a), All(a)}, TableRule::kShared, "GGGGGGGGG"},
                 {{All(b), All(a), First(b)}, TableRule::kShared, "LGGGL"},
                 {{First(b), First(a), First(b)}, TableRule::kShared, "GLG"},
                 {{All(a), All(a)}, TableRule::kEachFrame, "LLLLLL"}};
    for (const auto& c : cases) {
        BuildPlan plan = PlanOf(dir.File("out.gif"), c.entries);
        plan.tables = c.tables;
        const DecodedGif output = BuildAndDecode(plan);
        std::string frames;
        size_t inputs = 0;
        for (const PlanEntry& entry : c.entries) {
            inputs += ReadFileBytes(entry.path).size();
            DecodedGif source;
            ASSERT_TRUE(SlurpGif(entry.path, &source));
            for (size_t i = 0; i < (entry.images == ImageChoice::kAll ? source.images.size() : 1); ++i) {
                const DecodedImage& got = output.images.at(frames.size());
                frames += got.local_map.empty() ? 'G' : 'L';
                EXPECT_EQ(got.local_map.empty() ? output.global_map : got.local_map, source.global_map) << c.frames;
            }
        }
        EXPECT_EQ(frames, c.frames);
        EXPECT_TRUE(c.tables == TableRule::kEachFrame || ReadFileBytes(plan.output).size() <= inputs) << c.frames;
    }
}

// A given delay replaces every image's own; the first image alone keeps
// its own delay and is disposed of to the background, and the observer hears
// that the input held more.
TEST(BuildPlanTest, DelaysAndFirstImages) {
    TempDir dir;
    const std::string optimised = WriteAnimation(dir, "opt.gif", 20, 10, kOptimised, 1);
    const std::string single = WriteAnimation(dir, "one.gif", 4, 4, {{0, 0, 4, 4, kKeep, 1, 33}}, 5);
    PlanEntry given = All(optimised);
    given.delay = DelayRule{true, 250};
    const BuildPlan plan = PlanOf(dir.File("out.gif"), {given, First(optimised), First(single)});
    const DecodedGif output = BuildAndDecode(plan);
    EXPECT_EQ(Controls(output), std::vector<Control>({{1, 250, -1}, {1, 250, 1}, {1, 250, 2}, {2, 5, -1}, {2, 33, 1}}));
    EXPECT_EQ(RunPlan(plan, true).images_left_out, std::vector<size_t>({1}));
}

TEST(BuildPlanTest, PlaysWriteTheRepeatsAfterTheFirst) {
    TempDir dir;
    const std::string frame = WriteAnimation(dir, "one.gif", 4, 4, {{0, 0, 4, 4, kKeep, -1, 1}});
    struct PlaysCase {
        uint32_t plays;
        uint16_t forever_count;
        int count;  // -1: no looping block
    } cases[] = {{kPlayForever, 0, 0},        {1, 0, -1}, {2, 0, 1}, {3, 0, 2}, {kMostPlays, 0, 65535},
                 {kPlayForever, 65535, 65535}};
    for (const PlaysCase& c : cases) {
        SCOPED_TRACE(c.plays);
        BuildPlan plan = PlanOf(dir.File("out.gif"), {First(frame)});
        plan.plays = c.plays;
        plan.forever_count = c.forever_count;
        const DecodedGif output = BuildAndDecode(plan);
        ASSERT_EQ(output.images.size(), 1u);
        const std::vector<GiflibExtension>& blocks = output.images[0].extensions;
        if (c.count < 0) {
            EXPECT_EQ(blocks.size(), 1u) << "only the graphic control";
        } else {
            ASSERT_EQ(blocks.size(), 3u);
            EXPECT_EQ(blocks[1].bytes,
                      Bytes({1, static_cast<uint8_t>(c.count & 0xFF), static_cast<uint8_t>(c.count >> 8)}));
        }
    }
}

// Played in another order, each frame looks as it did played forwards. An
// animation whose images stand alone on a clear canvas is copied; one whose
// images are drawn over one another is composited and written again, each
// frame whole, unless a frame then shows more than 256 colours: that is
// refused, and nothing is written.
TEST(BuildPlanTest, ReverseAndBounceOrRefuse) {
    TempDir dir;
    const std::string standalone = WriteAnimation(dir, "alone.gif", 8, 8, kStandalone, 2);
    const std::string single = WriteAnimation(dir, "one.gif", 8, 8, {{0, 0, 8, 8, kKeep, -1, 50}}, 6);
    const std::string optimised = WriteAnimation(dir, "opt.gif", 20, 10, kOptimised, 1);
    DecodedGif source;
    ASSERT_TRUE(SlurpGif(standalone, &source));
    const std::vector<std::string> inputs = {standalone, single, optimised};
    struct OrderCase {
        FrameOrder order;
        std::vector<PlanEntry> entries;
        std::vector<int> images;  // of alone.gif (0..2), then 3 for one.gif, 10 + i for image i of opt.gif
        std::vector<size_t> reencoded;
    } cases[] = {
        {FrameOrder::kReverse, {All(standalone), All(single)}, {3, 2, 1, 0}, {}},
        {FrameOrder::kBounce, {All(standalone), All(single)}, {0, 1, 2, 3, 2, 1}, {}},
        {FrameOrder::kReverse, {All(standalone), All(optimised)}, {12, 11, 10, 2, 1, 0}, {1}},
        {FrameOrder::kBounce, {All(optimised), All(standalone)}, {10, 11, 12, 0, 1, 2, 1, 0, 12, 11}, {0}},
        {FrameOrder::kReverse, {First(optimised), All(standalone)}, {2, 1, 0, 10}, {}},
    };
    for (const OrderCase& c : cases) {
        SCOPED_TRACE(::testing::PrintToString(c.images));
        BuildPlan plan = PlanOf(dir.File("out.gif"), c.entries);
        plan.order = c.order;
        const DecodedGif output = BuildAndDecode(plan);
        EXPECT_EQ(RunPlan(plan, true).entries_reencoded, c.reencoded);
        ASSERT_EQ(output.images.size(), c.images.size());
        std::vector<Shows> shows;
        for (size_t k = 0; k < c.images.size(); ++k) {
            const int i = c.images[k];
            EXPECT_EQ(ControlOf(output.images[k]).disposal, kBackground) << k;
            if (i < 3) {
                EXPECT_EQ(output.images[k].raster, source.images[static_cast<size_t>(i)].raster) << k;
                shows.push_back({0, i, kStandalone[static_cast<size_t>(i)].delay});
            } else if (i == 3) {
                shows.push_back({1, 0, 50});
            } else {
                shows.push_back({2, i - 10, kOptimised[static_cast<size_t>(i - 10)].delay});
            }
        }
        ExpectPlays(plan.output, inputs, false, shows);
    }
    // Drawn over one another, the two images show 257 colours at once.
    const Bytes many_colours = [] {
        Bytes indices(256);
        for (size_t k = 0; k < indices.size(); ++k) indices[k] = static_cast<uint8_t>(k);
        return GifBuilder()
            .Header()
            .Screen(17, 16, 0)
            .GraphicControl(kKeep << 2, 10, 0)
            .ImageDescriptor(0, 0, 16, 16, 0x87)
            .ColorTable(256)
            .Pixels(indices, 8)
            .GraphicControl(kKeep << 2, 10, 0)
            .ImageDescriptor(16, 0, 1, 1, 0x80)
            .ColorTable(2, 100)
            .Pixels({0})
            .Trailer()
            .bytes();
    }();
    const std::string colourful = dir.Write("colourful.gif", many_colours);
    const std::string output = dir.Write("kept.gif", Bytes(100, 7));
    for (const FrameOrder order : {FrameOrder::kReverse, FrameOrder::kBounce}) {
        BuildPlan plan = PlanOf(output, {All(standalone), All(colourful)});
        plan.order = order;
        const std::set<std::string> before = Listing(dir.path());
        const BuildRun run = RunPlan(plan);
        EXPECT_FALSE(run.result.ok);
        EXPECT_EQ(run.result.entry, 1u);
        EXPECT_EQ(run.messages, std::vector<Message>({{kMsgCannotPlayBackwards, MessageIcon::kWarning}}));
        EXPECT_EQ(ReadFileBytes(output), Bytes(100, 7));
        EXPECT_EQ(Listing(dir.path()), before);
        // Its first image alone can be played backwards.
        plan.entries[1] = First(colourful);
        EXPECT_TRUE(RunPlan(plan, true).result.ok);
    }
}

// A file other programs would refuse is refused, in every order, before the
// output is created, with its entry named; the Windows dialog's plan keeps
// that program's ways and copies its images as they are.
TEST(BuildPlanTest, FilesOtherProgramsRefuseAreRefused) {
    auto with_image = [](uint16_t left, uint16_t top, uint16_t width, uint16_t height) {
        GifBuilder gif;
        gif.Header().Screen(10, 10, 0x80).ColorTable(2).ImageDescriptor(left, top, width, height, 0x00);
        return gif.SimpleImageData(width, height).Trailer().bytes();
    };
    struct RefusedCase {
        const char* name;
        Bytes file;
        const char* message;
        const char* dialog_message;  // null: the dialog's plan builds it
    } cases[] = {
        {"Empty", {}, kMsgFileEmpty, kMsgNotAGif},
        {"ZeroWidth", with_image(0, 0, 0, 5), kMsgImageWithoutArea, nullptr},
        {"ZeroHeight", with_image(2, 2, 3, 0), kMsgImageWithoutArea, nullptr},
        {"LeftPastTheLargestScreen", with_image(65535, 0, 1, 1), kMsgImageBeyondScreen, nullptr},
        {"TopPastTheLargestScreen", with_image(3, 65535, 2, 1), kMsgImageBeyondScreen, nullptr},
    };
    TempDir dir;
    const std::string good = WriteAnimation(dir, "good.gif", 4, 4, {{0, 0, 4, 4, kKeep, -1, 1}});
    // Partly on the largest screen is fine.
    const std::string edge = dir.Write("edge.gif", with_image(65534, 65534, 5, 1));
    EXPECT_TRUE(RunPlan(PlanOf(dir.File("edge-out.gif"), {First(good), First(edge)})).result.ok);
    for (const RefusedCase& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string bad = dir.Write("bad.gif", c.file);
        for (const FrameOrder order : {FrameOrder::kForward, FrameOrder::kBounce}) {
            BuildPlan plan = PlanOf(dir.File("out.gif"), {First(good), All(bad)});
            plan.order = order;
            for (const bool measure : {true, false}) {
                const BuildRun run = RunPlan(plan, measure);
                EXPECT_FALSE(run.result.ok);
                EXPECT_EQ(run.result.entry, 1u);
                EXPECT_EQ(run.messages, std::vector<Message>({{c.message, MessageIcon::kWarning}}));
                EXPECT_FALSE(FileExists(dir.File("out.gif")));
            }
        }
        const BuildRun dialog = RunBuild(dir.File("dialog.gif"), {good, bad});
        EXPECT_EQ(dialog.result.ok, c.dialog_message == nullptr);
        EXPECT_EQ(dialog.result.message ? dialog.result.message : "",
                  std::string(c.dialog_message ? c.dialog_message : ""));
    }
}

TEST(BuildPlanTest, CenterMovesSmallerScreensToTheMiddle) {
    TempDir dir;
    const std::string large = WriteAnimation(dir, "large.gif", 11, 10, {{0, 0, 11, 10, kKeep, -1, 1}});
    const std::string small =
        WriteAnimation(dir, "small.gif", 4, 3, {{1, 1, 2, 2, kKeep, -1, 1}, {0, 0, 4, 3, kKeep, -1, 1}});
    for (const bool center : {false, true}) {
        BuildPlan plan = PlanOf(dir.File("out.gif"), {All(small), First(large)});
        plan.center = center;
        const DecodedGif output = BuildAndDecode(plan);
        ASSERT_EQ(output.images.size(), 3u);
        EXPECT_EQ(output.width, 11);
        const int dx = center ? 3 : 0, dy = center ? 3 : 0;  // (11 - 4) / 2 and (10 - 3) / 2, rounded down
        EXPECT_EQ(output.images[0].left, 1 + dx);
        EXPECT_EQ(output.images[0].top, 1 + dy);
        EXPECT_EQ(output.images[1].left, dx);
        EXPECT_EQ(output.images[2].left, 0);
    }
}

// The third of five frames fails: the file that was at the output is left
// as it was, no temporary file stays behind, and a build that succeeds
// replaces it keeping its permissions.
TEST(BuildPlanTest, AFailedBuildKeepsTheOldFile) {
    TempDir dir;
    std::vector<PlanEntry> entries;
    for (int i = 0; i < 5; ++i) {
        const std::string name = "f" + std::to_string(i) + ".gif";
        entries.push_back(First(i == 2 ? dir.Write(name, Bytes{'G', 'I', 'F'}) : dir.Write(name, SimpleGif(3, 3))));
    }
    const Bytes old = SimpleGif(9, 9);
    const std::string output = dir.Write("out.gif", old);
    ASSERT_EQ(chmod(output.c_str(), 0640), 0);
    const std::set<std::string> before = Listing(dir.path());
    const BuildRun failed = RunPlan(PlanOf(output, entries));
    EXPECT_FALSE(failed.result.ok);
    EXPECT_EQ(failed.result.entry, 2u);
    EXPECT_EQ(ReadFileBytes(output), old);
    EXPECT_EQ(Listing(dir.path()), before);

    entries.erase(entries.begin() + 2);
    EXPECT_TRUE(RunPlan(PlanOf(output, entries)).result.ok);
    EXPECT_NE(ReadFileBytes(output), old);
    EXPECT_EQ(Listing(dir.path()), before);
    struct stat info;
    ASSERT_EQ(stat(output.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0640u);
}

// Every file of the public corpus, each of its images taken: the size
// measured from the records alone is the size written.
TEST(BuildPlanTest, MeasuredSizeIsTheSizeWrittenForTheCorpus) {
    glob_t found{};
    ASSERT_EQ(glob((std::string(kCorpusDir) + "/*.gif").c_str(), 0, nullptr, &found), 0);
    const std::vector<std::string> files(found.gl_pathv, found.gl_pathv + found.gl_pathc);
    globfree(&found);
    TempDir dir;
    size_t built = 0;
    for (const std::string& file : files) {
        for (const ImageChoice images : {ImageChoice::kFirst, ImageChoice::kAll}) {
            BuildPlan plan = PlanOf(dir.File("out.gif"), {PlanEntry{file, images, DelayRule()}, All(file)});
            plan.center = images == ImageChoice::kAll;
            const BuildRun measured = RunPlan(plan, true);
            const BuildRun written = RunPlan(plan);
            ASSERT_EQ(measured.result.ok, written.result.ok) << file;
            if (!written.result.ok) continue;
            ++built;
            EXPECT_EQ(measured.result.summary.bytes, ReadFileBytes(plan.output).size()) << file;
        }
    }
    EXPECT_GT(built, files.size()) << "too few of the corpus files could be built";
}

TEST(NaturalOrderTest, NumbersByValueLettersWithoutCase) {
    const std::vector<std::string> sorted = {"a.gif",
                                             "frame1.gif",
                                             "Frame2.gif",
                                             "frame02.gif",
                                             "frame10.gif",
                                             "frame10b.gif",
                                             "frame100.gif",
                                             "frameB.gif",
                                             "x99999999999999999999.gif",
                                             "x100000000000000000000.gif"};
    for (size_t i = 0; i < sorted.size(); ++i) {
        for (size_t j = 0; j < sorted.size(); ++j) {
            EXPECT_EQ(NaturalLess(sorted[i].c_str(), sorted[j].c_str()), i < j) << sorted[i] << " " << sorted[j];
        }
    }
}

}  // namespace
