#include "base/substring_index.h"

#include "base/mbcs_text.h"
#include "base/text_helpers.h"

namespace bramix {

namespace {

// The character at `i` as one number, and how many bytes it takes. A lead
// byte at the very end stands alone: its number cannot be a pair's.
std::pair<uint32_t, size_t> CharacterAt(std::string_view text, size_t i) {
    const auto lead = static_cast<unsigned char>(text[i]);
    if (!IsLeadByte(lead)) {
        return {lead, 1};
    }
    if (i + 1 == text.size()) {
        return {static_cast<uint32_t>(lead) << 8, 1};
    }
    return {(static_cast<uint32_t>(lead) << 8) | static_cast<unsigned char>(text[i + 1]) | 0x10000,
            2};
}

}  // namespace

SubstringIndex::SubstringIndex(std::string_view text) : text_(text) {
    states_.reserve(2 * text.size() + 2);
    edges_.reserve(3 * text.size() + 1);
    states_.emplace_back();
    states_[0].indexed = true;  // the first state leads to every character
    for (size_t i = 0; i < text.size();) {
        const auto [character, width] = CharacterAt(text, i);
        Add(character);
        i += width;
    }
}

int SubstringIndex::EdgeOf(int state, uint32_t character) const {
    if (states_[state].indexed) {
        const auto found = indexedEdges_.find(KeyOf(state, character));
        return found == indexedEdges_.end() ? -1 : found->second;
    }
    for (int edge = states_[state].firstEdge; edge != -1; edge = edges_[edge].nextEdge) {
        if (edges_[edge].character == character) {
            return edge;
        }
    }
    return -1;
}

int SubstringIndex::Next(int state, uint32_t character) const {
    const int edge = EdgeOf(state, character);
    return edge == -1 ? -1 : edges_[edge].target;
}

void SubstringIndex::SetNext(int state, uint32_t character, int target) {
    if (const int edge = EdgeOf(state, character); edge != -1) {
        edges_[edge].target = target;
        return;
    }
    State& from = states_[state];
    edges_.push_back({character, target, from.firstEdge});
    from.firstEdge = static_cast<int>(edges_.size()) - 1;
    if (from.indexed) {
        indexedEdges_.emplace(KeyOf(state, character), from.firstEdge);
    } else if (++from.edgeCount > kListedEdges) {
        // A state with many characters after it: a list would make each
        // lookup cost them all.
        for (int edge = from.firstEdge; edge != -1; edge = edges_[edge].nextEdge) {
            indexedEdges_.emplace(KeyOf(state, edges_[edge].character), edge);
        }
        from.indexed = true;
    }
}

// The suffix automaton's construction, one character at a time.
void SubstringIndex::Add(uint32_t character) {
    const int current = static_cast<int>(states_.size());
    states_.push_back({-1, states_[last_].length + 1, -1});
    int p = last_;
    while (p != -1 && Next(p, character) == -1) {
        SetNext(p, character, current);
        p = states_[p].link;
    }
    if (p == -1) {
        states_[current].link = 0;
    } else if (const int q = Next(p, character); states_[p].length + 1 == states_[q].length) {
        states_[current].link = q;
    } else {
        // q stands for strings of two lengths; the shorter ones move to a copy.
        const int clone = static_cast<int>(states_.size());
        states_.push_back({states_[q].link, states_[p].length + 1, -1});
        for (int edge = states_[q].firstEdge; edge != -1; edge = edges_[edge].nextEdge) {
            SetNext(clone, edges_[edge].character, edges_[edge].target);
        }
        while (p != -1 && Next(p, character) == q) {
            SetNext(p, character, clone);
            p = states_[p].link;
        }
        states_[q].link = clone;
        states_[current].link = clone;
    }
    last_ = current;
}

bool SubstringIndex::Contains(std::string_view needle) const {
    int state = 0;
    for (size_t i = 0; i < needle.size();) {
        const auto [character, width] = CharacterAt(needle, i);
        if (width == 1 && IsLeadByte(static_cast<unsigned char>(needle[i]))) {
            // Half a character at the needle's end matches any character that
            // begins with that byte: the automaton knows whole ones only.
            return FindOnCharBoundary(text_, needle) != std::string_view::npos;
        }
        state = Next(state, character);
        if (state == -1) {
            return false;
        }
        i += width;
    }
    return true;
}

}  // namespace bramix
