#pragma once

// Answers "does this occur in the text, starting on a character boundary?"
// for many needles in time linear in the text plus each needle, where
// searching the text once per needle would cost their product: a suffix
// automaton over the text's characters (a byte below 0x80, or a lead byte
// with the byte after it). Stateless after construction; any thread.

#include <cstdint>
#include <string_view>
#include <vector>

namespace bramix {

class SubstringIndex {
public:
    // `text` must outlive the index.
    explicit SubstringIndex(std::string_view text);

    // What FindOnCharBoundary(text, needle) != npos answers.
    bool Contains(std::string_view needle) const;

private:
    // Most states lead on one or two characters: those edges live in the
    // state itself, so that following one costs no second look into memory.
    static constexpr int kInlineEdges = 2;
    struct State {
        int link = -1;   // the state of the longest suffix that also ends elsewhere
        int length = 0;  // characters of the longest string that ends here
        uint32_t inlineCharacter[kInlineEdges] = {};
        int inlineTarget[kInlineEdges] = {};
        int firstEdge = -1;  // into edges_: the characters it leads on past those
        uint16_t edgeCount = 0;
        bool indexed = false;  // its other edges are found through edgeIndex_
    };
    struct Edge {
        uint32_t character;
        int target;
        int nextEdge;
    };

    // A few more are found along their list; past this many, a state's edges
    // are found through the index (a text of many different characters makes
    // such states, the first one above all).
    static constexpr int kListedEdges = 16;

    // (state, character) -> edge, in one open-addressing table: a lookup
    // costs about one probe of memory.
    class EdgeIndex {
    public:
        int Find(int state, uint32_t character) const;  // -1 when there is none
        void Add(int state, uint32_t character, int edge);

    private:
        static uint64_t KeyOf(int state, uint32_t character);  // never 0, a free slot
        size_t SlotOf(uint64_t key) const;
        void Grow();

        std::vector<uint64_t> keys_;
        std::vector<int> edges_;
        size_t used_ = 0;
        int shift_ = 64;  // leaves as many bits of a key's hash as the table has slots
    };

    // Where the state leads on the character; null when nowhere.
    const int* TargetOf(int state, uint32_t character) const;
    int Next(int state, uint32_t character) const;
    void SetNext(int state, uint32_t character, int target);
    void Add(uint32_t character);

    std::string_view text_;
    std::vector<State> states_;
    std::vector<Edge> edges_;
    EdgeIndex edgeIndex_;
    int last_ = 0;
};

}  // namespace bramix
