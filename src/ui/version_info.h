#pragma once

// The program's version record: the fixed version fields (with the
// 0xFEEF04BD signature) and a translation table, kept in an ELF section of
// the executable (".bramix_version") and read back from the file. Pure C++.

#include <cstdint>
#include <string>
#include <vector>

namespace bramix::ui {

inline constexpr uint32_t kVersionSignature = 0xFEEF04BD;
inline constexpr const char* kVersionSection = ".bramix_version";

// The thirteen fixed fields, in their order.
struct FixedFileInfo {
    uint32_t signature;
    uint32_t structVersion;
    uint32_t fileVersionMS;
    uint32_t fileVersionLS;
    uint32_t productVersionMS;
    uint32_t productVersionLS;
    uint32_t fileFlagsMask;
    uint32_t fileFlags;
    uint32_t fileOS;
    uint32_t fileType;
    uint32_t fileSubtype;
    uint32_t fileDateMS;
    uint32_t fileDateLS;
};
static_assert(sizeof(FixedFileInfo) == 52);

class FileVersionInfo {
public:
    // False (and every field 0) for a file without a readable record, or a
    // record without a translation table.
    bool Read(const std::string& path);
    void Reset();

    const FixedFileInfo& fixed() const { return fixed_; }
    bool valid() const { return valid_; }
    const std::vector<uint32_t>& translations() const { return translations_; }

private:
    FixedFileInfo fixed_{};
    std::vector<uint32_t> translations_;
    bool valid_ = false;
};

// "Bramix v1.0.0.0": the program name and the file version's four numbers.
std::string VersionTitle(const std::string& programName, const FileVersionInfo& info);

}  // namespace bramix::ui
