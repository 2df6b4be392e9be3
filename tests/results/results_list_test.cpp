#include "results/results_list.h"

#include <gtest/gtest.h>

namespace bramix {
namespace {

FoundFile Find(const std::string& name, uint32_t size, int type = FILE_TYPE_MP3,
               const std::string& title = "") {
    FoundFile found;
    found.fileName = name;
    found.size = size;
    found.type = type;
    found.title = title;
    found.fileUrl = "http://f.example.com/" + name;
    return found;
}

// Each find alone in a list searching for "spring". Finds of a known size
// below one mebibyte never match; the title can make the match.
TEST(ResultsListTest, FillsTheColumnsAndFlagsOfAFind) {
    struct Row {
        FoundFile find;
        uint32_t flags;
        const char* typeText;
        const char* sizeText;
    };
    const Row rows[] = {
        {Find("spring day.mp3", 4718592), RESULT_MATCHED | RESULT_MP3, "mp3", "4.50 MB"},
        {Find("spring a.mp3", 0), RESULT_MATCHED | RESULT_UNSIZED_MP3 | RESULT_MP3, "mp3", ""},
        {Find("spring b.wma", 0, FILE_TYPE_WMA), RESULT_MATCHED | RESULT_WMA, "wma", ""},
        {Find("spring c.zip", 0, FILE_TYPE_ZIP), RESULT_MATCHED | RESULT_ZIP, "zip", ""},
        {Find("other.wma", 0, FILE_TYPE_WMA), RESULT_WMA, "wma", ""},
        {Find("other.xyz", 0, 7), RESULT_ZIP, "zip", ""},
        {Find("spring.mp3", 921600), RESULT_MP3, "mp3", "900 KB"},
        {Find("spring edge.mp3", 1048576), RESULT_MATCHED | RESULT_MP3, "mp3", "1.00 MB"},
        {Find("track01.mp3", 0, FILE_TYPE_MP3, "Spring Day"),
         RESULT_MATCHED | RESULT_UNSIZED_MP3 | RESULT_MP3, "mp3", ""}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.find.fileName);
        ResultsList list;
        list.Start("spring");
        EXPECT_EQ(list.Insert(row.find), 0u);
        const ResultEntry& entry = list.entries()[0];
        EXPECT_EQ(entry.flags, row.flags);
        EXPECT_EQ(entry.typeText, row.typeText);
        EXPECT_EQ(entry.sizeText, row.sizeText);
    }

    ResultsList list;
    list.Start("spring");
    FoundFile found = Find("spring day.mp3", 4718592, FILE_TYPE_MP3, "Artist");
    found.pageUrl = "http://p.example.com/1";
    list.Insert(found);
    const ResultEntry& entry = list.entries()[0];
    EXPECT_EQ(entry.name, "spring day");
    EXPECT_EQ(entry.title, "Artist");
    EXPECT_EQ(entry.pageUrl, "http://p.example.com/1");
    EXPECT_EQ(entry.fileUrl, "http://f.example.com/spring day.mp3");
    EXPECT_EQ(entry.FileName(), "spring day.mp3");
}

// Matched finds first: unsized ones, then mp3s and wmas, each by size text
// descending as text, then the rest; the unmatched last. Equals keep their
// arrival order.
TEST(ResultsListTest, PutsMatchedFindsFirstGrouped) {
    struct Row {
        const char* what;
        std::vector<FoundFile> finds;
        std::vector<std::string> names;
    };
    const Row rows[] = {
        {"unsized in arrival order",
         {Find("other.mp3", 0), Find("spring a.mp3", 0), Find("spring b.wma", 0, FILE_TYPE_WMA)},
         {"spring a", "spring b", "other"}},
        {"sizes as text",  // 4.50 MB, 10.1 MB, 9.80 MB
         {Find("spring 1.mp3", 4718592), Find("spring 2.mp3", 10695475),
          Find("spring 3.mp3", 10276045)},
         {"spring 3", "spring 1", "spring 2"}},
        {"equal size texts",
         {Find("spring 1.mp3", 4718592), Find("spring 2.mp3", 4718593)},
         {"spring 1", "spring 2"}},
        {"groups",
         {Find("other.mp3", 0), Find("spring zip.zip", 2000000, FILE_TYPE_ZIP),
          Find("spring wma.wma", 2000000, FILE_TYPE_WMA), Find("spring mp3.mp3", 2000000),
          Find("spring unsized.mp3", 0)},
         {"spring unsized", "spring mp3", "spring wma", "spring zip", "other"}},
        {"too small to match",
         {Find("other.mp3", 0), Find("spring.mp3", 921600), Find("spring edge.mp3", 1048576)},
         {"spring edge", "other", "spring"}}};
    ResultsList list;
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        list.Start("spring");
        for (const FoundFile& find : row.finds) {
            list.Insert(find);
        }
        std::vector<std::string> names;
        for (const ResultEntry& entry : list.entries()) {
            names.push_back(entry.name);
        }
        EXPECT_EQ(names, row.names);
    }
}

TEST(ResultsListTest, StartEmptiesTheListForTheNewText) {
    ResultsList list;
    list.Start("spring");
    list.Insert(Find("spring.mp3", 0));
    list.MarkQueued(0);
    EXPECT_TRUE(list.entries()[0].flags & RESULT_QUEUED);
    list.Start("autumn");
    EXPECT_TRUE(list.entries().empty());
    list.Insert(Find("autumn.mp3", 0));
    EXPECT_TRUE(list.entries()[0].flags & RESULT_MATCHED);
}

}  // namespace
}  // namespace bramix
