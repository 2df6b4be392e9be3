#pragma once

// What the fuzz targets share: a check that stays in release builds, the
// input cut into lines, code page 949 character boundaries, and a search job
// on a web that answers every request with the input, whose finds are checked
// as they arrive.

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

#include "base/text_helpers.h"
#include "posts/media_resolution.h"
#include "posts/search_records.h"
#include "support/memory_web.h"

// Aborts with the condition that failed; unlike assert, also under NDEBUG.
#define FUZZ_CHECK(condition)                                                                  \
    do {                                                                                       \
        if (!(condition)) {                                                                    \
            std::fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, #condition); \
            std::abort();                                                                      \
        }                                                                                      \
    } while (false)

namespace bramix::fuzz {

// Strict UTF-8: no overlong forms, surrogates or values beyond U+10FFFF.
inline bool IsValidUtf8(std::string_view text) {
    for (size_t i = 0; i < text.size();) {
        const auto lead = static_cast<unsigned char>(text[i]);
        size_t length;
        char32_t value;
        if (lead < 0x80) {
            ++i;
            continue;
        } else if (lead >= 0xC2 && lead <= 0xDF) {
            length = 2, value = lead & 0x1F;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            length = 3, value = lead & 0x0F;
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            length = 4, value = lead & 0x07;
        } else {
            return false;
        }
        if (i + length > text.size()) {
            return false;
        }
        for (size_t k = 1; k < length; ++k) {
            const auto c = static_cast<unsigned char>(text[i + k]);
            if ((c & 0xC0) != 0x80) {
                return false;
            }
            value = (value << 6) | (c & 0x3F);
        }
        const char32_t minimum = length == 2 ? 0x80 : length == 3 ? 0x800 : 0x10000;
        if (value < minimum || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) {
            return false;
        }
        i += length;
    }
    return true;
}

inline std::string_view AsText(const uint8_t* data, size_t size) {
    return {reinterpret_cast<const char*>(data), size};
}

// The first `count - 1` lines of the input, then the rest (which may hold
// more line breaks). Missing parts are empty.
inline std::vector<std::string_view> SplitLines(std::string_view input, size_t count) {
    std::vector<std::string_view> parts;
    while (parts.size() + 1 < count) {
        const size_t end = input.find('\n');
        if (end == std::string_view::npos) {
            break;
        }
        parts.push_back(input.substr(0, end));
        input.remove_prefix(end + 1);
    }
    parts.push_back(input);
    parts.resize(count);
    return parts;
}

// Calls `visit(position)` at the start of every code page 949 character: a
// byte with the high bit set takes the next byte with it.
template <typename Visit>
void ForEachCharacter(std::string_view text, Visit visit) {
    for (size_t i = 0; i < text.size();
         i += IsLeadByte(static_cast<unsigned char>(text[i])) ? 2 : 1) {
        visit(i);
    }
}

// True when the text ends on a character boundary (no lead byte cut off).
inline bool EndsOnCharBoundary(std::string_view text) {
    size_t end = 0;
    ForEachCharacter(text, [&end, &text](size_t i) {
        end = i + (IsLeadByte(static_cast<unsigned char>(text[i])) ? 2 : 1);
    });
    return end == text.size();
}

// True when no character is a single byte for which `matches` holds.
template <typename Predicate>
bool NoSingleByteCharacter(std::string_view text, Predicate matches) {
    bool none = true;
    ForEachCharacter(text, [&](size_t i) {
        const auto c = static_cast<unsigned char>(text[i]);
        none = none && (IsLeadByte(c) || !matches(c));
    });
    return none;
}

// True when `part` occurs in `text` starting on a character boundary.
inline bool OccursOnBoundary(std::string_view text, std::string_view part) {
    bool found = false;
    ForEachCharacter(text, [&](size_t i) { found = found || text.substr(i, part.size()) == part; });
    return found;
}

// Trimmed as TrimSpaces leaves a text: no white space byte first, and no
// single-byte white space character last.
inline bool IsTrimmed(std::string_view text) {
    if (text.empty()) {
        return true;
    }
    bool lastIsSpace = false;
    ForEachCharacter(
        text, [&](size_t i) { lastIsSpace = IsSpaceByte(static_cast<unsigned char>(text[i])); });
    return !IsSpaceByte(static_cast<unsigned char>(text.front())) && !lastIsSpace;
}

// What TidyText leaves: trimmed, single spaces, and no byte that is unsafe in
// a file name standing as a character of its own.
inline bool IsTidy(std::string_view text) {
    static constexpr std::string_view kUnsafe = "\\/:*?\"<>|_+";
    return IsTrimmed(text) && !OccursOnBoundary(text, "  ") &&
           NoSingleByteCharacter(text, [](unsigned char c) {
               return kUnsafe.find(static_cast<char>(c)) != std::string_view::npos;
           });
}

// A web where every page is the fuzz input and every file's server answers
// 200 with the input's first kilobyte as its Content-Disposition and
// Content-Length (a real server's header lines are bounded; the page is not).
// After the job's stop, any request fails the check.
class EchoWeb : public testing::MemoryWeb {
public:
    static constexpr size_t kHeaderLimit = 1024;

    EchoWeb(const SearchJob& job, std::string_view page)
        : EchoWeb(job, page, page.substr(0, kHeaderLimit), page.substr(0, kHeaderLimit)) {}
    EchoWeb(const SearchJob& job, std::string_view page, std::string_view disposition,
            std::string_view length)
        : job_(job), page_(page), disposition_(disposition), length_(length) {}

    FetchResult FetchPage(const std::string& url, std::string& text,
                          const StopFlag& stop) override {
        FUZZ_CHECK(!IsStopped(job_.stopFlag));
        SetPage(url, std::string(page_));
        return MemoryWeb::FetchPage(url, text, stop);
    }

    FileProbe ProbeFile(const std::string& url, const StopFlag& stop) override {
        FUZZ_CHECK(!IsStopped(job_.stopFlag));
        SetFile(url, std::string(disposition_), std::string(length_));
        return MemoryWeb::ProbeFile(url, stop);
    }

private:
    const SearchJob& job_;
    std::string_view page_;
    std::string_view disposition_;
    std::string_view length_;
};

// A search job for `term` on an EchoWeb, checking every find: a file name
// with its type's extension, an address reported once, a size that is
// unknown or large enough. When `stopAtFirstFind`, the first find asks for
// the stop, and nothing may be found or fetched after it.
class FuzzSearch : private SearchListener {
public:
    FuzzSearch(std::string_view page, std::string term, bool stopAtFirstFind) : web_(job_, page) {
        Prepare(std::move(term), stopAtFirstFind);
    }
    FuzzSearch(std::string_view disposition, std::string_view length, std::string term)
        : web_(job_, {}, disposition, length) {
        Prepare(std::move(term), false);
    }

    SearchJob& job() { return job_; }
    size_t finds() const { return reported_.size(); }

private:
    void Prepare(std::string term, bool stopAtFirstFind) {
        job_.input = std::move(term);
        job_.web = &web_;
        stopAtFirstFind_ = stopAtFirstFind;
        job_.listener = this;
    }

    // The analyzers report finds alone: any other event fails the check.
    void OnRange(int) override { FUZZ_CHECK(false); }
    void OnPosition(int, int) override { FUZZ_CHECK(false); }
    void OnEnd() override { FUZZ_CHECK(false); }

    void OnFound(const FoundFile& found) override {
        FUZZ_CHECK(!IsStopped(job_.stopFlag));
        Check(found);
        if (stopAtFirstFind_) {
            job_.stopFlag = 1;
        }
    }

    void Check(const FoundFile& found) {
        FUZZ_CHECK(!found.fileUrl.empty());
        FUZZ_CHECK(!found.pageUrl.empty());
        FUZZ_CHECK(reported_.insert(found.fileUrl).second);
        FUZZ_CHECK(job_.seenLinks.count(found.fileUrl) == 1);
        FUZZ_CHECK(found.fileName.size() >= 4);
        const std::string_view extension =
            std::string_view(found.fileName).substr(found.fileName.size() - 4);
        const int expected = extension == ".mp3"   ? FILE_TYPE_MP3
                             : extension == ".wma" ? FILE_TYPE_WMA
                             : extension == ".zip" ? FILE_TYPE_ZIP
                                                   : 0;
        FUZZ_CHECK(expected != 0 && found.type == expected);
        FUZZ_CHECK(found.size == 0 || found.size >= kSmallestAcceptedSize);
    }

    SearchJob job_;
    EchoWeb web_;
    bool stopAtFirstFind_ = false;
    std::unordered_set<std::string> reported_;
};

// A quarter of the inputs, chosen by size, are stopped at their first find.
inline bool StopAtFirstFind(std::string_view input) {
    return input.size() % 4 == 3;
}

}  // namespace bramix::fuzz
