#include "download/partial_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "support/temp_folder.h"

namespace bramix {
namespace {

namespace fs = std::filesystem;
using testing::ReadFile;

constexpr const char* kUrl = "http://f.example.com/a.mp3";

// Whatever else stands in the folder under a .part's name is never taken up,
// written through or removed: only a regular file a download made is ours.
TEST(PartialFileTest, OnlyARegularFileIsTakenForAPart) {
    testing::TempFolder temp;
    const fs::path outside = temp.path() / "outside";
    const fs::path folder = temp.path() / "downloads";
    fs::create_directories(outside);
    fs::create_directories(folder);

    // A .part elsewhere, with the record of the address: a symbolic link to it.
    const std::string theirs = (outside / "x.mp3.part").string();
    const int fd = OpenPartForWriting(theirs, true);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(write(fd, "user data", 9), 9);
    if (!RememberPart(fd, {kUrl, "\"v1\""})) {
        close(fd);
        GTEST_SKIP() << "this file system keeps no user attributes";
    }
    close(fd);
    const fs::path link = folder / "t.mp3.part";
    fs::create_symlink(theirs, link);
    ASSERT_TRUE(FindPartOf(outside.string(), kUrl));  // found where it is

    EXPECT_FALSE(FindPartOf(folder.string(), kUrl));
    EXPECT_FALSE(RecallPart(link.string()));
    EXPECT_LT(OpenPartForWriting(link.string(), false), 0);
    EXPECT_FALSE(RemovePartIfUnused(link.string()));
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(ReadFile(theirs), "user data");

    // A FIFO would block whoever opens it to read.
    ASSERT_EQ(mkfifo((folder / "f.mp3.part").c_str(), 0644), 0);
    EXPECT_FALSE(FindPartOf(folder.string(), kUrl));
    EXPECT_LT(OpenPartForWriting((folder / "f.mp3.part").string(), false), 0);
}

}  // namespace
}  // namespace bramix
