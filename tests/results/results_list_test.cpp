#include "results/results_list.h"

#include <gtest/gtest.h>

namespace bramix {
namespace {

FoundFile Find(const std::string& name, uint32_t size, int type = FILE_TYPE_MP3) {
    FoundFile found;
    found.fileName = name;
    found.size = size;
    found.type = type;
    found.fileUrl = "http://f.example.com/" + name;
    return found;
}

// Each find alone in a list searching for "spring". Finds of a known size
// below one mebibyte never match; the title can make the match.
TEST(ResultsListTest, FillsTheColumnsAndFlagsOfAFind) {
    FoundFile titled = Find("track01.mp3", 0);
    titled.title = "Spring Day";
    constexpr uint32_t kMatchedMp3 = RESULT_MATCHED | RESULT_MP3;
    // clang-format off
    const std::tuple<FoundFile, uint32_t, const char*, const char*> rows[] = {
        {Find("spring day.mp3", 4718592), kMatchedMp3, "mp3", "4.50 MB"},
        {Find("spring a.mp3", 0), kMatchedMp3 | RESULT_UNSIZED_MP3, "mp3", ""},
        {Find("spring b.wma", 0, FILE_TYPE_WMA), RESULT_MATCHED | RESULT_WMA, "wma", ""},
        {Find("spring c.zip", 0, FILE_TYPE_ZIP), RESULT_MATCHED | RESULT_ZIP, "zip", ""},
        {Find("other.wma", 0, FILE_TYPE_WMA), RESULT_WMA, "wma", ""},
        {Find("other.xyz", 0, 7), RESULT_ZIP, "zip", ""},
        {Find("spring.mp3", 921600), RESULT_MP3, "mp3", "900 KB"},
        {Find("spring edge.mp3", 1048576), kMatchedMp3, "mp3", "1.00 MB"},
        {titled, kMatchedMp3 | RESULT_UNSIZED_MP3, "mp3", ""}};
    // clang-format on
    ResultsList list;
    for (const auto& [find, flags, typeText, sizeText] : rows) {
        SCOPED_TRACE(find.fileName);
        list.Start("spring");
        EXPECT_EQ(list.Insert(find), 0u);
        EXPECT_EQ(list.entries()[0].flags, flags);
        EXPECT_EQ(list.entries()[0].typeText, typeText);
        EXPECT_EQ(list.entries()[0].sizeText, sizeText);
    }
    const ResultEntry& entry = list.entries()[0];
    EXPECT_EQ(entry.name, "track01");
    EXPECT_EQ(entry.FileName(), "track01.mp3");
    EXPECT_EQ(entry.title, "Spring Day");
    EXPECT_EQ(entry.fileUrl, "http://f.example.com/track01.mp3");
    list.MarkQueued(0);
    EXPECT_EQ(list.entries()[0].flags & RESULT_QUEUED, RESULT_QUEUED);
}

// Matched finds first: unsized ones, then mp3s and wmas, each by size text
// descending as text, then the rest; the unmatched last. Equals keep their
// arrival order.
TEST(ResultsListTest, PutsMatchedFindsFirstGrouped) {
    const FoundFile other = Find("other.mp3", 0);
    const std::pair<std::vector<FoundFile>, std::vector<std::string>> rows[] = {
        {{other, Find("spring a.mp3", 0), Find("spring b.wma", 0, FILE_TYPE_WMA)},
         {"spring a", "spring b", "other"}},
        {{Find("spring 1.mp3", 4718592), Find("spring 2.mp3", 10695475),
          Find("spring 3.mp3", 10276045), Find("spring 4.mp3", 4718593)},
         {"spring 3", "spring 1", "spring 4", "spring 2"}},  // 9.80 MB, 4.50 MB, 10.1 MB
        {{other, Find("spring zip.zip", 2000000, FILE_TYPE_ZIP),
          Find("spring wma.wma", 2000000, FILE_TYPE_WMA), Find("spring mp3.mp3", 2000000),
          Find("spring unsized.mp3", 0)},
         {"spring unsized", "spring mp3", "spring wma", "spring zip", "other"}},
        {{other, Find("spring.mp3", 921600), Find("spring edge.mp3", 1048576)},
         {"spring edge", "other", "spring"}}};
    ResultsList list;
    for (const auto& [finds, names] : rows) {
        list.Start("spring");
        for (const FoundFile& find : finds) {
            list.Insert(find);
        }
        std::vector<std::string> listed;
        for (const ResultEntry& entry : list.entries()) {
            listed.push_back(entry.name);
        }
        EXPECT_EQ(listed, names);
    }
}

}  // namespace
}  // namespace bramix
