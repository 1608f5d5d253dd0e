// Scratch files of the file layer: made in the temporary folder, read back,
// and removed when discarded or when the process is interrupted.
#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <string>

#include "platform/file_io.h"
#include "test_support.h"

namespace {

// Points $TMPDIR at a folder of the test's own while it lives.
class ScratchFolder {
public:
    ScratchFolder() {
        const char* old = std::getenv("TMPDIR");
        had_old_ = old != nullptr;
        if (had_old_) old_ = old;
        setenv("TMPDIR", dir_.path().c_str(), 1);
    }
    ~ScratchFolder() {
        if (had_old_) {
            setenv("TMPDIR", old_.c_str(), 1);
        } else {
            unsetenv("TMPDIR");
        }
    }
    size_t Files() const { return Listing(dir_.path()).size() - 2; }  // "." and ".."
    const std::string& path() const { return dir_.path(); }

private:
    TempDir dir_;
    bool had_old_ = false;
    std::string old_;
};

TEST(ScratchFileTest, WrittenReadBackAndDiscarded) {
    ScratchFolder folder;
    TemporaryFile first, second;
    ASSERT_TRUE(FileCreateScratch(&first));
    ASSERT_TRUE(FileCreateScratch(&second));
    EXPECT_EQ(std::string(first.path).rfind(folder.path() + "/", 0), 0u) << first.path;
    EXPECT_STRNE(first.path, second.path);
    EXPECT_EQ(folder.Files(), 2u);
    const char kText[] = "scratch";
    ASSERT_TRUE(FileWrite(first.file, kText, sizeof kText));
    ASSERT_TRUE(FileSeekTo(first.file, 0));
    char back[sizeof kText] = {};
    EXPECT_EQ(FileRead(first.file, back, sizeof back), sizeof kText);
    EXPECT_STREQ(back, kText);
    EXPECT_TRUE(FileClose(first.file));
    EXPECT_EQ(ReadFileBytes(first.path).size(), sizeof kText);
    FileDiscard(&first);
    EXPECT_FALSE(FileExists(first.path));
    EXPECT_EQ(folder.Files(), 1u);
    FileClose(second.file);
    FileDiscard(&second);
    EXPECT_EQ(folder.Files(), 0u);
}

TEST(ScratchFileTest, RemovedWhenInterrupted) {
    ScratchFolder folder;
    const ChildOutcome outcome = RunChild([] {
        RemoveTemporaryFileOnInterrupt();
        TemporaryFile kept, discarded;
        if (!FileCreateScratch(&kept) || !FileCreateScratch(&discarded)) return 1;
        FileClose(discarded.file);
        FileDiscard(&discarded);
        raise(SIGINT);
        return 2;
    });
    EXPECT_EQ(outcome.status, 256 + SIGINT);
    EXPECT_EQ(folder.Files(), 0u);
}

}  // namespace
