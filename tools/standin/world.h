#pragma once

// A world of blogs for the stand-in web, read from a data file: Tistory, Naver
// and Daum posts with their attachments, links and players, the file servers
// behind them, and the two search services that list the posts. Answers
// requests the way those services answer them (Naver in code page 949, Daum
// behind a frame page, result pages in the markers' shapes).
//
// The file format is described at the top of demo_world.txt.

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "reply.h"
#include "stand_in_web.h"

namespace standin {

struct WorldFile {
    std::string url;
    std::optional<uint64_t> size;  // nullopt: no Content-Length, 1 MiB sent
    std::string nameStyle;         // plain, quoted, utf8, cp949 or none
    std::string name;              // UTF-8
};

struct WorldItem {
    enum class Kind { Heading, Text, Attach, Link, Embed };
    Kind kind;
    std::string url;   // Attach, Link, Embed
    std::string text;  // Heading, Text, the link text of Attach and Link
};

struct WorldPost {
    std::string service;  // tistory, naver or daum
    std::string blog;     // Tistory host, Naver or Daum blog id
    std::string number;
    std::string blogName;
    std::string title;
    std::vector<WorldItem> items;

    // The addresses at which search engines list the post.
    std::vector<std::string> ListedAddresses() const;
};

class World {
public:
    // Throws std::runtime_error naming the line of a malformed entry.
    static World Parse(std::string_view text);
    static World Load(const std::string& path);

    std::optional<Reply> Answer(const RecordedRequest& request) const;

private:
    std::optional<Reply> SearchResults(std::string_view host, std::string_view path,
                                       std::string_view query) const;
    const WorldPost* FindPost(std::string_view service, std::string_view blog,
                              std::string_view number) const;

    std::vector<WorldPost> posts_;
    std::map<std::string, WorldFile> files_;
};

}  // namespace standin
