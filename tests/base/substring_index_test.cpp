#include "base/substring_index.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <tuple>

#include "base/mbcs_text.h"

namespace bramix {
namespace {

// Both ways of looking for many needles in one text (CharacterStarts lives
// with the search it speeds up) must answer as that search does.
TEST(SubstringIndexTest, AnswersAsASearchOnCharacterBoundariesDoes) {
    // Short texts over a few bytes, two-byte characters among them whose second
    // byte looks like the single ones; then longer texts over enough characters
    // that states lead on more than their list holds.
    const std::string few = {'a', 'b', 'A', ' ', '\xB0', '\xA1'};
    std::string many = few;
    for (char c = 'c'; c <= 'z'; ++c) {
        many += c;
    }
    std::mt19937 random(11);
    for (const auto& [letters, longestText, rounds] :
         {std::tuple(few, 16, 3000), std::tuple(many, 300, 300)}) {
        const std::string& alphabet = letters;  // clang 14 captures no bindings
        auto draw = [&](size_t most) {
            std::string text;
            for (size_t i = random() % (most + 1); i > 0; --i) {
                text += alphabet[random() % alphabet.size()];
            }
            return text;
        };
        for (int i = 0; i < rounds; ++i) {
            const std::string text = draw(longestText);
            const SubstringIndex index(text);
            const CharacterStarts starts(text);
            for (int probe = 0; probe < 20; ++probe) {
                // Needles from the text itself, too, so that most are found.
                const size_t from = text.empty() ? 0 : random() % text.size();
                const std::string needle =
                    probe % 2 == 0 ? draw(5) : text.substr(from, random() % 6);
                const bool found = FindOnCharBoundary(text, needle) != std::string::npos;
                ASSERT_EQ(index.Contains(needle), found) << text << " / " << needle;
                ASSERT_EQ(starts.Contain(needle), found) << text << " / " << needle;
            }
        }
    }
}

}  // namespace
}  // namespace bramix
