#include "base/substring_index.h"

#include <algorithm>
#include <bit>

#include "base/mbcs_text.h"
#include "base/text_helpers.h"

namespace bramix {

namespace {

// The character at `i` as one number, and how many bytes it takes. A lead
// byte at the very end stands alone: its number cannot be a pair's.
std::pair<uint32_t, size_t> CodeAt(std::string_view text, size_t i) {
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
        const auto [character, width] = CodeAt(text, i);
        Add(character);
        i += width;
    }
}

uint64_t SubstringIndex::EdgeIndex::KeyOf(int state, uint32_t character) {
    return (uint64_t{1} << 63) | (static_cast<uint64_t>(state) << 32) | character;
}

size_t SubstringIndex::EdgeIndex::SlotOf(uint64_t key) const {
    // Fibonacci hashing: the product's top bits spread neighbouring keys.
    const size_t mask = keys_.size() - 1;
    size_t slot = static_cast<size_t>((key * 0x9E3779B97F4A7C15ull) >> shift_);
    while (keys_[slot] != 0 && keys_[slot] != key) {
        slot = (slot + 1) & mask;
    }
    return slot;
}

int SubstringIndex::EdgeIndex::Find(int state, uint32_t character) const {
    if (keys_.empty()) {
        return -1;
    }
    const size_t slot = SlotOf(KeyOf(state, character));
    return keys_[slot] == 0 ? -1 : edges_[slot];
}

void SubstringIndex::EdgeIndex::Add(int state, uint32_t character, int edge) {
    if (2 * (used_ + 1) > keys_.size()) {
        Grow();  // at most half full, so that probes stay short
    }
    const uint64_t key = KeyOf(state, character);
    const size_t slot = SlotOf(key);
    used_ += keys_[slot] == 0 ? 1 : 0;
    keys_[slot] = key;
    edges_[slot] = edge;
}

void SubstringIndex::EdgeIndex::Grow() {
    std::vector<uint64_t> keys = std::move(keys_);
    std::vector<int> edges = std::move(edges_);
    keys_.assign(keys.empty() ? 64 : 2 * keys.size(), 0);
    edges_.assign(keys_.size(), -1);
    shift_ = 64 - std::countr_zero(keys_.size());
    for (size_t i = 0; i < keys.size(); ++i) {
        if (keys[i] != 0) {
            const size_t slot = SlotOf(keys[i]);
            keys_[slot] = keys[i];
            edges_[slot] = edges[i];
        }
    }
}

const int* SubstringIndex::TargetOf(int state, uint32_t character) const {
    const State& from = states_[state];
    for (int i = 0; i < std::min<int>(from.edgeCount, kInlineEdges); ++i) {
        if (from.inlineCharacter[i] == character) {
            return &from.inlineTarget[i];
        }
    }
    if (from.indexed) {
        const int edge = edgeIndex_.Find(state, character);
        return edge == -1 ? nullptr : &edges_[edge].target;
    }
    for (int edge = from.firstEdge; edge != -1; edge = edges_[edge].nextEdge) {
        if (edges_[edge].character == character) {
            return &edges_[edge].target;
        }
    }
    return nullptr;
}

int SubstringIndex::Next(int state, uint32_t character) const {
    const int* target = TargetOf(state, character);
    return target == nullptr ? -1 : *target;
}

void SubstringIndex::SetNext(int state, uint32_t character, int target) {
    if (const int* known = TargetOf(state, character)) {
        *const_cast<int*>(known) = target;
        return;
    }
    State& from = states_[state];
    if (from.edgeCount < kInlineEdges) {
        from.inlineCharacter[from.edgeCount] = character;
        from.inlineTarget[from.edgeCount] = target;
        ++from.edgeCount;
        return;
    }
    edges_.push_back({character, target, from.firstEdge});
    from.firstEdge = static_cast<int>(edges_.size()) - 1;
    if (from.indexed) {
        edgeIndex_.Add(state, character, from.firstEdge);
    } else if (++from.edgeCount > kListedEdges) {
        // A state with many characters after it: a list would make each
        // lookup cost them all.
        for (int edge = from.firstEdge; edge != -1; edge = edges_[edge].nextEdge) {
            edgeIndex_.Add(state, edges_[edge].character, edge);
        }
        from.indexed = true;
    }
}

// The suffix automaton's construction, one character at a time.
void SubstringIndex::Add(uint32_t character) {
    const int current = static_cast<int>(states_.size());
    states_.emplace_back();
    states_[current].length = states_[last_].length + 1;
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
        State copy = states_[q];  // its inline edges, and its other ones below
        copy.length = states_[p].length + 1;
        copy.firstEdge = -1;
        copy.edgeCount = std::min<uint16_t>(copy.edgeCount, kInlineEdges);
        copy.indexed = false;
        states_.push_back(copy);
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
        const auto [character, width] = CodeAt(needle, i);
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
