// zorvane-cli run as a separate process (fork and exec, never a shell), its
// output files read back with giflib, and the fault-injection table: every
// way a user's disk can hand the command line a bad output or input path.
#include <dirent.h>
#include <fcntl.h>
#include <grp.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <cstdint>
#include <cstdlib>
#include <functional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "gif/optimized_build.h"
#include "giflib_support.h"
#include "test_support.h"
#include "zorvane_version.h"

namespace {

constexpr int kExitOk = 0;
constexpr int kExitMessage = 1;
constexpr int kExitUsage = 2;
constexpr uid_t kNobody = 65534;  // also its group id
// Hang guards, not timings: a run still going after this long is killed and
// the test fails. The 4 GiB input is read to its end, which takes a while.
constexpr int kGuardSeconds = 60;
constexpr int kFifoGuardSeconds = 10;
constexpr int kHugeFileGuardSeconds = 600;

const char kHint[] = "Try 'zorvane-cli --help' for more information.";
const char kCouldNotOpen[] = "Could not open file. GIF creation aborted.";
const char kCouldNotCreate[] = "Could not create output file.";
const char kCouldNotWrite[] = "Could not write output file. GIF creation aborted.";
const char kOutputIsFrame[] = "The output file is one of the frames. GIF creation aborted.";
const char kPrematureEnd[] = "Premature end of file encountered; no GIF image data present.";
const char kNotAGif[] = "Not a GIF file, or incorrect version number.";

// What the command line says of a failing frame, and of its output.
std::string FrameMessage(const std::string& path, size_t number, size_t count, const char* text) {
    return "zorvane-cli: " + path + " (frame " + std::to_string(number) + " of " + std::to_string(count) +
           "): " + text + "\n";
}
std::string OutputMessage(const std::string& path, const char* text) {
    return "zorvane-cli: " + path + ": " + text + "\n";
}

struct CliRun {
    int status = -1;  // exit status, or 128 + signal number
    bool hung = false;
    std::string out, err;
};

struct RunSettings {
    std::string cwd{};       // empty: the test's own
    bool as_nobody = false;  // drop to nobody before exec (root only)
    int guard_seconds = kGuardSeconds;
    std::string stdin_path{};  // empty: /dev/null
    // When this callback first returns true (it is asked every 10 ms), the
    // run gets `interrupt_signal`: SIGINT, as Ctrl+C, unless set.
    std::function<bool()> interrupt_when{};
    int interrupt_signal = SIGINT;
    std::vector<std::string> environment{};  // NAME=VALUE, added to the run's
    rlim_t open_file_limit = 0;              // > 0: the most descriptors the run may have open
    int umask = -1;                          // >= 0: the run's umask
    bool stderr_to_stdout = false;           // both into `out`, as 2>&1 does
};

std::string ReadText(const std::string& path) {
    const Bytes bytes = ReadFileBytes(path);
    return std::string(bytes.begin(), bytes.end());
}

// stdout and stderr go to files of a folder of their own, so that no test
// folder is touched by the capture.
CliRun RunCli(const std::vector<std::string>& args, const RunSettings& settings = {}) {
    TempDir capture;
    const std::string out_path = capture.File("stdout"), err_path = capture.File("stderr");
    std::vector<char*> argv = {const_cast<char*>(ZORVANE_CLI_PATH)};
    for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    const ChildOutcome outcome = RunChild(
        [&] {
            const int in = open(settings.stdin_path.empty() ? "/dev/null" : settings.stdin_path.c_str(), O_RDONLY);
            const int out = open(out_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
            const int err =
                settings.stderr_to_stdout ? dup(out) : open(err_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
            if (in < 0 || out < 0 || err < 0 || dup2(in, 0) < 0 || dup2(out, 1) < 0 || dup2(err, 2) < 0) return 124;
            for (const int fd : {in, out, err}) {
                if (fd > 2) close(fd);  // a limit on descriptors counts the capture's too
            }
            const struct rlimit limit = {settings.open_file_limit, settings.open_file_limit};
            if (settings.open_file_limit > 0 && setrlimit(RLIMIT_NOFILE, &limit) != 0) return 123;
            if (settings.umask >= 0) ::umask(static_cast<mode_t>(settings.umask));
            if (!settings.cwd.empty() && chdir(settings.cwd.c_str()) != 0) return 125;
            for (const std::string& variable : settings.environment) putenv(const_cast<char*>(variable.c_str()));
            if (settings.as_nobody && (setgroups(0, nullptr) != 0 || setgid(kNobody) != 0 || setuid(kNobody) != 0)) {
                return 126;
            }
            execv(ZORVANE_CLI_PATH, argv.data());
            return 127;
        },
        {settings.guard_seconds, settings.interrupt_when, settings.interrupt_signal});
    CliRun run;
    run.hung = outcome.hung;
    run.status = outcome.status >= 256 ? 128 + outcome.status - 256 : outcome.status;
    run.out = ReadText(out_path);
    run.err = ReadText(err_path);
    return run;
}

// What a file is and holds: mode, inode and times of the path itself (a
// symlink included) and of what it names, size, links and, up to 64 MiB, the
// bytes. Any write to a larger file still moves its times.
std::string Fingerprint(const std::string& path) {
    struct stat link, info;
    if (lstat(path.c_str(), &link) != 0) return "missing";
    if (stat(path.c_str(), &info) != 0) return "dangling";
    std::ostringstream text;
    for (const struct stat* s : {&link, &info}) {
        text << std::oct << s->st_mode << std::dec << " inode " << s->st_ino << " links " << s->st_nlink << " size "
             << s->st_size << " mtime " << s->st_mtim.tv_sec << "." << s->st_mtim.tv_nsec << " ctime "
             << s->st_ctim.tv_sec << "." << s->st_ctim.tv_nsec << "; ";
    }
    if (S_ISREG(info.st_mode) && info.st_size <= (off_t{64} << 20)) text << std::hash<std::string>()(ReadText(path));
    return text.str();
}

// A small valid frame, readable by everyone whatever the umask, so that a
// run as nobody fails only where a case means it to.
std::string WriteFrame(const TempDir& dir, const std::string& name, uint16_t width = 4, uint16_t height = 3,
                       uint8_t table_size_field = 1) {
    const std::string path = dir.Write(name, SimpleGif(width, height, table_size_field));
    chmod(path.c_str(), 0644);
    return path;
}

bool MakeFolder(const std::string& path, mode_t mode = 0755) {
    return mkdir(path.c_str(), 0755) == 0 && chmod(path.c_str(), mode) == 0;
}

// A 4 GiB file, all of it a hole but for a GIF header and screen, a comment
// whose sub-block is skipped, and at the very end an extension whose one
// sub-block length sends the reader 255 bytes past the end of the file. The
// reader passes over 4 GiB of zero bytes, across the 4 GiB offset, and then
// finds no image.
bool WriteSparseGif(const std::string& path) {
    constexpr off_t kSize = off_t{1} << 32;
    const Bytes start =
        GifBuilder().Header("89a").Screen(16, 16, 0x00).Raw({0x21, 0xFE, 0xFF}).Raw(Bytes(255, 'x')).bytes();
    const Bytes end = {0x21, 0xFE, 0xFF};
    const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) return false;
    struct stat info;
    const bool ok = write(fd, start.data(), start.size()) == static_cast<ssize_t>(start.size()) &&
                    ftruncate(fd, kSize) == 0 &&
                    pwrite(fd, end.data(), end.size(), kSize - static_cast<off_t>(end.size())) ==
                        static_cast<ssize_t>(end.size()) &&
                    fstat(fd, &info) == 0 && info.st_blocks * 512 < (off_t{64} << 20);  // sparse for real
    return close(fd) == 0 && ok;
}

// Usage, help, version, info.

// Each table below names its cases after their `name`.
template <typename Case>
std::string CaseName(const ::testing::TestParamInfo<Case>& info) {
    return info.param.name;
}

struct UsageCase {
    const char* name;
    std::vector<std::string> args;
};

void PrintTo(const UsageCase& usage, std::ostream* os) { *os << ::testing::PrintToString(usage.args); }

class CliUsageTest : public ::testing::TestWithParam<UsageCase> {};

TEST_P(CliUsageTest, ExitsTwoWithTheProblemAndOneHintLineAndTouchesNoFile) {
    TempDir dir;
    WriteFrame(dir, "a.gif");
    const CliRun run = RunCli(GetParam().args, {dir.path()});
    EXPECT_EQ(run.status, kExitUsage);
    EXPECT_EQ(run.out, "");
    const size_t first_line_end = run.err.find('\n');
    ASSERT_NE(first_line_end, std::string::npos) << run.err;
    EXPECT_EQ(run.err.rfind("zorvane-cli: ", 0), 0u) << run.err;
    EXPECT_GT(first_line_end, sizeof "zorvane-cli: " - 1) << run.err;
    EXPECT_EQ(run.err.substr(first_line_end + 1), std::string(kHint) + "\n");
    EXPECT_FALSE(FileExists(dir.File("out.gif")));
}

const UsageCase kUsageCases[] = {
    {"NoCommand", {}},
    {"UnknownCommand", {"convert", "a.gif"}},
    {"NoFrames", {"make", "-o", "out.gif"}},
    {"DelayWithoutValue", {"make", "-o", "out.gif", "a.gif", "-d"}},
    {"UnknownInfoOption", {"info", "-v", "a.gif"}},
    {"FramesFromWithoutValue", {"make", "-o", "out.gif", "a.gif", "--frames-from"}},
    {"EmptyOutput", {"make", "-o", "", "a.gif"}},
    {"EmptyOutputEquals", {"make", "--output=", "a.gif"}},
    {"DelayFraction", {"make", "-o", "out.gif", "-d", "1.5", "a.gif"}},
    {"DelayWithUnit", {"make", "-o", "out.gif", "--delay=10ms", "a.gif"}},
    {"DelayNegative", {"make", "-o", "out.gif", "-d", "-5", "a.gif"}},
    {"DelayTooLarge", {"make", "-o", "out.gif", "-d", "70000", "a.gif"}},
    {"DelayEmpty", {"make", "-o", "out.gif", "-d", "", "a.gif"}},
    {"DelayBlanks", {"make", "-o", "out.gif", "-d", " 7 ", "a.gif"}},
    {"PlaysZero", {"make", "-o", "out.gif", "--plays", "0", "a.gif"}},
    {"PlaysTooMany", {"make", "-o", "out.gif", "--plays=65537", "a.gif"}},
    {"PlaysAndNoLoopDisagree", {"make", "-o", "out.gif", "--plays", "3", "--no-loop", "a.gif"}},
    {"ReverseAndBounce", {"make", "-o", "out.gif", "--reverse", "--bounce", "a.gif"}},
    {"MaxSizeWithAnotherUnit", {"make", "-o", "out.gif", "--max-size", "2G", "a.gif"}},
    {"MaxSizeWithoutValue", {"make", "-o", "out.gif", "a.gif", "--max-size"}}};

INSTANTIATE_TEST_SUITE_P(Cli, CliUsageTest, ::testing::ValuesIn(kUsageCases), CaseName<UsageCase>);

TEST(CliTest, VersionAndHelpGoToStdout) {
    const CliRun version = RunCli({"--version"});
    EXPECT_EQ(version.status, kExitOk);
    EXPECT_EQ(version.out, "zorvane-cli " ZORVANE_VERSION_TEXT "\n");
    EXPECT_EQ(version.err, "");
    const CliRun help = RunCli({"--help"});
    EXPECT_EQ(help.status, kExitOk);
    EXPECT_EQ(help.err, "");
    std::string words;  // the help with its line breaks and indents as single spaces
    for (const char c : help.out) {
        if (c != ' ' && c != '\n')
            words += c;
        else if (!words.empty() && words.back() != ' ')
            words += ' ';
    }
    for (const char* text :
         {"make -o OUTPUT", "--no-loop", "--frames-from LIST", "info [--frames] FILE", "--all-frames", "--plays N",
          "--reverse", "--bounce", "--center", "--dry-run", "-O, --optimize", "--max-size SIZE",
          "Browsers show a delay of 0 or 1 as 10 hundredths; 2 is the fastest delay that plays as set."})
        EXPECT_NE(words.find(text), std::string::npos) << text;
}

TEST(CliTest, InfoPrintsOneLinePerFileAndGoesOnAfterEachFailure) {
    TempDir dir;
    const std::string global = dir.Write("global.gif", SimpleGif(100, 50, 7));
    const std::string text = dir.Write("notes.gif", Bytes{'G', 'I', 'F', '8', '9', 'A', 0, 0});
    GifBuilder local;  // a local table of size field 3 wins over the global table
    local.Header("87a").Screen(7, 9, 0x81).ColorTable(4).ImageDescriptor(1, 1, 2, 2, 0x83).ColorTable(16);
    local.SimpleImageData(2, 2, 4).Trailer();
    const std::string cut = dir.Write("cut.gif", GifBuilder().Header("89a").Screen(5, 5, 0x00).Trailer().bytes());
    GifBuilder none;  // no table at all: the depth comes from the screen's size field
    none.Header("89a").Screen(65535, 1, 0x00).ImageDescriptor(0, 0, 1, 1, 0x00).SimpleImageData(1, 1).Trailer();
    const std::string missing = dir.File("missing.gif");
    const std::string local_path = dir.Write("local.gif", local.bytes()),
                      none_path = dir.Write("none.gif", none.bytes());

    const CliRun run = RunCli({"info", global, text, local_path, cut, none_path, missing});
    EXPECT_EQ(run.status, kExitMessage);
    EXPECT_EQ(run.out, global + ": 100 x 50, global (8 bpp)\n" + local_path + ": 7 x 9, local (4 bpp)\n" + none_path +
                           ": 65535 x 1, none (1 bpp)\n");
    EXPECT_EQ(run.err, "zorvane-cli: " + text + ": " + kNotAGif + "\nzorvane-cli: " + cut + ": " + kPrematureEnd +
                           "\nzorvane-cli: " + missing + ": Could not open file.\n");

    // Read as one stream (2>&1), each message stands between the lines of
    // the files before and after it.
    RunSettings together;
    together.stderr_to_stdout = true;
    EXPECT_EQ(RunCli({"info", global, text, local_path}, together).out,
              global + ": 100 x 50, global (8 bpp)\nzorvane-cli: " + text + ": " + kNotAGif + "\n" + local_path +
                  ": 7 x 9, local (4 bpp)\n");
}

// Every image of an animation: the size printed by --dry-run is the size
// then written, the first image alone gets a note (and so does the
// animation re-encoded to play backwards), and info --frames lists the
// images as giflib and the records have them.
TEST(CliTest, AllFramesDryRunNoteAndInfoFrames) {
    TempDir dir;
    GifBuilder anim;
    anim.Header().Screen(6, 5, 0x81).ColorTable(4);
    anim.GraphicControl(0x04, 12, 0).ImageDescriptor(0, 0, 6, 5, 0).SimpleImageData(6, 5);
    anim.GraphicControl(0x05, 30, 2).ImageDescriptor(2, 1, 3, 3, 0x80).ColorTable(2).SimpleImageData(3, 3, 2, 2);
    const std::string animated = dir.Write("anim.gif", anim.Trailer().bytes());
    const std::string single = WriteFrame(dir, "a.gif", 4, 3);
    const std::string output = dir.File("out.gif");

    const CliRun dry = RunCli({"make", "--dry-run", "--all-frames", "-o", output, animated, single});
    EXPECT_EQ(dry.status, kExitOk) << dry.err;
    EXPECT_FALSE(FileExists(output));
    unsigned frames = 0, width = 0, height = 0;
    unsigned long long bytes = 0;
    char seconds[32] = {};
    ASSERT_EQ(std::sscanf(dry.out.c_str(),
                          (output + ": %u frames (1 added to clear the canvas between animations), %31s s, %u x %u, "
                                    "%llu bytes")
                              .c_str(),
                          &frames, seconds, &width, &height, &bytes),
              5)
        << dry.out;
    EXPECT_EQ(frames, 4u);  // a clearing frame before a.gif, which does not cover what anim.gif left
    EXPECT_STREQ(seconds, "0.42");
    EXPECT_EQ(width, 6u);

    const CliRun made = RunCli({"make", "--all-frames", "-o", output, animated, single});
    EXPECT_EQ(made.status, kExitOk) << made.err;
    EXPECT_EQ(ReadFileBytes(output).size(), bytes);
    DecodedGif decoded;
    ASSERT_TRUE(SlurpGif(output, &decoded)) << GiflibErrorText(decoded.error);
    ASSERT_EQ(decoded.images.size(), 4u);
    EXPECT_EQ(decoded.images[1].left, 2);

    const CliRun info = RunCli({"info", "--frames", output});
    EXPECT_EQ(info.status, kExitOk);
    EXPECT_EQ(info.out,
              output +
                  ":\n"
                  "  image 1: 6 x 5 at 0,0, delay 12, disposal 1, opaque, global palette (2 bpp)\n"
                  "  image 2: 3 x 3 at 2,1, delay 28, disposal 1, transparent index 2, local palette (1 bpp)\n"
                  "  image 3: 6 x 5 at 0,0, delay 2, disposal 2, transparent index 0, local palette (1 bpp)\n"
                  "  image 4: 4 x 3 at 0,0, delay 0, disposal 0, opaque, global palette (2 bpp)\n"
                  "  4 frames, 0.42 s, 6 x 5, plays forever\n");

    const CliRun first = RunCli({"make", "--plays", "2", "-o", output, animated, single});
    EXPECT_EQ(first.status, kExitOk);
    EXPECT_EQ(first.err, "zorvane-cli: note: " + animated +
                             " holds more than one image; only its first is taken (--all-frames takes all)\n");
    EXPECT_NE(RunCli({"info", "--frames", output}).out.find("2 frames, 0.12 s, 6 x 5, plays 2 times"),
              std::string::npos);
    // Measuring tells of the images left out too.
    EXPECT_EQ(RunCli({"make", "--dry-run", "-o", output, animated, single}).err, first.err);

    // Durations in hundredths keep their leading zero; a -d that times no frame is noted.
    const CliRun timed = RunCli({"make", "--dry-run", "-o", output, single, "-d", "105", "-d", "own"});
    EXPECT_EQ(timed.status, kExitOk);
    EXPECT_EQ(timed.out.rfind(output + ": 1 frame, 1.05 s, 4 x 3, ", 0), 0u) << timed.out;
    EXPECT_EQ(timed.err, "zorvane-cli: note: -d own applies to no frame\n");
    ASSERT_EQ(RunCli({"make", "-o", output, "-d", "105", single}).status, kExitOk);
    EXPECT_NE(RunCli({"info", "--frames", output}).out.find("  1 frame, 1.05 s, 4 x 3, plays forever\n"),
              std::string::npos);

    // Its second image is drawn over the first: played backwards, it is re-encoded.
    const CliRun reversed = RunCli({"make", "--reverse", "--all-frames", "-o", output, animated});
    EXPECT_EQ(reversed.status, kExitOk);
    EXPECT_EQ(reversed.err, "zorvane-cli: note: " + animated +
                                ": its images are drawn over one another; re-encoded to play backwards\n");
}

// Written smallest, --dry-run gives the size then written; to a budget the
// frames left out are noted, and a budget that one frame of each file does
// not meet is refused, the old output kept.
TEST(CliTest, OptimizeAndMaxSize) {
    TempDir dir;
    GifBuilder anim;  // whole frames, each with a table of its own colours
    anim.Header().Screen(16, 16, 0x00);
    for (uint8_t i = 0; i < 6; ++i) {
        anim.GraphicControl(0x04, 10, 0).ImageDescriptor(0, 0, 16, 16, 0x81).ColorTable(4, i);
        anim.SimpleImageData(16, 16);
    }
    const std::string animated = dir.Write("anim.gif", anim.Trailer().bytes());
    const std::string output = dir.File("out.gif");
    const CliRun dry = RunCli({"make", "-O", "--dry-run", "--all-frames", "-o", output, animated});
    EXPECT_EQ(dry.status, kExitOk) << dry.err;
    unsigned long long bytes = 0;
    ASSERT_EQ(std::sscanf(dry.out.c_str(), (output + ": 6 frames, 0.60 s, 16 x 16, %llu bytes").c_str(), &bytes), 1)
        << dry.out;
    const CliRun made = RunCli({"make", "--optimize", "--all-frames", "-o", output, animated});
    EXPECT_EQ(made.status, kExitOk) << made.err;
    EXPECT_EQ(made.err, "");
    EXPECT_EQ(ReadFileBytes(output).size(), bytes);

    const std::string budget = std::to_string(bytes - 1);
    const CliRun fitted = RunCli({"make", "--max-size", budget, "--all-frames", "-o", output, animated});
    EXPECT_EQ(fitted.status, kExitOk) << fitted.err;
    unsigned dropped = 0;
    char fit[32] = {};
    ASSERT_EQ(std::sscanf(fitted.err.c_str(), "zorvane-cli: note: dropped %u of 6 frames to fit %31[0-9,] bytes\n",
                          &dropped, fit),
              2)
        << fitted.err;
    EXPECT_GT(dropped, 0u);
    EXPECT_LE(ReadFileBytes(output).size(), bytes - 1);
    DecodedGif decoded;
    ASSERT_TRUE(SlurpGif(output, &decoded)) << GiflibErrorText(decoded.error);
    EXPECT_EQ(decoded.images.size(), 6u - dropped);

    const Bytes kept = ReadFileBytes(output);
    const CliRun refused = RunCli({"make", "--max-size", "50", "--all-frames", "-o", output, animated});
    EXPECT_EQ(refused.status, kExitMessage);
    EXPECT_EQ(refused.err, "zorvane-cli: " + output + ": " + kMsgBudgetTooSmall + "\n");
    EXPECT_EQ(ReadFileBytes(output), kept);
}

// A pipe cannot be seeked on: the output written to one is the same as to a
// file, its screen and joins included, and so is the smallest output. The
// output is larger than the pipe holds and the reader starts late: the
// program waits for it, never fails.
TEST(CliTest, OutputToAPipeIsTheSameAsToAFile) {
    TempDir dir;
    GifBuilder anim;  // an image drawn over a larger one: the join needs a clearing frame
    anim.Header().Screen(6, 5, 0x81).ColorTable(4);
    anim.GraphicControl(0x04, 12, 0).ImageDescriptor(0, 0, 6, 5, 0).SimpleImageData(6, 5);
    anim.GraphicControl(0x05, 30, 2).ImageDescriptor(2, 1, 3, 3, 0).SimpleImageData(3, 3);
    const std::string animated = dir.Write("anim.gif", anim.Trailer().bytes());
    const std::string frame = WriteFrame(dir, "a.gif", 9, 2), big = WriteFrame(dir, "big.gif", 600, 600);
    const std::string file = dir.File("file.gif"), fifo = dir.File("pipe");
    constexpr size_t kPipeCapacity = 64 * 1024;  // Linux's default
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    for (const char* encoding : {"--all-frames", "--optimize"}) {
        SCOPED_TRACE(encoding);
        ASSERT_EQ(RunCli({"make", "--all-frames", encoding, "-o", file, animated, frame, big}).status, kExitOk);
        // (Written smallest, the output fits in the pipe.)
        if (std::string(encoding) == "--all-frames") {
            ASSERT_GT(ReadFileBytes(file).size(), 2 * kPipeCapacity);
        }
        // Held open for reading from the start, so that the program's open finds
        // a reader; read only after a while, and until the program is done.
        const int reader = open(fifo.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
        ASSERT_GE(reader, 0);
        ASSERT_EQ(fcntl(reader, F_SETFL, fcntl(reader, F_GETFL) & ~O_NONBLOCK), 0);
        std::atomic<bool> done{false};
        Bytes piped;
        std::thread drain([&] {
            usleep(300 * 1000);
            uint8_t buffer[4096];
            for (;;) {
                const ssize_t n = read(reader, buffer, sizeof buffer);  // 0: no writer (yet, or any more)
                if (n > 0) piped.insert(piped.end(), buffer, buffer + n);
                if (n == 0 && done) break;
                if (n == 0) usleep(10 * 1000);
            }
        });
        const CliRun run = RunCli({"make", "--all-frames", encoding, "-o", fifo, animated, frame, big});
        done = true;
        drain.join();
        close(reader);
        EXPECT_EQ(run.status, kExitOk) << run.err;
        struct stat info;
        EXPECT_TRUE(stat(fifo.c_str(), &info) == 0 && S_ISFIFO(info.st_mode)) << "the pipe was replaced";
        EXPECT_EQ(piped, ReadFileBytes(file));
    }
}

// The third of five frames fails, or the run is interrupted (Ctrl+C, a
// termination request, the terminal closed): while it reads a long frame, or
// at the very moment its temporary file is created. The file that was at the
// output is as it was, and no temporary file is left beside it.
TEST(CliTest, FailedOrInterruptedMakeKeepsTheOldOutput) {
    TempDir dir;
    const std::string a = WriteFrame(dir, "a.gif"), bad = dir.Write("bad.gif", Bytes{'G', 'I', 'F', '8', '7'});
    const Bytes old = SimpleGif(7, 7);
    const std::string output = dir.Write("out.gif", old);
    auto names = [&] {
        std::vector<std::string> found;
        for (const char* name : {"a.gif", "bad.gif", "huge.gif", "out.gif"}) {
            if (FileExists(dir.File(name))) found.push_back(name);
        }
        return found;
    };
    auto file_count = [&] {
        size_t count = 0;
        if (DIR* folder = opendir(dir.path().c_str())) {
            while (dirent* entry = readdir(folder)) count += entry->d_name[0] != '.' || entry->d_name[1] > '.';
            closedir(folder);
        }
        return count;
    };
    const CliRun failed = RunCli({"make", "-o", output, a, a, bad, a, a});
    EXPECT_EQ(failed.status, kExitMessage);
    EXPECT_EQ(failed.err, FrameMessage(bad, 3, 5, kNotAGif));
    EXPECT_EQ(ReadFileBytes(output), old);
    EXPECT_EQ(file_count(), names().size()) << "a temporary file was left";

    // The sanitizers' runtime would refuse to start behind a preloaded library.
    const char* sanitizer_options = std::getenv("ASAN_OPTIONS");
    for (const int signal_number : {SIGINT, SIGTERM, SIGHUP}) {
        RunSettings at_creation;
        at_creation.environment = {
            std::string("LD_PRELOAD=") + ZORVANE_INTERRUPT_ON_CREATE,
            "ZORVANE_RAISE_ON_CREATE=" + std::to_string(signal_number),
            std::string("ASAN_OPTIONS=") + (sanitizer_options ? sanitizer_options : "") + ":verify_asan_link_order=0"};
        const CliRun interrupted = RunCli({"make", "-o", output, a, a}, at_creation);
        EXPECT_EQ(interrupted.status, 128 + signal_number) << interrupted.err;
        EXPECT_EQ(ReadFileBytes(output), old);
        EXPECT_EQ(file_count(), names().size()) << "a temporary file was left at signal " << signal_number;
    }

    const std::string huge = dir.File("huge.gif");
    if (!WriteSparseGif(huge)) GTEST_SKIP() << "this file system cannot hold a sparse 4 GiB file";
    for (const int signal_number : {SIGINT, SIGTERM, SIGHUP}) {
        RunSettings settings;
        settings.guard_seconds = kHugeFileGuardSeconds;
        settings.interrupt_when = [&] { return file_count() > names().size(); };  // the temporary file is there
        settings.interrupt_signal = signal_number;
        const CliRun interrupted = RunCli({"make", "-o", output, a, huge}, settings);
        EXPECT_EQ(interrupted.status, 128 + signal_number);
        EXPECT_EQ(ReadFileBytes(output), old);
        EXPECT_EQ(file_count(), names().size()) << "a temporary file was left at signal " << signal_number;
    }
}

// A new output gets the mode of any new file, 0666 less the umask, and is not
// made private; a replaced one keeps its own mode whatever the umask.
TEST(CliTest, NewOutputModeFollowsTheUmaskAReplacedOneKeepsItsOwn) {
    TempDir dir;
    const std::string a = WriteFrame(dir, "a.gif");
    auto mode_of = [](const std::string& path) {
        struct stat info;
        return stat(path.c_str(), &info) == 0 ? info.st_mode & 07777 : 0;
    };
    RunSettings settings;
    for (const int mask : {022, 077}) {
        const std::string output = dir.File("new-" + std::to_string(mask) + ".gif");
        settings.umask = mask;
        EXPECT_EQ(RunCli({"make", "-o", output, a}, settings).status, kExitOk);
        EXPECT_EQ(mode_of(output), static_cast<mode_t>(0666 & ~mask)) << "umask " << std::oct << mask;
    }
    const Bytes old = SimpleGif(9, 9);
    const std::string replaced = dir.Write("replaced.gif", old);
    ASSERT_EQ(chmod(replaced.c_str(), 0664), 0);
    settings.umask = 077;
    EXPECT_EQ(RunCli({"make", "-o", replaced, a}, settings).status, kExitOk);
    EXPECT_NE(ReadFileBytes(replaced), old);
    EXPECT_EQ(mode_of(replaced), static_cast<mode_t>(0664));
}

// make, read back with giflib against the inputs as giflib reads them. Each
// case runs in a folder holding a.gif, b.gif, c.gif, frame files named "-"
// and "-x.gif", and an out.gif larger than any output, which must be replaced.

struct MakeCase {
    const char* name;
    std::vector<std::string> args;  // after "make"
    std::string frames;             // the output's frames in order, one letter each: a, b, c, - or x (-x.gif)
    std::vector<unsigned> delays;   // one per frame
    unsigned plays = 0;             // 0: forever
    std::string list{};             // written to list.txt when not empty
    std::string stdin_text{};       // fed to standard input
    std::string err{};              // the notes expected on standard error
};

void PrintTo(const MakeCase& make, std::ostream* os) { *os << make.name; }

class CliMakeTest : public ::testing::TestWithParam<MakeCase> {};

TEST_P(CliMakeTest, ReplacesTheOutputWithEveryFrameInOrderAndItsDelay) {
    const MakeCase& c = GetParam();
    TempDir dir;
    const std::string paths[] = {WriteFrame(dir, "a.gif", 10, 10, 2), WriteFrame(dir, "b.gif", 20, 5),
                                 WriteFrame(dir, "c.gif", 15, 15, 3), WriteFrame(dir, "-", 6, 8),
                                 WriteFrame(dir, "-x.gif", 9, 2)};
    const std::string output = dir.Write("out.gif", Bytes(100000, 0xAB));
    if (!c.list.empty()) dir.Write("list.txt", Bytes(c.list.begin(), c.list.end()));
    TempDir input;
    RunSettings settings = {dir.path()};
    settings.stdin_path = input.Write("stdin", Bytes(c.stdin_text.begin(), c.stdin_text.end()));
    std::vector<std::string> args = {"make"};
    args.insert(args.end(), c.args.begin(), c.args.end());
    const CliRun run = RunCli(args, settings);
    EXPECT_EQ(run.status, kExitOk);
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err, c.err);

    std::vector<DecodedGif> inputs(c.frames.size());
    for (size_t i = 0; i < c.frames.size(); ++i) {
        const char letter = c.frames[i];
        ASSERT_TRUE(ReadFirstImage(paths[letter == '-' ? 3 : letter == 'x' ? 4 : letter - 'a'], &inputs[i]));
    }
    DecodedGif decoded;
    ASSERT_TRUE(SlurpGif(output, &decoded)) << GiflibErrorText(decoded.error);
    ExpectAnimationMatches(decoded, inputs, c.delays, c.plays != 1, c.plays == 0 ? 0 : c.plays - 1);
    EXPECT_LT(ReadFileBytes(output).size(), 100000u) << "the old output was not replaced";
}

const MakeCase kMakeCases[] = {
    {"NoDelayLoops", {"-o", "out.gif", "b.gif", "a.gif", "c.gif", "a.gif"}, "baca", {0, 0, 0, 0}},
    {"LargestDelayPlaysThreeTimes",
     {"-o", "out.gif", "-d", "65535", "--plays", "3", "b.gif", "a.gif", "c.gif", "a.gif"},
     "baca",
     {65535, 65535, 65535, 65535},
     3},
    {"NoLoopPlaysOnce",
     {"-o", "out.gif", "--no-loop", "--delay=0", "b.gif", "a.gif", "c.gif", "a.gif"},
     "baca",
     {0, 0, 0, 0},
     1},
    {"PlaysTwiceAndAgreeingNoLoop", {"--plays=2", "-o", "out.gif", "a.gif"}, "a", {0}, 2},
    {"PlaysOnceIsNoLoop", {"--plays", "1", "--no-loop", "-o", "out.gif", "a.gif"}, "a", {0}, 1},
    {"MostPlays", {"--plays", "65536", "-o", "out.gif", "a.gif"}, "a", {0}, 65536},
    {"EqualsSpellings",
     {"--output=out.gif", "--delay=25", "--frames-from=list.txt", "c.gif"},
     "ac",
     {25, 25},
     0,
     "a.gif\n"},
    {"EachDelayHoldsUpToTheNext",
     {"-o", "out.gif", "-d", "10", "a.gif", "b.gif", "-d", "200", "c.gif"},
     "abc",
     {10, 10, 200}},
    // Frames before the first -d take its value; of two -d in a row the
    // second counts; a -d after the last frame (not the first) sets nothing,
    // and each -d that times no frame is noted.
    {"FramesBeforeTheFirstDelayTakeIt",
     {"a.gif", "b.gif", "-d", "7", "c.gif", "--delay", "300", "-d", "301", "a.gif", "-o", "out.gif", "-d", "9"},
     "abca",
     {7, 7, 7, 301},
     0,
     "",
     "",
     "zorvane-cli: note: -d 300 applies to no frame\nzorvane-cli: note: -d 9 applies to no frame\n"},
    {"OneDelayAfterTheFramesSetsThemAll", {"-o", "out.gif", "b.gif", "c.gif", "-d", "65"}, "bc", {65, 65}},
    {"ListFileInPlaceCrLfAndEmptyLines",
     {"-o", "out.gif", "-d", "5", "a.gif", "--frames-from", "list.txt", "-d", "6", "a.gif"},
     "acb-a",
     {5, 5, 5, 5, 6},
     0,
     "c.gif\r\n\r\n\nb.gif\n-"},
    // "-" reads standard input only as a list; a frame "-" is the file.
    {"StandardInputListAndFramesNamedDash",
     {"-o", "out.gif", "-", "--frames-from", "-", "--", "-"},
     "-b-c-",
     {0, 0, 0, 0, 0},
     0,
     "",
     "b.gif\n-\r\nc.gif\n"},
    {"DoubleDashEndsTheOptions", {"-o", "out.gif", "-d", "3", "--", "-x.gif", "a.gif"}, "xa", {3, 3}},
};

INSTANTIATE_TEST_SUITE_P(Cli, CliMakeTest, ::testing::ValuesIn(kMakeCases), CaseName<MakeCase>);

// Fault injection: each case gives its message and exit status and leaves
// every input byte for byte as it was.

struct Fault {
    std::vector<std::string> args;
    std::vector<std::string> inputs;  // fingerprinted before and after the run
    std::string err;                  // the whole of stderr
    int status = kExitMessage;
    std::string out{}, cwd{};
    std::string never_created{};
    size_t output_frames = 0;  // > 0: the run succeeds and args[2] is read back with giflib
    bool needs_permissions = false;
    int guard_seconds = kGuardSeconds;
    std::string skip{};          // why the case cannot run on this machine
    rlim_t open_file_limit = 0;  // > 0: the most descriptors the run may have open
};

struct FaultCase {
    const char* name;
    Fault (*setup)(const TempDir&, const std::string& a);  // a: the frame a.gif, written beforehand
};

void PrintTo(const FaultCase& fault, std::ostream* os) { *os << fault.name; }

const FaultCase kFaultCases[] = {
    {"OutputOnDevFull",
     [](const TempDir&, const std::string& a) {
         Fault f{{"make", "-o", "/dev/full", a}, {a}, OutputMessage("/dev/full", kCouldNotWrite)};
         if (access("/dev/full", W_OK) != 0) f.skip = "/dev/full is not available";
         return f;
     }},
    {"OutputInReadOnlyFolder",
     [](const TempDir& dir, const std::string& a) {
         MakeFolder(dir.File("locked"), 0555);
         Fault f{{"make", "-o", dir.File("locked/out.gif"), a},
                 {a, dir.File("locked")},
                 OutputMessage(dir.File("locked/out.gif"), kCouldNotCreate)};
         f.never_created = dir.File("locked/out.gif");
         f.needs_permissions = true;
         return f;
     }},
    {"OutputInMissingFolder",
     [](const TempDir& dir, const std::string& a) {
         Fault f{{"make", "-o", dir.File("gone/out.gif"), a},
                 {a},
                 OutputMessage(dir.File("gone/out.gif"), kCouldNotCreate)};
         f.never_created = dir.File("gone");
         return f;
     }},
    {"OutputIsAFolder",
     [](const TempDir& dir, const std::string& a) {
         MakeFolder(dir.File("out.gif"));
         return Fault{{"make", "-o", dir.File("out.gif"), a},
                      {a, dir.File("out.gif")},
                      OutputMessage(dir.File("out.gif"), kCouldNotCreate)};
     }},
    {"InputUnreadable",
     [](const TempDir& dir, const std::string& a) {
         const std::string locked = WriteFrame(dir, "locked.gif");
         chmod(locked.c_str(), 0);
         MakeFolder(dir.File("out"), 0777);
         Fault f{{"make", "-o", dir.File("out/out.gif"), a, locked},
                 {a, locked},
                 FrameMessage(locked, 2, 2, kCouldNotOpen)};
         f.never_created = dir.File("out/out.gif");
         f.needs_permissions = true;
         return f;
     }},
    {"InputIsAFolder",
     [](const TempDir& dir, const std::string& a) {
         MakeFolder(dir.File("folder.gif"));
         return Fault{{"make", "-o", dir.File("out.gif"), a, dir.File("folder.gif")},
                      {a, dir.File("folder.gif")},
                      FrameMessage(dir.File("folder.gif"), 2, 2, kCouldNotOpen)};
     }},
    {"InputIsAFifo",
     [](const TempDir& dir, const std::string& a) {
         const std::string fifo = dir.File("pipe.gif");
         Fault f{{"make", "-o", dir.File("out.gif"), fifo, a}, {a, fifo}, FrameMessage(fifo, 1, 2, kCouldNotOpen)};
         if (mkfifo(fifo.c_str(), 0644) != 0) f.skip = "mkfifo failed";
         f.guard_seconds = kFifoGuardSeconds;
         return f;
     }},
    {"InputRemovedAfterListing",
     [](const TempDir& dir, const std::string& a) {
         const std::string removed = WriteFrame(dir, "removed.gif");
         unlink(removed.c_str());
         Fault f{{"make", "-o", dir.File("out.gif"), a, removed, a}, {a}, FrameMessage(removed, 2, 3, kCouldNotOpen)};
         f.never_created = dir.File("out.gif");
         return f;
     }},
    {"InputNotAGif",
     [](const TempDir& dir, const std::string& a) {
         const std::string bad = dir.Write("bad.gif", Bytes{'G', 'I', 'F', '8', '8', 'a', 1, 0, 1, 0, 0, 0, 0});
         return Fault{{"make", "-o", dir.File("out.gif"), a, bad, a}, {a, bad}, FrameMessage(bad, 2, 3, kNotAGif)};
     }},
    {"InputSparse4GiBExtensionPastItsEnd",
     [](const TempDir& dir, const std::string& a) {
         const std::string huge = dir.File("huge.gif");
         Fault f{{"make", "-o", dir.File("out.gif"), a, huge}, {a, huge}, FrameMessage(huge, 2, 2, kPrematureEnd)};
         if (!WriteSparseGif(huge)) f.skip = "this file system cannot hold a sparse 4 GiB file";
         f.guard_seconds = kHugeFileGuardSeconds;
         return f;
     }},
    {"OutputSamePathAsFrame",
     [](const TempDir& dir, const std::string& a) {
         const std::string b = WriteFrame(dir, "b.gif");
         return Fault{{"make", "-o", a, b, a}, {a, b}, OutputMessage(a, kOutputIsFrame)};
     }},
    {"OutputDotSlashSpellingOfFrame",
     [](const TempDir& dir, const std::string& a) {
         const std::string b = WriteFrame(dir, "b.gif");
         Fault f{{"make", "-o", "./a.gif", "b.gif", "a.gif"}, {a, b}, OutputMessage("./a.gif", kOutputIsFrame)};
         f.cwd = dir.path();
         return f;
     }},
    {"OutputHardLinkToFrame",
     [](const TempDir& dir, const std::string& a) {
         const std::string b = WriteFrame(dir, "b.gif");
         const std::string link_path = dir.File("link.gif");
         Fault f{{"make", "-o", link_path, b, a}, {a, b, link_path}, OutputMessage(link_path, kOutputIsFrame)};
         if (link(a.c_str(), link_path.c_str()) != 0) f.skip = "hard links are not supported here";
         return f;
     }},
    {"OutputSymlinkToFrame",
     [](const TempDir& dir, const std::string& a) {
         const std::string link_path = dir.File("out.gif");
         Fault f{{"make", "-o", link_path, a}, {a, link_path}, OutputMessage(link_path, kOutputIsFrame)};
         if (symlink("a.gif", link_path.c_str()) != 0) f.skip = "symbolic links are not supported here";
         return f;
     }},
    {"FrameSymlinkToOutput",
     [](const TempDir& dir, const std::string& a) {
         const std::string output = WriteFrame(dir, "out.gif", 9, 9);
         const std::string link_path = dir.File("frame.gif");
         Fault f{{"make", "-o", output, a, link_path}, {a, output, link_path}, OutputMessage(output, kOutputIsFrame)};
         if (symlink(output.c_str(), link_path.c_str()) != 0) f.skip = "symbolic links are not supported here";
         return f;
     }},
    // An output that is a symbolic link stays one: the file it names is
    // written, or created when the link (here through another) names none yet.
    {"OutputSymlinkToAFile",
     [](const TempDir& dir, const std::string& a) {
         MakeFolder(dir.File("real"));
         WriteFrame(dir, "real/old.gif", 9, 9);
         const std::string link_path = dir.File("out.gif");
         Fault f{{"make", "-o", link_path, a, a}, {a}, "", kExitOk};
         f.output_frames = 2;
         if (symlink("real/old.gif", link_path.c_str()) != 0) f.skip = "symbolic links are not supported here";
         return f;
     }},
    {"OutputDanglingSymlinkThroughASymlink",
     [](const TempDir& dir, const std::string& a) {
         MakeFolder(dir.File("real"));
         const std::string link_path = dir.File("out.gif"), middle = dir.File("middle.gif");
         Fault f{{"make", "-o", link_path, a, a, a}, {a}, "", kExitOk};
         f.output_frames = 3;
         if (symlink("middle.gif", link_path.c_str()) != 0 || symlink("real/new.gif", middle.c_str()) != 0) {
             f.skip = "symbolic links are not supported here";
         }
         return f;
     }},
    {"FrameListMissing",
     [](const TempDir& dir, const std::string& a) {
         const std::string list = dir.File("none.txt");
         Fault f{{"make", "-o", dir.File("out.gif"), a, "--frames-from", list},
                 {a},
                 "zorvane-cli: " + list + ": could not read the frame list: No such file or directory\n"};
         f.never_created = dir.File("out.gif");
         return f;
     }},
    {"FrameListIsAFolder",
     [](const TempDir& dir, const std::string& a) {
         MakeFolder(dir.File("list"));
         Fault f{{"make", "-o", dir.File("out.gif"), "--frames-from=" + dir.File("list"), a},
                 {a, dir.File("list")},
                 "zorvane-cli: " + dir.File("list") + ": could not read the frame list: Is a directory\n"};
         f.never_created = dir.File("out.gif");
         return f;
     }},
    {"FrameListWithANulByte",
     [](const TempDir& dir, const std::string& a) {
         const std::string list = dir.Write("list.txt", Bytes{'a', '.', 'g', 'i', 'f', '\n', 'a', 0, '\n'});
         Fault f{{"make", "-o", dir.File("out.gif"), "--frames-from", list},
                 {a, list},
                 "zorvane-cli: " + list + ": line 2 of the frame list holds a NUL byte\n"};
         f.never_created = dir.File("out.gif");
         return f;
     }},
    {"FrameListWithoutLineEnds",
     [](const TempDir& dir, const std::string& a) {
         const std::string list = dir.Write("list.txt", Bytes(100000, 'x'));
         Fault f{{"make", "-o", dir.File("out.gif"), "--frames-from", list, "--frames-from", "/dev/zero"},
                 {a, list},
                 "zorvane-cli: " + list + ": line 1 of the frame list is longer than any path\n"};
         f.never_created = dir.File("out.gif");
         return f;
     }},
    {"FrameListDevZero",
     [](const TempDir& dir, const std::string& a) {
         Fault f{{"make", "-o", dir.File("out.gif"), a, "--frames-from", "/dev/zero"},
                 {a},
                 "zorvane-cli: /dev/zero: line 1 of the frame list holds a NUL byte\n"};
         f.never_created = dir.File("out.gif");
         if (access("/dev/zero", R_OK) != 0) f.skip = "no /dev/zero";
         return f;
     }},
    {"FrameListLinesKeepTheirBlanks",
     [](const TempDir& dir, const std::string& a) {
         const std::string list = dir.Write("list.txt", Bytes{'a', '.', 'g', 'i', 'f', ' ', '\n'});
         Fault f{{"make", "-o", dir.File("out.gif"), "--frames-from", "list.txt"},
                 {a, list},
                 FrameMessage("a.gif ", 1, 1, kCouldNotOpen)};
         f.cwd = dir.path();
         return f;
     }},
    {"ManyFrameListsUnderALowOpenFileLimit",
     [](const TempDir& dir, const std::string& a) {
         // Each list is closed once read: a list left open would use up the
         // descriptors long before the last one.
         const std::string list = dir.Write("list.txt", Bytes(a.begin(), a.end()));
         Fault f{{"make", "-o", dir.File("out.gif"), a}, {a, list}, "", kExitOk};
         for (int i = 0; i < 40; ++i) f.args.insert(f.args.end(), {"--frames-from", list});
         f.output_frames = 41;
         f.open_file_limit = 16;
         return f;
     }},
    {"PathsWithSpacesAndNonAsciiBytes",
     [](const TempDir& dir, const std::string&) {
         // UTF-8 letters and Latin-1 bytes that are not valid UTF-8.
         MakeFolder(dir.File("my frames"));
         const std::string a = WriteFrame(dir, "my frames/frame one.gif", 5, 4);
         const std::string b = WriteFrame(dir, "my frames/k\xC3\xA4rt \xE9 \xE2\x9C\x93.gif", 4, 6);
         Fault f{{"make", "-o", dir.File("my frames/out put \xC3\xBC\xFF.gif"), a, b}, {a, b}, "", kExitOk};
         f.output_frames = 2;
         return f;
     }},
    {"InfoUnreadableFolderFifoDeviceThenANonAsciiPath",
     [](const TempDir& dir, const std::string&) {
         const std::string locked = WriteFrame(dir, "locked.gif");
         chmod(locked.c_str(), 0);
         const std::string folder = dir.File("folder.gif"), fifo = dir.File("pipe.gif");
         MakeFolder(folder);
         const std::string good = WriteFrame(dir, "g\xC3\xBCt \xFF.gif", 2, 7);
         std::string err;
         for (const std::string& path : {locked, folder, fifo, std::string("/dev/zero")})
             err += "zorvane-cli: " + path + ": Could not open file.\n";
         Fault f{{"info", locked, folder, fifo, "/dev/zero", good}, {locked, folder, fifo, good}, err};
         f.out = good + ": 2 x 7, global (2 bpp)\n";
         f.needs_permissions = true;
         f.guard_seconds = kFifoGuardSeconds;
         if (mkfifo(fifo.c_str(), 0644) != 0 || access("/dev/zero", R_OK) != 0) f.skip = "no FIFO or /dev/zero";
         return f;
     }},
};

class CliFaultTest : public ::testing::TestWithParam<FaultCase> {};

TEST_P(CliFaultTest, GivesItsMessageAndLeavesEveryInputAlone) {
    TempDir dir;
    const Fault f = GetParam().setup(dir, WriteFrame(dir, "a.gif"));
    if (!f.skip.empty()) GTEST_SKIP() << f.skip;
    // Permission bits bind root only in a run as nobody, which must then
    // reach the program and the test folder.
    RunSettings settings = {f.cwd, f.needs_permissions && geteuid() == 0, f.guard_seconds};
    settings.open_file_limit = f.open_file_limit;
    if (settings.as_nobody &&
        (chmod(dir.path().c_str(), 0755) != 0 || RunCli({"--version"}, {dir.path(), true}).status != kExitOk)) {
        GTEST_SKIP() << "running as root and zorvane-cli cannot run as nobody here";
    }

    std::vector<std::string> before;
    for (const std::string& input : f.inputs) before.push_back(Fingerprint(input));
    // An output that is a device or a folder stays what it was: it is never
    // replaced by a file.
    auto kind_of = [](const std::string& path) {
        struct stat info;
        return lstat(path.c_str(), &info) == 0 ? static_cast<int>(info.st_mode & S_IFMT) : -1;
    };
    const std::string output = f.args.size() > 2 && f.args[1] == "-o" ? f.args[2] : std::string();
    const int output_kind = kind_of(output);
    const CliRun run = RunCli(f.args, settings);
    if (output_kind != -1 && output_kind != S_IFREG) {
        EXPECT_EQ(kind_of(output), output_kind) << output;
    }
    ASSERT_FALSE(run.hung) << "still running after " << f.guard_seconds << " s";
    EXPECT_EQ(run.status, f.status);
    EXPECT_EQ(run.err, f.err);
    EXPECT_EQ(run.out, f.out);
    for (size_t i = 0; i < f.inputs.size(); ++i) EXPECT_EQ(Fingerprint(f.inputs[i]), before[i]) << f.inputs[i];
    EXPECT_TRUE(f.never_created.empty() || !FileExists(f.never_created)) << f.never_created;
    if (f.output_frames > 0) {
        DecodedGif decoded;
        ASSERT_TRUE(SlurpGif(f.args[2], &decoded)) << GiflibErrorText(decoded.error);
        EXPECT_EQ(decoded.images.size(), f.output_frames);
    }
}

INSTANTIATE_TEST_SUITE_P(Cli, CliFaultTest, ::testing::ValuesIn(kFaultCases), CaseName<FaultCase>);

}  // namespace
