#pragma once

// What becomes a download entry: a find of the search, or an address the
// command line was given, and a .part that an earlier run left for it.
// Finds are the one place where code page 949 text enters the download
// side; every entry holds UTF-8. Stateless; any thread.

#include <functional>
#include <string>
#include <string_view>

#include "download/download_queue.h"

namespace bramix {

// A find's name, title and file address, in code page 949 as the search
// keeps them. The entry shows them in UTF-8 and saves under the name with
// its last four bytes converted apart, as its extension. The address goes to
// the worker percent-escaped, which puts the same bytes on the wire.
DownloadEntry EntryForFind(std::string_view fileName, std::string_view title,
                           std::string_view fileUrl);

// How a server's answer names a file: a UTF-8 name from its
// Content-Disposition, empty when it names none.
using AnswerNaming = std::function<std::string(const std::string& contentDisposition)>;

// An address as the command line got it (UTF-8, asked for as it stands) and
// the name to save under. Without a name, the answer names the file
// (`naming`), else `linkName` (what the address itself suggests), else
// "download".
DownloadEntry EntryForAddress(std::string url, std::string name, std::string linkName,
                              AnswerNaming naming);

// Takes up the .part that an earlier run left in `folder` for the entry's
// address under the entry's name (any name, when the answer is to name the
// file), so that the download resumes it. False when there is none.
bool TakeUpEarlierPart(DownloadEntry& entry, const std::string& folder);

}  // namespace bramix
