#include "results/results_list.h"

#include <gtest/gtest.h>

namespace bramix {

static FoundFile Find(const std::string& name, uint32_t size, int type = FILE_TYPE_MP3) {
    FoundFile found;
    found.fileName = name;
    found.size = size;
    found.type = type;
    return found;
}

// Searching for "spring": matched finds first, unsized ones, then mp3s and
// wmas, each by size text descending as text, then the rest; the unmatched
// last; equals in arrival order. Finds of a known size below one mebibyte
// never match; the title can make the match. Rows read "name|type|size".
TEST(ResultsListTest, PutsMatchedFindsFirstGrouped) {
    FoundFile titled = Find("track01.mp3", 0);
    titled.title = "Spring Day";
    const FoundFile other = Find("other.mp3", 0);
    const std::pair<std::vector<FoundFile>, std::vector<std::string>> rows[] = {
        {{other, Find("spring a.mp3", 0), Find("spring b.wma", 0, FILE_TYPE_WMA), titled},
         {"spring a|mp3|", "spring b|wma|", "track01|mp3|", "other|mp3|"}},
        {{Find("spring 1.mp3", 4718592), Find("spring 2.mp3", 10695475),
          Find("spring 3.mp3", 10276045), Find("spring 4.mp3", 4718593)},
         {"spring 3|mp3|9.80 MB", "spring 1|mp3|4.50 MB", "spring 4|mp3|4.50 MB",
          "spring 2|mp3|10.1 MB"}},
        {{other, Find("spring zip.zip", 2000000, FILE_TYPE_ZIP), Find("spring x.xyz", 2000000, 7),
          Find("spring wma.wma", 2000000, FILE_TYPE_WMA), Find("spring mp3.mp3", 2000000),
          Find("spring unsized.mp3", 0)},
         {"spring unsized|mp3|", "spring mp3|mp3|1.90 MB", "spring wma|wma|1.90 MB",
          "spring zip|zip|1.90 MB", "spring x|zip|1.90 MB", "other|mp3|"}},
        {{other, Find("spring.mp3", 921600), Find("spring edge.mp3", 1048576)},
         {"spring edge|mp3|1.00 MB", "other|mp3|", "spring|mp3|900 KB"}}};
    ResultsList list;
    for (const auto& [finds, expected] : rows) {
        list.Start("spring");
        std::vector<std::string> placed;  // as the window inserts each at the row it is told
        for (const FoundFile& find : finds) {
            const size_t row = list.Insert(find);
            const ResultEntry& entry = list.entries().at(row);
            placed.insert(placed.begin() + static_cast<ptrdiff_t>(row),
                          entry.name + "|" + entry.typeText + "|" + entry.sizeText);
        }
        EXPECT_EQ(placed, expected);
    }
}

}  // namespace bramix
