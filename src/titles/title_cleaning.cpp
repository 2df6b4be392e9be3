#include "titles/title_cleaning.h"

#include <vector>

#include "base/code_page.h"
#include "base/file_name_parts.h"
#include "base/mbcs_text.h"
#include "base/text_helpers.h"
#include "titles/keyword_match.h"

namespace bramix {

namespace {

struct Replacement {
    std::string text;
    std::string by;
};

// Applied in this order, one pass each: later entries rely on earlier ones (the
// second "듣기/가사" catches what removing 15 to 18 forms anew). Written in
// UTF-8 here and held as code page 949.
constexpr std::pair<const char*, const char*> kTitleReplacementsUtf8[] = {
    {"&lt;", "<"},
    {"&gt;", ">"},
    {"&amp;", "&"},
    {"&quot;", "\""},
    {"&laquo;", "<"},
    {"&raquo;", ">"},
    {"M/V", "MV"},
    {"♤", ""},
    {"♣", ""},
    {"♧", ""},
    {"♪", ""},
    {"♬", ""},
    {"★", ""},
    {"듣기/가사", ""},
    {"듣기/mp3", ""},
    {"듣기/다운/가사", ""},
    {"듣기/다운", ""},
    {"듣기/가사/다운", ""},
    {"듣기/가사", ""},
    {"mp3/다운/가사", ""},
    {"mp3/다운", ""},
    {"mp3/가사", ""},
    {"다운/가사", ""},
    {"다운/듣기", ""},
    {"다운/mp3", ""},
    {"가사/다운", ""},
    {"전곡듣기/음악감상", ""},
    {"가사.mp3.다운", ""},
    {"다운.듣기.가사", ""},
    {"듣기,감상,가사", ""},
    {"다운,듣기,뮤비,가사", ""},
    {"다운,듣기,가사", ""},
    {"다운, 듣기,가사", ""},
    {"다운, 듣기", ""},
    {"듣기,가사", ""},
    {"다운,가사", ""},
    {"[MP3]", ""},
    {"[mp3]", ""},
    {" 전곡", " "},
    {" 미리듣기", " "},
    {"mp3 다운로드", ""},
    {"mp3다운로드", ""},
    {"MP3다운로드", ""},
    {".mp3 다운", ""},
    {"mp3 파일", ""},
    {"mp3다운", ""},
    {"MP3 다운", ""},
    {"mp3 다운", ""},
    {", 듣기", ""},
    {"( ", "("},
    {"(다운)", ""},
    {"[/", "["},
    {"[다운]", ""},
    {"[음악]", ""},
    {"[신청곡]", ""},
    {"[동]", ""},
    {"다운받기", ""},
    {"[]", ""},
    {"()", ""},
};

const std::vector<Replacement>& TitleReplacements() {
    static const std::vector<Replacement> table = [] {
        std::vector<Replacement> entries;
        for (const auto& [text, by] : kTitleReplacementsUtf8) {
            entries.push_back({Utf8ToAnsi(text), Utf8ToAnsi(by)});
        }
        return entries;
    }();
    return table;
}

// Bytes that separate paths or mean something to a shell, overwritten
// with spaces by TidyText.
bool IsUnsafeInFileName(char c) {
    switch (c) {
        case '\\':
        case '/':
        case ':':
        case '*':
        case '?':
        case '"':
        case '<':
        case '>':
        case '|':
        case '_':
        case '+':
            return true;
        default:
            return false;
    }
}

// Of a "blog name :: song" title, keeps the side that says more, or the side
// that matches the term.
void ChooseSideOfSeparator(std::string& title, std::optional<std::string_view> term) {
    static constexpr std::string_view kSeparator = " :: ";
    const size_t at = FindOnCharBoundary(title, kSeparator);
    if (at == std::string_view::npos) {
        return;
    }
    std::string left = title.substr(0, at);
    std::string right = title.substr(at + kSeparator.size());
    if (right.size() > left.size() || (term && MatchesSearchTerm(*term, right))) {
        title = TrimSpaces(right);
    } else if (term && MatchesSearchTerm(*term, left)) {
        title = TrimSpaces(left);
    }
}

}  // namespace

std::string ExtractPageTitle(std::string_view page) {
    static constexpr std::string_view kOpen = "<title>";
    static constexpr std::string_view kClose = "</title>";
    const size_t open = FindOnCharBoundary(page, kOpen);
    if (open == std::string_view::npos) {
        return {};
    }
    const size_t begin = open + kOpen.size();
    const size_t close = FindOnCharBoundary(page, kClose, begin);
    if (close == std::string_view::npos) {
        return {};
    }
    return std::string(page.substr(begin, close - begin));
}

void StripTags(std::string& text) {
    // '<' and '>' are never the second byte of a code page 949 character.
    std::string out;
    out.reserve(text.size());
    bool inTag = false;
    for (const char c : text) {
        if (inTag) {
            inTag = c != '>';
        } else if (c == '<') {
            inTag = true;
        } else {
            out += c;
        }
    }
    text.swap(out);
}

void CleanTitle(std::string& title, std::optional<std::string_view> term) {
    StripTags(title);
    for (const Replacement& entry : TitleReplacements()) {
        ReplaceAll(title, entry.text, entry.by);
    }
    TrimChar(title, '~');
    TrimChar(title, '!');
    static const std::string download = Utf8ToAnsi("다운");
    static const std::string listen = Utf8ToAnsi("듣기");
    for (const std::string* ending : {&download, &listen}) {
        if (EndsWith(title, *ending)) {
            title.erase(title.size() - ending->size());
            break;
        }
    }
    TrimSpaces(title);
    ChooseSideOfSeparator(title, term);
    TidyText(title);
    if (title.size() > kLongestTitle) {
        CutOnCharBoundary(title, kLongestTitle);
        TrimSpaces(title);
    }
}

void TidyText(std::string& text) {
    ReplaceAll(text, "mp3", "");
    ReplaceRepeatedly(text, "amp;amp;", "amp;");
    ReplaceAll(text, "&amp;", "&");
    ReplaceRepeatedly(text, "!!", "!");
    ReplaceRepeatedly(text, "--", "-");
    ReplaceRepeatedly(text, "~~", "~");
    ReplaceRepeatedly(text, "&&", "&");
    ReplaceRepeatedly(text, "....", "...");
    ReplaceAll(text, "...", "... ");
    ReplaceRepeatedly(text, "[1].", ".");
    ReplaceAll(text, "-", " - ");
    for (size_t i = 0; i < text.size(); ++i) {
        if (IsLeadByte(static_cast<unsigned char>(text[i]))) {
            ++i;  // a two-byte character is skipped whole
        } else if (IsUnsafeInFileName(text[i])) {
            text[i] = ' ';
        }
    }
    ReplaceAll(text, "\xA1\xA1", " ");  // the full-width space
    ReplaceRepeatedly(text, "  ", " ");
    TrimSpaces(text);
    TrimChar(text, '.');
    TrimChar(text, '-');
    TrimChar(text, ',');
    TrimSpaces(text);
}

void TidyFileName(std::string& name) {
    // Lower-cased as part of the whole name: a trail byte that looks like a
    // capital stays as it is.
    std::string lowered = name;
    LowerAscii(lowered);
    std::string stem(SplitFileName(name).stem);
    // No longer than a title: a hostile link's name is carried by its find,
    // and tidying it costs its length.
    CutOnCharBoundary(stem, kLongestTitle);
    TidyText(stem);
    name = stem + std::string(SplitFileName(lowered).extension);
}

}  // namespace bramix
