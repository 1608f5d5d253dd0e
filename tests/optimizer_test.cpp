// Written smallest (--optimize) and to a size budget (--max-size): one table
// of animations as editors and recorders write them, each built both ways.
// The smallest file must play the same as the default output (every
// composited frame, every duration), be read by giflib, never be larger, and
// keep a damaged image's bytes.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "gif/build_plan.h"
#include "gif/optimized_build.h"
#include "giflib_support.h"
#include "test_support.h"

namespace {

constexpr uint8_t kKeep = 1, kBackground = 2, kPrevious = 3;
constexpr int kOpaque = -1;

void ExpectSameTimeline(const std::vector<ShownPicture>& expected, const std::vector<ShownPicture>& got) {
    ASSERT_EQ(expected.size(), got.size()) << "pictures shown";
    for (size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(expected[i].hundredths, got[i].hundredths) << "picture " << i;
        EXPECT_TRUE(expected[i].canvas == got[i].canvas) << "picture " << i;
    }
}

// One image of a test animation: where, how disposed of, transparency, delay.
struct Layer {
    uint16_t left, top, width, height;
    uint8_t disposal;
    int transparent;
    uint16_t delay;
    bool interlace = false;
};

// The pixels of an image: a background of 8 x 8 squares in colours 1 and 2,
// a 6 x 6 block of colour 3 at (2t, t) for frame t, and colour 0 where
// `transparent` says (every third pixel of the image's first row).
Bytes Picture(const Layer& layer, uint16_t frame, int transparent) {
    Bytes raster(static_cast<size_t>(layer.width) * layer.height);
    for (int y = 0; y < layer.height; ++y) {
        for (int x = 0; x < layer.width; ++x) {
            const int cx = layer.left + x, cy = layer.top + y;
            const bool block = cx >= 2 * frame && cx < 2 * frame + 6 && cy >= frame && cy < frame + 6;
            uint8_t index = block ? 3 : static_cast<uint8_t>(1 + ((cx / 8 + cy / 8) & 1));
            if (transparent >= 0 && y == 0 && x % 3 == 0) index = static_cast<uint8_t>(transparent);
            raster[static_cast<size_t>(y) * layer.width + x] = index;
        }
    }
    return raster;
}

// An animation of `layers`, written by giflib with one table of `colors`
// entries (seeded) on a width x height screen.
std::string Animation(const TempDir& dir, const std::string& name, uint16_t width, uint16_t height,
                      const std::vector<Layer>& layers, uint8_t seed = 0, size_t colors = 4) {
    GifPlan plan;
    plan.width = width, plan.height = height;
    plan.global_map = MakeColorMap(colors, seed);
    for (size_t i = 0; i < layers.size(); ++i) {
        const Layer& layer = layers[i];
        ImagePlan image;
        image.left = layer.left, image.top = layer.top, image.width = layer.width, image.height = layer.height;
        image.interlace = layer.interlace;
        image.raster = colors > 4 ? MakeRaster(layer.width, layer.height, static_cast<unsigned>(colors),
                                               static_cast<uint32_t>(seed + i))
                                  : Picture(layer, static_cast<uint16_t>(i), layer.transparent);
        const uint8_t packed = static_cast<uint8_t>((layer.disposal << 2) | (layer.transparent >= 0 ? 1 : 0));
        image.extensions.push_back(GraphicControlPlan(
            packed, layer.delay, static_cast<uint8_t>(layer.transparent >= 0 ? layer.transparent : 0)));
        plan.images.push_back(image);
    }
    const std::string path = dir.File(name);
    EXPECT_TRUE(EncodeGif(path, plan));
    return path;
}

// `count` whole frames of width x height, as an editor exports them.
std::vector<Layer> WholeFrames(uint16_t width, uint16_t height, size_t count, uint8_t disposal,
                               bool interlace = false) {
    std::vector<Layer> layers;
    for (size_t i = 0; i < count; ++i) layers.push_back({0, 0, width, height, disposal, kOpaque, 6, interlace});
    return layers;
}

BuildPlan PlanOf(const std::string& output, const std::vector<std::string>& inputs) {
    BuildPlan plan;
    plan.output = output;
    for (const std::string& input : inputs) plan.entries.push_back({input, ImageChoice::kAll, DelayRule()});
    return plan;
}

uint64_t DurationOf(const std::vector<ShownPicture>& timeline) {
    uint64_t total = 0;
    for (const ShownPicture& shown : timeline) total += shown.hundredths;
    return total;
}

TEST(OptimizerTest, PlaysAsTheDefaultOutputInFewerBytes) {
    TempDir dir;
    const std::string whole = Animation(dir, "whole.gif", 40, 24, WholeFrames(40, 24, 12, kKeep));
    const std::string whole_cleared = Animation(dir, "cleared.gif", 40, 24, WholeFrames(40, 24, 6, kBackground), 3);
    const std::string interlaced = Animation(dir, "interlaced.gif", 40, 24, WholeFrames(40, 24, 5, kKeep, true), 5);
    // What `-layers optimize` writes: a whole first frame, then the changed
    // parts, with transparent pixels over what stays.
    const std::string layered = Animation(dir, "layered.gif", 40, 24,
                                          {{0, 0, 40, 24, kKeep, kOpaque, 8},
                                           {0, 0, 10, 8, kKeep, 0, 8},
                                           {2, 1, 10, 8, kKeep, 0, 8},
                                           {4, 2, 10, 9, kKeep, 0, 9}});
    // A sprite on a clear canvas, each image cleared after it is shown.
    const std::string sprite =
        Animation(dir, "sprite.gif", 30, 20,
                  {{0, 0, 8, 8, kBackground, 0, 5}, {6, 3, 8, 8, kBackground, 0, 5}, {14, 9, 8, 8, kBackground, 0, 5}});
    // A sprite over a kept background, each put back as it was.
    const std::string restored = Animation(dir, "restored.gif", 30, 20,
                                           {{0, 0, 30, 20, kKeep, kOpaque, 4},
                                            {3, 2, 6, 6, kPrevious, 0, 4},
                                            {9, 5, 6, 6, kPrevious, 1, 4},
                                            {20, 10, 6, 6, kPrevious, kOpaque, 4},
                                            {0, 0, 4, 4, kKeep, 2, 4}});
    // Frames that show the same picture: merged where both last 2 or more.
    const std::string repeated = Animation(dir, "repeated.gif", 24, 16,
                                           {{0, 0, 24, 16, kKeep, kOpaque, 5},
                                            {0, 0, 24, 16, kKeep, kOpaque, 7},
                                            {0, 0, 3, 3, kKeep, 1, 1},
                                            {0, 0, 3, 3, kKeep, 1, 1},
                                            {0, 0, 3, 3, kKeep, 1, 0},
                                            {0, 0, 3, 3, kKeep, 1, 40}});
    // Two tables of 256 colours, the second image over part of the first:
    // the canvas shows more colours than one table holds.
    const std::string many = Animation(dir, "many.gif", 32, 32,
                                       {{0, 0, 32, 32, kKeep, kOpaque, 3}, {8, 8, 16, 16, kKeep, kOpaque, 3}}, 9, 256);
    // An image wholly beside the screen, cleared after it is shown.
    const std::string beside =
        Animation(dir, "beside.gif", 20, 10,
                  {{0, 0, 20, 10, kKeep, kOpaque, 4}, {30, 2, 4, 4, kBackground, 0, 4}, {2, 2, 4, 4, kKeep, 0, 4}});
    const std::string other = Animation(dir, "other.gif", 40, 24, WholeFrames(40, 24, 3, kKeep), 77);
    // The second image's codes start with one the table does not hold yet.
    const std::string damaged = dir.Write("damaged.gif", GifBuilder()
                                                             .Header()
                                                             .Screen(8, 8, 0x81)
                                                             .ColorTable(4)
                                                             .GraphicControl(0x04, 5, 0)
                                                             .ImageDescriptor(0, 0, 8, 8, 0)
                                                             .SimpleImageData(8, 8, 2)
                                                             .GraphicControl(0x04, 5, 0)
                                                             .ImageDescriptor(0, 0, 8, 8, 0)
                                                             .ImageData(2, {{0xFF, 0xFF, 0xFF}})
                                                             .Trailer()
                                                             .bytes());
    struct OptimizeCase {
        const char* name;
        std::vector<std::string> inputs;
        FrameOrder order;
        bool smaller;     // strictly smaller than the default output
        bool same_bytes;  // the default output's bytes, byte for byte
    };
    const OptimizeCase cases[] = {
        {"WholeFrames", {whole}, FrameOrder::kForward, true, false},
        {"WholeFramesClearedEachTime", {whole_cleared}, FrameOrder::kForward, true, false},
        {"Interlaced", {interlaced}, FrameOrder::kForward, true, false},
        {"LayersOptimised", {layered}, FrameOrder::kForward, false, false},
        {"SpriteClearedToBackground", {sprite}, FrameOrder::kForward, false, false},
        {"SpriteRestoredToPrevious", {restored}, FrameOrder::kForward, false, false},
        {"IdenticalFrames", {repeated}, FrameOrder::kForward, true, false},
        {"MoreColoursThanOneTable", {many}, FrameOrder::kForward, false, false},
        {"ImageBesideTheScreen", {beside}, FrameOrder::kForward, false, false},
        {"JoinOfTwoTables", {whole, other, sprite}, FrameOrder::kForward, true, false},
        {"JoinOfThreeCopies", {whole, whole, whole}, FrameOrder::kForward, true, false},
        {"Bounce", {sprite, whole_cleared}, FrameOrder::kBounce, true, false},
        {"ReverseOfLayersDrawnOverOneAnother", {layered, restored}, FrameOrder::kReverse, false, false},
        {"DamagedImageKeptAsItIs", {whole, damaged}, FrameOrder::kForward, false, true},
    };
    for (const OptimizeCase& c : cases) {
        SCOPED_TRACE(c.name);
        BuildPlan plan = PlanOf(dir.File("default.gif"), c.inputs);
        plan.order = c.order;
        const BuildRun copied = RunPlan(plan);
        ASSERT_TRUE(copied.result.ok);
        plan.output = dir.File("smallest.gif");
        plan.encoding = FrameEncoding::kSmallest;
        const BuildRun measured = RunPlan(plan, true);
        const BuildRun built = RunPlan(plan);
        ASSERT_TRUE(built.result.ok) << (built.result.message ? built.result.message : "");
        const Bytes bytes = ReadFileBytes(plan.output);
        const Bytes default_bytes = ReadFileBytes(dir.File("default.gif"));
        EXPECT_EQ(measured.result.summary.bytes, bytes.size()) << "measured size";
        EXPECT_EQ(built.result.summary.bytes, bytes.size());
        EXPECT_LE(bytes.size(), default_bytes.size());
        if (c.smaller) {
            EXPECT_LT(bytes.size(), default_bytes.size());
        }
        if (c.same_bytes) {
            EXPECT_TRUE(bytes == default_bytes);
            continue;
        }
        DecodedGif decoded;
        EXPECT_TRUE(SlurpGif(plan.output, &decoded)) << GiflibErrorText(decoded.error);
        EXPECT_EQ(decoded.images.size(), built.result.summary.frames);
        const std::vector<ShownPicture> expected = PlayedTimeline(dir.File("default.gif"));
        ExpectSameTimeline(expected, PlayedTimeline(plan.output));
        EXPECT_EQ(built.result.summary.duration, copied.result.summary.duration);
        EXPECT_EQ(built.result.summary.played_duration, copied.result.summary.played_duration);
    }
}

// A budget the smallest file meets is met with every frame; a smaller one
// by leaving frames out, evenly and keeping the time they took; one that
// even a frame of each file cannot meet is refused and nothing is written.
TEST(OptimizerTest, SizeBudget) {
    TempDir dir;
    std::vector<Layer> noisy;
    for (int i = 0; i < 20; ++i) noisy.push_back({0, 0, 48, 32, kKeep, kOpaque, static_cast<uint16_t>(3 + i)});
    const std::string first = Animation(dir, "noisy.gif", 48, 32, noisy, 4, 64);
    const std::string second = Animation(dir, "second.gif", 48, 32, WholeFrames(48, 32, 4, kKeep), 6);
    BuildPlan plan = PlanOf(dir.File("out.gif"), {first, second});
    plan.encoding = FrameEncoding::kSmallest;
    ASSERT_TRUE(RunPlan(plan).result.ok);
    const std::vector<ShownPicture> all = PlayedTimeline(plan.output);
    const uint64_t smallest = ReadFileBytes(plan.output).size();
    plan.encoding = FrameEncoding::kCopy;
    struct BudgetCase {
        const char* name;
        uint64_t budget;
        bool fits;
        bool drops;
    };
    const BudgetCase cases[] = {
        {"MetWithEveryFrame", smallest, true, false},
        {"MetByLeavingFramesOut", smallest * 3 / 5, true, true},
        {"Refused", 200, false, false},
    };
    for (const BudgetCase& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string output = dir.Write("kept.gif", Bytes(100, 7));
        plan.output = output;
        plan.max_bytes = c.budget;
        const BuildRun measured = RunPlan(plan, true);
        const BuildRun built = RunPlan(plan);
        EXPECT_EQ(built.result.ok, c.fits);
        EXPECT_EQ(measured.result.ok, c.fits);
        if (!c.fits) {
            EXPECT_EQ(built.messages, std::vector<Message>({{kMsgBudgetTooSmall, MessageIcon::kWarning}}));
            EXPECT_TRUE(ReadFileBytes(output) == Bytes(100, 7));
            continue;
        }
        const Bytes bytes = ReadFileBytes(output);
        EXPECT_LE(bytes.size(), c.budget);
        EXPECT_EQ(measured.result.summary.bytes, bytes.size());
        const PlanSummary& summary = built.result.summary;
        const std::vector<ShownPicture> got = PlayedTimeline(output);
        EXPECT_EQ(DurationOf(got), DurationOf(all));
        EXPECT_EQ(summary.duration, DurationOf(all));
        if (!c.drops) {
            EXPECT_EQ(summary.dropped_frames, 0u);
            ExpectSameTimeline(all, got);
            continue;
        }
        EXPECT_GT(summary.dropped_frames, 0u);
        EXPECT_EQ(summary.frames_before_dropping, 24u);
        EXPECT_EQ(summary.frames + summary.dropped_frames, 24u);
        // The second file keeps a frame: its first picture is still shown.
        bool second_shown = false;
        for (const ShownPicture& shown : got) second_shown = second_shown || shown.canvas == all[20].canvas;
        EXPECT_TRUE(second_shown);
        EXPECT_EQ(FormatDroppedFrames(summary, c.budget),
                  "dropped " + std::to_string(summary.dropped_frames) + " of 24 frames to fit " +
                      std::to_string(c.budget / 1000) + "," + std::to_string(c.budget % 1000 + 1000).substr(1) +
                      " bytes");
    }
}

}  // namespace
