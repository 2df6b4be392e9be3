#include "world.h"

#include <iconv.h>

#include <algorithm>
#include <cctype>
#include <fstream>
#include <sstream>
#include <stdexcept>

#include "posts/site_constants.h"

namespace standin {

namespace {

using namespace bramix;  // the site constants

constexpr uint64_t kUnannouncedSize = 1024 * 1024;

// Whole-text conversion between UTF-8 and code page 949 for pages the world
// writes itself; its texts are all valid.
std::string Recode(std::string_view text, const char* from, const char* to) {
    iconv_t cd = iconv_open(to, from);
    if (cd == reinterpret_cast<iconv_t>(-1)) {
        return std::string(text);
    }
    std::string out(text.size() * 2 + 16, '\0');
    char* in = const_cast<char*>(text.data());
    size_t inLeft = text.size();
    char* outPtr = out.data();
    size_t outLeft = out.size();
    while (inLeft > 0 && iconv(cd, &in, &inLeft, &outPtr, &outLeft) == static_cast<size_t>(-1)) {
        *outPtr++ = '?';  // the world's own text never gets here
        --outLeft;
        ++in;
        --inLeft;
    }
    iconv_close(cd);
    out.resize(out.size() - outLeft);
    return out;
}

std::string ToCp949(std::string_view utf8) {
    return Recode(utf8, "UTF-8", "CP949");
}
std::string FromCp949(std::string_view cp949) {
    return Recode(cp949, "CP949", "UTF-8");
}

std::string Trim(std::string_view text) {
    const size_t begin = text.find_first_not_of(" \t\r");
    if (begin == std::string_view::npos) {
        return {};
    }
    const size_t end = text.find_last_not_of(" \t\r");
    return std::string(text.substr(begin, end - begin + 1));
}

std::vector<std::string> SplitFields(std::string_view text) {
    std::vector<std::string> fields;
    size_t start = 0;
    for (size_t bar = text.find('|');; bar = text.find('|', start)) {
        fields.push_back(
            Trim(text.substr(start, bar == std::string_view::npos ? bar : bar - start)));
        if (bar == std::string_view::npos) {
            return fields;
        }
        start = bar + 1;
    }
}

std::string Absolute(const std::string& url) {
    return url.find("://") == std::string::npos ? "http://" + url : url;
}

std::string Lower(std::string text) {
    for (char& c : text) {
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
    }
    return text;
}

std::string PercentDecoded(std::string_view text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 2 < text.size()) {
            out += static_cast<char>(std::stoi(std::string(text.substr(i + 1, 2)), nullptr, 16));
            i += 2;
        } else {
            out += text[i] == '+' ? ' ' : text[i];
        }
    }
    return out;
}

std::string PercentEncoded(std::string_view text) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string out;
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (std::isalnum(byte) || c == '.' || c == '-' || c == '_') {
            out += c;
        } else {
            out += '%';
            out += kHex[byte >> 4];
            out += kHex[byte & 0x0F];
        }
    }
    return out;
}

std::string HtmlEscaped(std::string_view text) {
    std::string out;
    for (const char c : text) {
        switch (c) {
            case '&':
                out += "&amp;";
                break;
            case '<':
                out += "&lt;";
                break;
            case '>':
                out += "&gt;";
                break;
            default:
                out += c;
        }
    }
    return out;
}

struct Address {
    std::string host;
    std::string path;
    std::string query;
};

Address Split(const std::string& url) {
    Address address;
    const size_t hostStart = url.find("://") + 3;
    const size_t pathStart = url.find('/', hostStart);
    address.host = url.substr(hostStart, pathStart - hostStart);
    const std::string rest = pathStart == std::string::npos ? "/" : url.substr(pathStart);
    const size_t question = rest.find('?');
    address.path = rest.substr(0, question);
    address.query = question == std::string::npos ? "" : rest.substr(question + 1);
    return address;
}

// The raw value of a query parameter (still escaped).
std::string Parameter(std::string_view query, std::string_view name) {
    size_t start = 0;
    while (start <= query.size()) {
        const size_t end = std::min(query.find('&', start), query.size());
        const std::string_view pair = query.substr(start, end - start);
        if (pair.substr(0, name.size()) == name && pair.size() > name.size() &&
            pair[name.size()] == '=') {
            return std::string(pair.substr(name.size() + 1));
        }
        start = end + 1;
    }
    return {};
}

// The words a search asks for: the format words are what every query adds.
std::vector<std::string> QueryWords(const std::string& utf8Query) {
    std::vector<std::string> words;
    std::istringstream stream(Lower(utf8Query));
    for (std::string word; stream >> word;) {
        if (word != "mp3" && word != "wma") {
            words.push_back(word);
        }
    }
    return words;
}

bool TitleHasEveryWord(const WorldPost& post, const std::vector<std::string>& words) {
    std::string text = Lower(post.title);
    for (const WorldItem& item : post.items) {
        if (item.kind == WorldItem::Kind::Heading) {
            text += " " + Lower(item.text);
        }
    }
    return !words.empty() && std::all_of(words.begin(), words.end(), [&text](const auto& word) {
        return text.find(word) != std::string::npos;
    });
}

std::string Heading(const WorldPost& post) {
    for (const WorldItem& item : post.items) {
        if (item.kind == WorldItem::Kind::Heading) {
            return item.text;
        }
    }
    return post.title;
}

// The post's own markup, the same on every service but for the wrapping.
std::string ItemsHtml(const WorldPost& post, bool tistoryHeadings) {
    std::string html;
    int player = 0;
    bool headingWritten = false;
    for (const WorldItem& item : post.items) {
        switch (item.kind) {
            case WorldItem::Kind::Heading:
                if (tistoryHeadings) {
                    html += "<div class=\"titleWrap\"><h2><a href=\"/" + post.number + "\">" +
                            HtmlEscaped(item.text) + "</a></h2><span class=\"date\">2008.04." +
                            post.number.substr(post.number.size() - 1) + "</span></div>\n";
                    headingWritten = true;
                } else {
                    html += "<h4>" + HtmlEscaped(item.text) + "</h4>\n";
                }
                break;
            case WorldItem::Kind::Text:
                html += "<p>" + HtmlEscaped(item.text) + "</p>\n";
                break;
            case WorldItem::Kind::Attach:
                if (tistoryHeadings && !headingWritten) {
                    html += "<div class=\"titleWrap\"><h2><a href=\"/" + post.number + "\">" +
                            HtmlEscaped(post.title) + "</a></h2></div>\n";
                    headingWritten = true;
                }
                ++player;
                html += "<div class=\"imageblock\"><span id=\"mp3player" + std::to_string(player) +
                        "\"></span><script type=\"text/javascript\">AudioPlayer.embed(\"mp3player" +
                        std::to_string(player) + "\", {soundFile:\"" + PercentEncoded(item.url) +
                        "\"});</script><noscript><a href=\"" + item.url + "\">" +
                        HtmlEscaped(item.text) + "</a></noscript></div>\n";
                break;
            case WorldItem::Kind::Link:
                html += "<p><a href=\"" + item.url + "\" target=\"_blank\">" +
                        HtmlEscaped(item.text.empty() ? "다운로드" : item.text) + "</a></p>\n";
                break;
            case WorldItem::Kind::Embed:
                html += "<p><EMBED src=\"" + item.url +
                        "\" width=\"300\" height=\"45\" autostart=\"false\" loop=\"true\"></p>\n";
                break;
        }
    }
    return html;
}

std::string TistoryPage(const WorldPost& post) {
    return "<!DOCTYPE html>\n<html lang=\"ko\"><head><meta charset=\"utf-8\"><title>" +
           HtmlEscaped(post.title) + " :: " + HtmlEscaped(post.blogName) +
           "</title></head>\n<body id=\"tt-body-page\"><div id=\"head\"><h1><a href=\"/\">" +
           HtmlEscaped(post.blogName) + "</a></h1></div>\n<div class=\"entry\">\n" +
           ItemsHtml(post, true) + "</div>\n</body></html>\n";
}

std::string NaverPage(const WorldPost& post) {
    const std::string utf8 =
        "<html><head><meta http-equiv=\"Content-Type\" content=\"text/html; charset=euc-kr\">"
        "<title>" +
        HtmlEscaped(post.title) +
        " : 네이버  블로그</title></head>\n"
        "<body><div id=\"post-view" +
        post.number + "\" class=\"post-view\">\n<h3 class=\"pcol1\">" + HtmlEscaped(Heading(post)) +
        "</h3>\n" + ItemsHtml(post, false) + "</div></body></html>\n";
    return ToCp949(utf8);
}

std::string DaumContentAddress(const WorldPost& post) {
    return "/_blog/BlogView.do?blogid=" + post.blog + "&articleno=" + post.number +
           "&categoryId=&admin=";
}

std::string DaumFramePage(const WorldPost& post) {
    return "<html><head><title>" + HtmlEscaped(post.blogName) +
           "</title></head>\n<frameset rows=\"0,*\" frameborder=\"0\">"
           "<frame SRC=\"/_blog/hdn.do?blogid=" +
           post.blog +
           "\" name=\"hdn\">"
           "<frame SRC=\"" +
           DaumContentAddress(post) + "\" name=\"BlogMain\"></frameset></html>\n";
}

std::string DaumPage(const WorldPost& post) {
    return "<html><head><meta charset=\"utf-8\"><title>" + HtmlEscaped(post.blogName) + " - " +
           HtmlEscaped(post.title) +
           "</title></head>\n<body><div class=\"article\">\n"
           "<h3 class=\"title\">" +
           HtmlEscaped(Heading(post)) + "</h3>\n" + ItemsHtml(post, false) +
           "</div></body></html>\n";
}

Reply FileReply(const WorldFile& file) {
    Reply reply = LargeBody(file.size.value_or(kUnannouncedSize), "audio/mpeg");
    reply.announceLength = file.size.has_value();
    std::string disposition;
    if (file.nameStyle == "plain") {
        disposition = "attachment; filename=" + file.name;
    } else if (file.nameStyle == "quoted") {
        disposition = "attachment; filename=\"" + file.name + "\"";
    } else if (file.nameStyle == "utf8") {
        disposition = "attachment; filename=\"" + PercentEncoded(file.name) + "\"";
    } else if (file.nameStyle == "cp949") {
        disposition = "attachment; filename=\"" + ToCp949(file.name) + "\"";
    }
    if (!disposition.empty()) {
        reply.headers.emplace_back("Content-Disposition", disposition);
    }
    return reply;
}

}  // namespace

std::vector<std::string> WorldPost::ListedAddresses() const {
    if (service == "tistory") {
        return {"http://" + blog + "/" + number, "http://" + blog + "/entry/" + number};
    }
    if (service == "naver") {
        return {std::string("http://") + HOST_NAVER_BLOG + "/" + blog +
                "?Redirect=Log&logNo=" + number};
    }
    return {std::string("http://") + HOST_DAUM_BLOG + "/" + blog + "/" + number};
}

World World::Parse(std::string_view text) {
    World world;
    std::istringstream lines{std::string(text)};
    int lineNumber = 0;
    auto fail = [&lineNumber](const std::string& why) {
        throw std::runtime_error("world line " + std::to_string(lineNumber) + ": " + why);
    };
    for (std::string line; std::getline(lines, line);) {
        ++lineNumber;
        const std::string content = Trim(line);
        if (content.empty() || content[0] == '#') {
            continue;
        }
        const size_t space = content.find(' ');
        const std::string keyword = content.substr(0, space);
        const std::string rest = space == std::string::npos ? "" : Trim(content.substr(space));
        if (keyword == "post") {
            const std::vector<std::string> fields = SplitFields(rest);
            const size_t serviceEnd = fields[0].find(' ');
            if (fields.size() != 3 || serviceEnd == std::string::npos) {
                fail("post SERVICE BLOG/NUMBER | BLOG NAME | TITLE");
            }
            WorldPost post;
            post.service = fields[0].substr(0, serviceEnd);
            const std::string address = Trim(fields[0].substr(serviceEnd));
            const size_t slash = address.rfind('/');
            if (slash == std::string::npos ||
                (post.service != "tistory" && post.service != "naver" && post.service != "daum")) {
                fail("unknown service or address");
            }
            post.blog = address.substr(0, slash);
            post.number = address.substr(slash + 1);
            post.blogName = fields[1];
            post.title = fields[2];
            world.posts_.push_back(post);
            continue;
        }
        if (world.posts_.empty()) {
            fail("an item before the first post");
        }
        WorldItem item;
        const std::vector<std::string> fields = SplitFields(rest);
        if (keyword == "heading" || keyword == "text") {
            item.kind = keyword == "heading" ? WorldItem::Kind::Heading : WorldItem::Kind::Text;
            item.text = rest;
            world.posts_.back().items.push_back(item);
            continue;
        }
        if (keyword == "attach") {
            item.kind = WorldItem::Kind::Attach;
        } else if (keyword == "link") {
            item.kind = WorldItem::Kind::Link;
        } else if (keyword == "embed") {
            item.kind = WorldItem::Kind::Embed;
        } else {
            fail("unknown entry " + keyword);
        }
        item.url = Absolute(fields[0]);
        WorldFile file;
        // Naver's file server takes its attachment links with the marker
        // parameter or without it; the program asks without.
        file.url = item.url.substr(0, item.url.find("?type=attachment"));
        file.size = 4 * 1024 * 1024;
        file.nameStyle = "none";
        for (size_t i = 1; i < fields.size(); ++i) {
            const std::string& field = fields[i];
            if (field.rfind("size=", 0) == 0) {
                const std::string value = field.substr(5);
                file.size =
                    value == "none" ? std::nullopt : std::optional<uint64_t>(std::stoull(value));
            } else if (field.rfind("name=", 0) == 0) {
                const size_t colon = field.find(':');
                if (colon == std::string::npos) {
                    fail("name=STYLE:NAME");
                }
                file.nameStyle = field.substr(5, colon - 5);
                file.name = field.substr(colon + 1);
            } else {
                item.text = field;
            }
        }
        world.posts_.back().items.push_back(item);
        world.files_.emplace(file.url, file);
        world.files_.emplace(item.url, file);
    }
    return world;
}

World World::Load(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        throw std::runtime_error("cannot read " + path);
    }
    std::ostringstream content;
    content << file.rdbuf();
    return Parse(content.str());
}

const WorldPost* World::FindPost(std::string_view service, std::string_view blog,
                                 std::string_view number) const {
    for (const WorldPost& post : posts_) {
        if (post.service == service && post.blog == blog && post.number == number) {
            return &post;
        }
    }
    return nullptr;
}

std::optional<Reply> World::SearchResults(std::string_view host, std::string_view path,
                                          std::string_view query) const {
    const bool google = host == HOST_GOOGLE_SEARCH && path == "/search";
    const bool naver = host == HOST_NAVER_SEARCH && path == "/search.naver";
    if (!google && !naver) {
        return std::nullopt;
    }
    std::string service;
    std::string terms;
    size_t first = 0;
    size_t count = 10;
    if (google) {
        const std::string site = Parameter(query, "as_sitesearch");
        service = site == DOMAIN_TISTORY ? "tistory" : site == HOST_DAUM_BLOG ? "daum" : "";
        terms = PercentDecoded(Parameter(query, "as_q"));
        first = std::stoul("0" + Parameter(query, "start"));
        count = std::max<size_t>(1, std::stoul("0" + Parameter(query, "num")));
    } else {
        service = "naver";
        terms = FromCp949(PercentDecoded(Parameter(query, "query")));
        const size_t start = std::stoul("0" + Parameter(query, "start"));
        first = start > 0 ? start - 1 : 0;  // Naver counts from 1
    }
    const std::vector<std::string> words = QueryWords(terms);
    std::vector<std::pair<std::string, const WorldPost*>> listed;
    for (const WorldPost& post : posts_) {
        if (post.service == service && TitleHasEveryWord(post, words)) {
            for (const std::string& address : post.ListedAddresses()) {
                listed.emplace_back(address, &post);
            }
        }
    }
    std::string results;
    for (size_t i = first; i < listed.size() && i < first + count; ++i) {
        const auto& [address, post] = listed[i];
        if (google) {
            results += "<li class=g><h3 class=r><a href=\"" + address +
                       "\" class=l onmousedown=\"return rwt(this)\">" + HtmlEscaped(post->title) +
                       "</a></h3><div class=\"s\">" + HtmlEscaped(post->blogName) + "<br><cite>" +
                       address + "</cite></div></li>\n";
        } else {
            results += "<dt><a href=\"" + address + "\" class=\"url\" target=\"_blank\">" +
                       HtmlEscaped(post->title) + "</a></dt><dd>" + HtmlEscaped(post->blogName) +
                       "</dd>\n";
        }
    }
    if (google) {
        // A result marker in the head's script must not count.
        return Page("<!doctype html><html><head><meta charset=\"utf-8\"><title>" +
                    HtmlEscaped(terms) +
                    " - Google 검색</title><script>var t='<li class=g><h3 class=r><a "
                    "href=\"http://www.google.co.kr/intl/ko/\" ';</script></head>\n<body><div "
                    "id=\"res\"><ol>\n" +
                    results + "</ol></div></body></html>\n");
    }
    return Page(
        ToCp949("<html><head><title>" + HtmlEscaped(terms) +
                " : 네이버 블로그검색</title></head>\n<body><div class=\"blog section\"><dl>\n" +
                results + "</dl></div></body></html>\n"));
}

std::optional<Reply> World::Answer(const RecordedRequest& request) const {
    if (const auto file = files_.find(request.url); file != files_.end()) {
        return FileReply(file->second);
    }
    const Address address = Split(request.url);
    if (auto results = SearchResults(address.host, address.path, address.query)) {
        return results;
    }
    const std::string tistory = std::string(".") + DOMAIN_TISTORY;
    if (address.host.size() > tistory.size() &&
        address.host.compare(address.host.size() - tistory.size(), tistory.size(), tistory) == 0) {
        const std::string number = address.path.substr(address.path.rfind('/') + 1);
        if (const WorldPost* post = FindPost("tistory", address.host, number)) {
            return Page(TistoryPage(*post));
        }
        return std::nullopt;
    }
    if (address.host == HOST_NAVER_BLOG && address.path == "/PostView.nhn") {
        if (const WorldPost* post = FindPost("naver", Parameter(address.query, "blogId"),
                                             Parameter(address.query, "logNo"))) {
            return Page(NaverPage(*post));
        }
        return std::nullopt;
    }
    if (address.host == HOST_DAUM_BLOG) {
        if (address.path == "/_blog/BlogView.do") {
            if (const WorldPost* post = FindPost("daum", Parameter(address.query, "blogid"),
                                                 Parameter(address.query, "articleno"))) {
                return Page(DaumPage(*post));
            }
            return std::nullopt;
        }
        const size_t slash = address.path.rfind('/');
        if (slash > 0) {
            if (const WorldPost* post = FindPost("daum", address.path.substr(1, slash - 1),
                                                 address.path.substr(slash + 1))) {
                return Page(DaumFramePage(*post));
            }
        }
    }
    return std::nullopt;
}

}  // namespace standin
