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

// The name after "filename=" in a Content-Disposition value, quoted or bare:
// a Naver link's as it stands (code page 949), any other's percent-decoded
// from UTF-8. Empty when there is none.
std::string NameFromDisposition(const std::string& disposition, bool naverLink);

// How the bytes of a link's name are to be read once percent-decoded: as
// code page 949 (links found in pages, already converted), or as UTF-8 (an
// address typed on the command line).
enum class LinkCoding { CodePage949, Utf8 };

// The name a link itself suggests: its last path segment, or what follows a
// "filename=" in it, percent-decoded and tidied. Empty without a '/'.
std::string FileNameFromLink(const std::string& link, LinkCoding coding = LinkCoding::CodePage949);

}  // namespace bramix
