// The executable's version record, from the project version; the window's
// title reads it back from the file (ui/version_info).

#include <cstdint>

namespace {

struct VersionRecord {
    uint32_t fixed[13];
    uint32_t translationCount;
    uint32_t translations[1];
};

constexpr uint32_t kFileVersionMS = (BRAMIX_VERSION_MAJOR << 16) | BRAMIX_VERSION_MINOR;
constexpr uint32_t kFileVersionLS = (BRAMIX_VERSION_PATCH << 16) | BRAMIX_VERSION_TWEAK;

}  // namespace

extern const VersionRecord kBramixVersionRecord;
[[gnu::section(".bramix_version"), gnu::used]] const VersionRecord kBramixVersionRecord = {
    {0xFEEF04BD, 0x00010000, kFileVersionMS, kFileVersionLS, kFileVersionMS, kFileVersionLS, 0x3F,
     0, 0x00040004, 1, 0, 0, 0},
    1,
    {0x04B00412},  // Korean, Unicode
};
