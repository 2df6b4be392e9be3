#pragma once

// The names of media files, as links and file servers give them: the search
// names its finds by these rules, and `bramix-cli get` names what it saves by
// the same. Names are code page 949, tidied as file names. Stateless; any
// thread.

#include <string>

namespace bramix {

// Naver serves file names undecoded and in code page 949: a link on its file
// servers, or any link but Daum's in a post on naver.com.
bool IsNaverLink(const std::string& link, const std::string& pageUrl);

// The name after "filename=" in a Content-Disposition value, quoted (to its
// closing quote) or bare (to the next parameter):
// a Naver link's as it stands (code page 949), any other's percent-decoded
// from UTF-8. Empty when there is none.
std::string NameFromDisposition(const std::string& disposition, bool naverLink);

// The name a link itself suggests: its last path segment, or what follows a
// "filename=" in it, percent-decoded and tidied. Empty without a '/'.
std::string FileNameFromLink(const std::string& link);

// The same for an address typed in UTF-8 (the command line), in UTF-8: tidied
// as above when code page 949 holds each of its characters, else only
// decoded.
std::string Utf8FileNameFromLink(const std::string& link);

}  // namespace bramix
