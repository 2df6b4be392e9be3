#pragma once

// Answers "does this occur in the text, starting on a character boundary?"
// for many needles in time linear in the text plus each needle, where
// searching the text once per needle would cost their product: a suffix
// automaton over the text's characters (a byte below 0x80, or a lead byte
// with the byte after it). Stateless after construction; any thread.

#include <cstdint>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace bramix {

class SubstringIndex {
public:
    // `text` must outlive the index.
    explicit SubstringIndex(std::string_view text);

    // What FindOnCharBoundary(text, needle) != npos answers.
    bool Contains(std::string_view needle) const;

private:
    struct State {
        int link = -1;       // the state of the longest suffix that also ends elsewhere
        int length = 0;      // characters of the longest string that ends here
        int firstEdge = -1;  // into edges_: the characters this state leads on
        int edgeCount = 0;
        bool indexed = false;  // its edges are found through indexedEdges_
    };
    struct Edge {
        uint32_t character;
        int target;
        int nextEdge;
    };

    // Most states lead on a few characters, found along their list; past this
    // many, a state's edges are found through the map.
    static constexpr int kListedEdges = 16;

    static uint64_t KeyOf(int state, uint32_t character) {
        return (static_cast<uint64_t>(state) << 32) | character;
    }
    int EdgeOf(int state, uint32_t character) const;  // -1 when there is none
    int Next(int state, uint32_t character) const;
    void SetNext(int state, uint32_t character, int target);
    void Add(uint32_t character);

    std::string_view text_;
    std::vector<State> states_;
    std::vector<Edge> edges_;
    std::unordered_map<uint64_t, int> indexedEdges_;
    int last_ = 0;
};

}  // namespace bramix
