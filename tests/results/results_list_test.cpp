#include "results/results_list.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "support/web_test.h"

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

std::vector<std::string> Names(const ResultsList& list) {
    std::vector<std::string> names;
    for (const ResultEntry& entry : list.entries()) {
        names.push_back(entry.name);
    }
    return names;
}

class ResultsListTest : public ::testing::Test {
protected:
    void SetUp() override { list_.Start("spring"); }

    ResultsList list_;
};

TEST_F(ResultsListTest, FillsTheColumnsAndFlagsOfAFind) {
    FoundFile found = Find("spring day.mp3", 4718592, FILE_TYPE_MP3, "Artist");
    found.pageUrl = "http://p.example.com/1";
    EXPECT_EQ(list_.Insert(found), 0u);
    const ResultEntry& entry = list_.entries()[0];
    EXPECT_EQ(entry.name, "spring day");
    EXPECT_EQ(entry.sizeText, "4.50 MB");
    EXPECT_EQ(entry.typeText, "mp3");
    EXPECT_EQ(entry.title, "Artist");
    EXPECT_EQ(entry.pageUrl, "http://p.example.com/1");
    EXPECT_EQ(entry.fileUrl, "http://f.example.com/spring day.mp3");
    EXPECT_EQ(entry.flags, RESULT_MATCHED | RESULT_MP3);
    EXPECT_EQ(entry.FileName(), "spring day.mp3");
}

// The command line sorts all finds at the end; the window inserts them as
// they come. Both must give the same rows.
TEST_F(ResultsListTest, InsertingOneByOneGivesTheStableSortOfThePlaces) {
    std::mt19937 random(5);
    const uint32_t sizes[] = {0, 1048576, 2097152, 4718592, 10000000, 500};
    const int types[] = {FILE_TYPE_MP3, FILE_TYPE_WMA, FILE_TYPE_ZIP};
    std::vector<ResultEntry> sorted;
    for (int i = 0; i < 300; ++i) {
        const std::string name = (random() % 2 ? "spring " : "other ") + std::to_string(i) + ".mp3";
        const FoundFile found = Find(name, sizes[random() % 6], types[random() % 3]);
        list_.Insert(found);
        sorted.push_back(EntryOf(found, IsMatchingFind(SearchTerm("spring"), found)));
    }
    std::stable_sort(sorted.begin(), sorted.end(), [](const ResultEntry& a, const ResultEntry& b) {
        return GoesAbove(ListPlace::Of(a), ListPlace::Of(b));
    });
    std::vector<std::string> sortedNames;
    for (const ResultEntry& entry : sorted) {
        sortedNames.push_back(entry.name);
    }
    EXPECT_EQ(Names(list_), sortedNames);
}

TEST_F(ResultsListTest, TypeTextsAndFlagsByType) {
    list_.Insert(Find("other.wma", 0, FILE_TYPE_WMA));
    list_.Insert(Find("other.zip", 0, FILE_TYPE_ZIP));
    list_.Insert(Find("other.xyz", 0, 7));
    EXPECT_EQ(list_.entries()[0].typeText, "wma");
    EXPECT_EQ(list_.entries()[0].flags, RESULT_WMA);
    EXPECT_EQ(list_.entries()[1].typeText, "zip");
    EXPECT_EQ(list_.entries()[2].flags, RESULT_ZIP);
    EXPECT_EQ(list_.entries()[2].sizeText, "");
}

TEST_F(ResultsListTest, MatchedUnsizedFindsComeFirstInArrivalOrder) {
    list_.Insert(Find("other.mp3", 0));
    list_.Insert(Find("spring a.mp3", 0));
    list_.Insert(Find("spring b.wma", 0, FILE_TYPE_WMA));
    EXPECT_EQ(Names(list_), (std::vector<std::string>{"spring a", "spring b", "other"}));
    EXPECT_EQ(list_.entries()[0].flags, RESULT_MATCHED | RESULT_UNSIZED_MP3 | RESULT_MP3);
    EXPECT_EQ(list_.entries()[1].flags, RESULT_MATCHED | RESULT_WMA);
}

TEST_F(ResultsListTest, SizedMatchesOrderByTheirSizeTextsAsText) {
    list_.Insert(Find("spring 1.mp3", 4718592));   // 4.50 MB
    list_.Insert(Find("spring 2.mp3", 10695475));  // 10.1 MB
    list_.Insert(Find("spring 3.mp3", 10276045));  // 9.80 MB
    EXPECT_EQ(Names(list_), (std::vector<std::string>{"spring 3", "spring 1", "spring 2"}));
}

TEST_F(ResultsListTest, EqualSizeTextsKeepTheirArrivalOrder) {
    list_.Insert(Find("spring 1.mp3", 4718592));
    list_.Insert(Find("spring 2.mp3", 4718593));  // also 4.50 MB
    EXPECT_EQ(Names(list_), (std::vector<std::string>{"spring 1", "spring 2"}));
}

TEST_F(ResultsListTest, GroupsFollowEachOther) {
    list_.Insert(Find("other.mp3", 0));
    list_.Insert(Find("spring zip.zip", 2000000, FILE_TYPE_ZIP));
    list_.Insert(Find("spring wma.wma", 2000000, FILE_TYPE_WMA));
    list_.Insert(Find("spring mp3.mp3", 2000000));
    list_.Insert(Find("spring unsized.mp3", 0));
    EXPECT_EQ(Names(list_), (std::vector<std::string>{"spring unsized", "spring mp3", "spring wma",
                                                      "spring zip", "other"}));
}

TEST_F(ResultsListTest, AFileBelowOneMebibyteNeverMatches) {
    list_.Insert(Find("other.mp3", 0));
    list_.Insert(Find("spring.mp3", 921600));  // 900 KB
    list_.Insert(Find("spring edge.mp3", 1048576));
    EXPECT_EQ(Names(list_), (std::vector<std::string>{"spring edge", "other", "spring"}));
    EXPECT_EQ(list_.entries()[2].flags, RESULT_MP3);
}

TEST_F(ResultsListTest, TheTitleCanMakeTheMatch) {
    list_.Insert(Find("track01.mp3", 0, FILE_TYPE_MP3, "Spring Day"));
    EXPECT_TRUE(list_.entries()[0].flags & RESULT_MATCHED);
    EXPECT_FALSE(
        IsMatchingFind(SearchTerm("spring"), Find("mp3.mp3", 0)));  // the extension takes no part
}

TEST_F(ResultsListTest, StartEmptiesTheListForTheNewText) {
    list_.Insert(Find("spring.mp3", 0));
    list_.MarkQueued(0);
    EXPECT_TRUE(list_.entries()[0].flags & RESULT_QUEUED);
    list_.Start("autumn");
    EXPECT_TRUE(list_.entries().empty());
    EXPECT_EQ(list_.Insert(Find("autumn.mp3", 0)), 0u);
    EXPECT_TRUE(list_.entries()[0].flags & RESULT_MATCHED);
}

}  // namespace
}  // namespace bramix
