// The command line's arguments read into a plan, in-process: which frames,
// with which rules, in which order, and what is refused.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "cli/arguments.h"
#include "cli/frame_lists.h"
#include "test_support.h"

namespace {

struct Parsed {
    ParseResult result;
    Arguments arguments;
};

Parsed Parse(std::vector<std::string> args) {
    args.insert(args.begin(), "zorvane-cli");
    std::vector<const char*> argv;
    for (const std::string& arg : args) argv.push_back(arg.c_str());
    Parsed parsed;
    parsed.result = ParseArguments(static_cast<int>(argv.size()), argv.data(), &parsed.arguments);
    return parsed;
}

// Each entry as "path:all/first:delay" (delay "own" when none is given).
std::vector<std::string> Entries(const BuildPlan& plan) {
    std::vector<std::string> entries;
    for (const PlanEntry& entry : plan.entries) {
        entries.push_back(entry.path + (entry.images == ImageChoice::kAll ? ":all:" : ":first:") +
                          (entry.delay.given ? std::to_string(entry.delay.hundredths) : "own"));
    }
    return entries;
}

TEST(CliArgumentsTest, MakeReadsAPlan) {
    struct PlanCase {
        const char* name;
        std::vector<std::string> args;  // after "make"
        std::vector<std::string> entries;
        std::vector<std::string> notes = {};  // on standard error
        uint32_t plays = kPlayForever;
        FrameOrder order = FrameOrder::kForward;
        bool center = false, dry_run = false;
        FrameEncoding encoding = FrameEncoding::kCopy;
        uint64_t max_bytes = kNoSizeLimit;
    } cases[] = {
        {"OwnDelaysWithoutD", {"-o", "o.gif", "a.gif", "b.gif"}, {"a.gif:first:own", "b.gif:first:own"}},
        {"FirstDBacksUpLaterDRunsOn",
         {"a.gif", "-d", "7", "b.gif", "--delay=300", "c.gif", "-o", "o.gif", "-d", "9"},
         {"a.gif:first:7", "b.gif:first:7", "c.gif:first:300"},
         {"-d 9 applies to no frame"}},
        {"AllFramesFromThereOn",
         {"-o", "o.gif", "a.gif", "--all-frames", "b.gif", "-d", "0", "c.gif"},
         {"a.gif:first:0", "b.gif:all:own", "c.gif:all:0"}},
        {"AnimationBeforeTheFirstDKeepsItsOwn",
         {"-o", "o.gif", "--all-frames", "walk.gif", "-d", "300", "title.gif"},
         {"walk.gif:all:own", "title.gif:all:300"}},
        {"DOwnReturnsToOwnDelays",
         {"-o", "o.gif", "-d", "5", "a.gif", "-d", "own", "b.gif", "--delay=7", "c.gif"},
         {"a.gif:first:5", "b.gif:first:own", "c.gif:first:7"}},
        {"FirstImageUndoesAllFrames",
         {"-o", "o.gif", "--all-frames", "a.gif", "--first-image", "b.gif", "-d", "4"},
         {"a.gif:all:own", "b.gif:first:4"}},
        {"DTimingNoFrameIsNoted",
         {"-o", "o.gif", "-d", "3", "-d", "own", "a.gif", "-d", "5", "b.gif", "-d", "6"},
         {"a.gif:first:own", "b.gif:first:5"},
         {"-d 3 applies to no frame", "-d 6 applies to no frame"}},
        {"OnlyAnimationsBeforeTheOnlyD",
         {"-o", "o.gif", "--all-frames", "walk.gif", "-d", "300"},
         {"walk.gif:all:own"},
         {"-d 300 applies to no frame"}},
        {"NoLoopAndPlaysOneAgree", {"--no-loop", "--plays", "1", "-o", "o.gif", "a.gif"}, {"a.gif:first:own"}, {}, 1},
        {"PlaysOneAndNoLoopAgree", {"--plays=1", "--no-loop", "-o", "o.gif", "a.gif"}, {"a.gif:first:own"}, {}, 1},
        {"PlaysReverseCenterDryRun",
         {"--plays", "3", "--reverse", "--center", "--dry-run", "-o", "o.gif", "a.gif"},
         {"a.gif:first:own"},
         {},
         3,
         FrameOrder::kReverse,
         true,
         true},
        {"NoLoopBounceTwice",
         {"--no-loop", "--bounce", "--bounce", "--output", "o.gif", "a.gif"},
         {"a.gif:first:own"},
         {},
         1,
         FrameOrder::kBounce},
        {"DoubleDashEndsOptions",
         {"-o", "o.gif", "--", "-x.gif", "--plays"},
         {"-x.gif:first:own", "--plays:first:own"}},
        {"DashIsAFile", {"-o", "o.gif", "-"}, {"-:first:own"}},
        {"LaterPlaysCounts", {"--plays", "3", "-o", "o.gif", "--plays=4", "a.gif"}, {"a.gif:first:own"}, {}, 4},
        {"LargestValues", {"--plays=65536", "-d", "65535", "-o", "o.gif", "a.gif"}, {"a.gif:first:65535"}, {}, 65536},
        {"OptimizeWithASizeInMegabytes",
         {"-O", "--max-size", "2M", "-o", "o.gif", "a.gif"},
         {"a.gif:first:own"},
         {},
         kPlayForever,
         FrameOrder::kForward,
         false,
         false,
         FrameEncoding::kSmallest,
         2000000},
        {"SizeInKilobytesAlone",
         {"--max-size=1500k", "-o", "o.gif", "a.gif"},
         {"a.gif:first:own"},
         {},
         kPlayForever,
         FrameOrder::kForward,
         false,
         false,
         FrameEncoding::kCopy,
         1500000},
        {"LongOptimizeSizeInBytes",
         {"--optimize", "--max-size", "999", "-o", "o.gif", "a.gif"},
         {"a.gif:first:own"},
         {},
         kPlayForever,
         FrameOrder::kForward,
         false,
         false,
         FrameEncoding::kSmallest,
         999},
    };
    for (const PlanCase& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<std::string> args = {"make"};
        args.insert(args.end(), c.args.begin(), c.args.end());
        const Parsed parsed = Parse(args);
        ASSERT_EQ(parsed.result.status, ParseStatus::kOk) << parsed.result.problem;
        const BuildPlan& plan = parsed.arguments.plan;
        EXPECT_EQ(parsed.arguments.command, Command::kMake);
        EXPECT_EQ(plan.output, "o.gif");
        EXPECT_EQ(Entries(plan), c.entries);
        EXPECT_EQ(plan.plays, c.plays);
        EXPECT_EQ(plan.order, c.order);
        EXPECT_EQ(plan.center, c.center);
        EXPECT_EQ(parsed.arguments.dry_run, c.dry_run);
        EXPECT_EQ(parsed.arguments.notes, c.notes);
        EXPECT_EQ(plan.forever_count, 0u);
        EXPECT_EQ(plan.mode, OutputMode::kReplaceWhenDone);
        EXPECT_EQ(plan.encoding, c.encoding);
        EXPECT_EQ(plan.max_bytes, c.max_bytes);
    }
}

// Every refused value is quoted in the problem.
TEST(CliArgumentsTest, RefusedValuesAreQuoted) {
    for (const char* value : {"1.5", "10ms", "-5", "70000", "", " 7", "0x10", "99999999999999999999"}) {
        const Parsed parsed = Parse({"make", "-o", "o.gif", "-d", value, "a.gif"});
        EXPECT_EQ(parsed.result.status, ParseStatus::kUsageError) << value;
        EXPECT_NE(parsed.result.problem.find(std::string("'") + value + "'"), std::string::npos)
            << parsed.result.problem;
    }
    for (const char* value : {"0", "0k", "1.5M", "2G", "k", "20 k", "-1", "", "99999999999999999999M"}) {
        const Parsed parsed = Parse({"make", "-o", "o.gif", "--max-size", value, "a.gif"});
        EXPECT_EQ(parsed.result.status, ParseStatus::kUsageError) << value;
        EXPECT_NE(parsed.result.problem.find(std::string("'") + value + "'"), std::string::npos)
            << parsed.result.problem;
    }
    for (const char* value : {"0", "65537", "x", ""}) {
        const Parsed parsed = Parse({"make", "-o", "o.gif", "--plays", value, "a.gif"});
        EXPECT_EQ(parsed.result.status, ParseStatus::kUsageError) << value;
        EXPECT_NE(parsed.result.problem.find(std::string("'") + value + "'"), std::string::npos)
            << parsed.result.problem;
    }
}

TEST(CliArgumentsTest, FrameListsAndInfo) {
    TempDir dir;
    const std::string list = dir.Write("list.txt", {'b', '.', 'g', 'i', 'f', '\r', '\n', '\n', 'c'});
    const Parsed make = Parse({"make", "-o", "o.gif", "-d", "4", "a.gif", "--frames-from", list, "d.gif"});
    ASSERT_EQ(make.result.status, ParseStatus::kOk);
    EXPECT_EQ(Entries(make.arguments.plan),
              std::vector<std::string>({"a.gif:first:4", "b.gif:first:4", "c:first:4", "d.gif:first:4"}));
    const Parsed missing = Parse({"make", "-o", "o.gif", "--frames-from", dir.File("none")});
    EXPECT_EQ(missing.result.status, ParseStatus::kFileError);
    EXPECT_EQ(missing.result.problem_file, dir.File("none"));

    const Parsed info = Parse({"info", "--frames", "a.gif", "--", "--frames", "--"});
    ASSERT_EQ(info.result.status, ParseStatus::kOk);
    EXPECT_TRUE(info.arguments.list_frames);
    EXPECT_EQ(info.arguments.files, std::vector<std::string>({"a.gif", "--frames", "--"}));
}

// A list line of the longest length, read across several chunks, is one
// frame, with LF or CRLF; one byte more stops the reading, at a line end or
// at the end of the list.
TEST(CliArgumentsTest, ListLineOfTheLongestLengthIsTakenOneByteMoreIsNot) {
    TempDir dir;
    const std::string longest(kLongestListLine, 'x');
    for (const char* end : {"\n", "\r\n", ""}) {
        SCOPED_TRACE(testing::PrintToString(end));
        const std::string taken_text = "a.gif\n" + longest + end, refused_text = "a.gif\n" + longest + "y" + end;
        const std::string list = dir.Write("longest.txt", Bytes(taken_text.begin(), taken_text.end()));
        const Parsed taken = Parse({"make", "-o", "o.gif", "--frames-from", list});
        ASSERT_EQ(taken.result.status, ParseStatus::kOk) << taken.result.problem;
        ASSERT_EQ(taken.arguments.plan.entries.size(), 2u);
        EXPECT_EQ(taken.arguments.plan.entries[1].path, longest);

        const std::string longer = dir.Write("longer.txt", Bytes(refused_text.begin(), refused_text.end()));
        const Parsed refused = Parse({"make", "-o", "o.gif", "--frames-from", longer});
        EXPECT_EQ(refused.result.status, ParseStatus::kFileError);
        EXPECT_EQ(refused.result.problem, "line 2 of the frame list is longer than any path");
    }
}

}  // namespace
