// Scratch files of the file layer: made in the temporary folder, read back,
// and removed when discarded or when the process is interrupted.
#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <string>

#include "platform/file_io.h"
#include "test_support.h"

namespace {

TEST(ScratchFileTest, MadeInTheTemporaryFolderAndRemovedWhenDiscardedOrInterrupted) {
    TempDir dir;
    const char* old = std::getenv("TMPDIR");
    const std::string restore = old ? old : "";
    setenv("TMPDIR", dir.path().c_str(), 1);
    const auto files = [&] { return Listing(dir.path()).size() - 2; };  // "." and ".." left out

    TemporaryFile scratch;
    ASSERT_TRUE(FileCreateScratch(&scratch));
    EXPECT_EQ(std::string(scratch.path).rfind(dir.path() + "/", 0), 0u) << scratch.path;
    const char kText[] = "scratch";
    ASSERT_TRUE(FileWrite(scratch.file, kText, sizeof kText));
    ASSERT_TRUE(FileSeekTo(scratch.file, 0));
    char back[sizeof kText] = {};
    EXPECT_EQ(FileRead(scratch.file, back, sizeof back), sizeof kText);
    EXPECT_STREQ(back, kText);
    EXPECT_TRUE(FileClose(scratch.file));
    EXPECT_EQ(ReadFileBytes(scratch.path).size(), sizeof kText);
    FileDiscard(&scratch);
    EXPECT_EQ(files(), 0u);

    // Interrupted, a process leaves none of its scratch files.
    const ChildOutcome outcome = RunChild([] {
        RemoveTemporaryFileOnInterrupt();
        TemporaryFile kept, other;
        if (!FileCreateScratch(&kept) || !FileCreateScratch(&other)) return 1;
        FileClose(other.file);
        FileDiscard(&other);
        raise(SIGINT);
        return 2;
    });
    EXPECT_EQ(outcome.status, 256 + SIGINT);
    EXPECT_EQ(files(), 0u);
    if (old) {
        setenv("TMPDIR", restore.c_str(), 1);
    } else {
        unsetenv("TMPDIR");
    }
}

}  // namespace
