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
    for (size_t i = 0; i < text.size();) {
        const auto [character, width] = CharacterAt(text, i);
        Add(character);
        i += width;
    }
}

int SubstringIndex::Next(int state, uint32_t character) const {
    if (state == 0) {
        const auto found = firstCharacters_.find(character);
        return found == firstCharacters_.end() ? -1 : found->second;
    }
    for (int edge = states_[state].firstEdge; edge != -1; edge = edges_[edge].nextEdge) {
        if (edges_[edge].character == character) {
            return edges_[edge].target;
        }
    }
    return -1;
}

void SubstringIndex::SetNext(int state, uint32_t character, int target) {
    if (state == 0) {
        firstCharacters_[character] = target;
        return;
    }
    for (int edge = states_[state].firstEdge; edge != -1; edge = edges_[edge].nextEdge) {
        if (edges_[edge].character == character) {
            edges_[edge].target = target;
            return;
        }
    }
    edges_.push_back({character, target, states_[state].firstEdge});
    states_[state].firstEdge = static_cast<int>(edges_.size()) - 1;
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
