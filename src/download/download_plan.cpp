#include "download/download_plan.h"

#include "base/code_page.h"
#include "base/file_name_parts.h"
#include "download/disk_names.h"
#include "download/partial_file.h"
#include "net/http_request.h"

namespace bramix {

DownloadEntry EntryForFind(std::string_view fileName, std::string_view title,
                           std::string_view fileUrl) {
    DownloadEntry entry;
    entry.fileName = AnsiToUtf8(fileName);
    entry.title = AnsiToUtf8(title);
    entry.fileUrl = AnsiToUtf8(fileUrl);
    // Escaping is all the worker does to an address, and escaping twice
    // changes nothing: the server is asked for the bytes the search found.
    entry.requestUrl = EscapeForRequest(fileUrl);
    // Converted apart, so that a cut character stays within its part: the
    // names on disk of every earlier download came out this way.
    const FileNameParts parts = SplitFileName(fileName);
    entry.diskName = AnsiToUtf8(parts.stem) + AnsiToUtf8(parts.extension);
    return entry;
}

DownloadEntry EntryForAddress(std::string url, std::string name, std::string linkName,
                              AnswerNaming naming) {
    DownloadEntry entry;
    entry.fileUrl = url;
    entry.requestUrl = std::move(url);
    if (!name.empty()) {
        entry.diskName = std::move(name);
        return entry;
    }
    if (linkName.empty()) {
        linkName = "download";
    }
    entry.diskName = linkName;
    entry.nameFromAnswer = [linkName = std::move(linkName),
                            naming = std::move(naming)](const std::string& disposition) {
        std::string answered = naming(disposition);
        return answered.empty() ? linkName : answered;
    };
    return entry;
}

bool TakeUpEarlierPart(DownloadEntry& entry, const std::string& folder) {
    const auto part = FindPartOf(folder, entry.requestUrl);
    const bool anyName = entry.nameFromAnswer != nullptr || entry.diskName.empty();
    if (!part || (!anyName && FileNameOf(part->path) != SafeFileNameOf(entry.diskName))) {
        return false;
    }
    entry.path = part->path;
    entry.fileName = FileNameOf(part->path);
    entry.diskName = entry.fileName;  // should another download take it meanwhile
    entry.partIsOurs = true;
    entry.validator = part->record.validator;
    entry.nameFromAnswer = nullptr;  // settled by the .part
    return true;
}

}  // namespace bramix
