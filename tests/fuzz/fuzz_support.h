#pragma once

// What the fuzz targets share: a check that stays in release builds, the
// input cut into lines, what a valid or tidy text looks like, and a search
// job whose web answers with the input and which checks every find.

#include <iconv.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

#include "base/code_page.h"
#include "base/text_helpers.h"
#include "net/web_client.h"
#include "posts/media_resolution.h"
#include "posts/search_records.h"

// Aborts with the condition that failed; unlike assert, also under NDEBUG.
#define FUZZ_CHECK(condition) \
    ((condition) ? void() : ::bramix::fuzz::Fail(__FILE__, __LINE__, #condition))

namespace bramix::fuzz {

[[noreturn]] inline void Fail(const char* file, int line, const char* condition) {
    std::fprintf(stderr, "%s:%d: check failed: %s\n", file, line, condition);
    std::abort();
}

inline std::string_view AsText(const uint8_t* data, size_t size) {
    return {reinterpret_cast<const char*>(data), size};
}

// The first `count - 1` lines of the input, then the rest; missing parts empty.
inline std::vector<std::string_view> SplitLines(std::string_view input, size_t count) {
    std::vector<std::string_view> parts;
    for (size_t end; parts.size() + 1 < count && (end = input.find('\n')) != input.npos;) {
        parts.push_back(input.substr(0, end));
        input.remove_prefix(end + 1);
    }
    parts.push_back(input);
    parts.resize(count);
    return parts;
}

// Strict UTF-8 (no overlong forms, surrogates or values beyond U+10FFFF), as
// glibc's decoder reads it rather than the program's own scanner.
inline bool IsValidUtf8(std::string_view text) {
    static const iconv_t decoder = iconv_open("UTF-32LE", "UTF-8");
    iconv(decoder, nullptr, nullptr, nullptr, nullptr);
    std::string decoded(text.size() * 4, '\0');
    char* in = const_cast<char*>(text.data());
    char* out = decoded.data();
    size_t inLeft = text.size(), outLeft = decoded.size();
    return iconv(decoder, &in, &inLeft, &out, &outLeft) == 0 && inLeft == 0;
}

// The code page 949 text with each two-byte character as the one byte 0x80,
// so that a byte search finds single-byte characters only where they stand.
inline std::string Characters(std::string_view text) {
    std::string characters;
    for (size_t i = 0; i < text.size(); ++i) {
        characters += IsLeadByte(text[i]) ? '\x80' : text[i];
        i += IsLeadByte(text[i]) ? 1 : 0;
    }
    return characters;
}

// True when no lead byte of a two-byte character is cut off.
inline bool EndsOnCharBoundary(std::string_view text) {
    const std::string characters = Characters(text);
    return characters.size() + std::ranges::count(characters, '\x80') == text.size();
}

inline constexpr std::string_view kCapitals = "ABCDEFGHIJKLMNOPQRSTUVWXYZ";

// As TrimSpaces leaves a text: no white space character at either end.
inline bool IsTrimmed(std::string_view text) {
    const std::string characters = Characters(text);
    return characters.empty() || (!IsSpaceByte(characters[0]) && !IsSpaceByte(characters.back()));
}

// As TidyText leaves a text: trimmed, single spaces, nothing unsafe in a name.
inline bool IsTidy(std::string_view text) {
    const std::string characters = Characters(text);
    return IsTrimmed(text) && characters.find("  ") == std::string::npos &&
           characters.find_first_of("\\/:*?\"<>|_+") == std::string::npos;
}

// A search job for `term` on a web whose every page is `page` and whose files
// answer 200 with `disposition` and `length` (by default the page's first KiB:
// header lines are bounded, pages are not). Every find is checked; a quarter
// of the pages stop at their first find and may then ask for nothing more.
class FuzzSearch : private WebClient, private SearchListener {
public:
    explicit FuzzSearch(std::string_view page, std::string term = Utf8ToAnsi("봄노래"))
        : FuzzSearch(page, page.substr(0, 1024), page.substr(0, 1024), std::move(term)) {
        stopAtFirstFind_ = page.size() % 4 == 3;
    }
    FuzzSearch(std::string_view page, std::string_view disposition, std::string_view length,
               std::string term)
        : page_(page), disposition_(disposition), length_(length) {
        job_.input = std::move(term);
        job_.web = this;
        job_.listener = this;
    }

    SearchJob& job() { return job_; }
    size_t finds() const { return reported_.size(); }

private:
    FetchResult FetchPage(const std::string&, std::string& text, const StopFlag&) override {
        FUZZ_CHECK(!IsStopped(job_.stopFlag));
        text = page_;
        return text.empty() ? FetchResult{FetchOutcome::EmptyPage, {}} : FetchResult{};
    }
    void StartProbe(const std::string&, const StopFlag&, ProbeDone&& done) override {
        FUZZ_CHECK(!IsStopped(job_.stopFlag));
        done({FetchResult{}, std::string(disposition_), std::string(length_)});
    }
    void OnFound(const FoundFile& found) override {
        static constexpr std::string_view kExtensions[] = {"", ".mp3", ".wma", ".zip"};
        const std::string_view name = found.fileName;
        FUZZ_CHECK(!IsStopped(job_.stopFlag) && !found.fileUrl.empty() && !found.pageUrl.empty());
        FUZZ_CHECK(reported_.insert(found.fileUrl).second && job_.seenLinks.count(found.fileUrl));
        FUZZ_CHECK(found.type >= FILE_TYPE_MP3 && found.type <= FILE_TYPE_ZIP && name.size() >= 4 &&
                   name.substr(name.size() - 4) == kExtensions[found.type]);
        FUZZ_CHECK(found.size == 0 || found.size >= kSmallestAcceptedSize);
        job_.stopFlag = stopAtFirstFind_ ? 1 : 0;
    }

    SearchJob job_;
    std::string_view page_, disposition_, length_;
    bool stopAtFirstFind_ = false;
    std::unordered_set<std::string> reported_;
};

}  // namespace bramix::fuzz
