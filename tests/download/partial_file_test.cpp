#include "download/partial_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "support/temp_folder.h"

namespace bramix {
namespace {

namespace fs = std::filesystem;

// Whatever else stands in the folder under a .part's name is never taken up,
// written through or removed: only a regular file a download made is ours.
TEST(PartialFileTest, OnlyARegularFileIsTakenForAPart) {
    constexpr const char* kUrl = "http://f.example.com/a.mp3";
    testing::TempFolder temp;
    const fs::path outside = temp.path() / "outside";
    fs::create_directories(outside);
    // A .part elsewhere, with the record of the address: a symbolic link to it.
    const std::string theirs = (outside / "x.mp3.part").string();
    const int fd = OpenPartForWriting(theirs, true);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(write(fd, "user data", 9), 9);
    const bool remembered = RememberPart(fd, {kUrl, "\"v1\""});
    close(fd);
    if (!remembered) {
        GTEST_SKIP() << "this file system keeps no user attributes";
    }
    const std::string link = temp.string() + "/t.mp3.part";
    fs::create_symlink(theirs, link);
    ASSERT_TRUE(FindPartOf(outside.string(), kUrl));  // found where it is
    EXPECT_FALSE(FindPartOf(temp.string(), kUrl));
    EXPECT_FALSE(RecallPart(link));
    EXPECT_LT(OpenPartForWriting(link, false), 0);
    EXPECT_FALSE(RemovePartIfUnused(link));
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(testing::ReadFile(theirs), "user data");
    // A FIFO would block whoever opens it to read.
    ASSERT_EQ(mkfifo((temp.path() / "f.mp3.part").c_str(), 0644), 0);
    EXPECT_FALSE(FindPartOf(temp.string(), kUrl));
    EXPECT_LT(OpenPartForWriting(temp.string() + "/f.mp3.part", false), 0);
}

}  // namespace
}  // namespace bramix
