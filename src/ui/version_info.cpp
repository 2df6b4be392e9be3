#include "ui/version_info.h"

#include <elf.h>

#include <cstring>
#include <fstream>

namespace bramix::ui {

namespace {

// Reads `count` records of a plain type from where the file stands.
template <typename Record>
bool ReadRecords(std::ifstream& file, Record* records, size_t count) {
    std::string bytes(sizeof(Record) * count, '\0');
    if (!file.read(bytes.data(), static_cast<std::streamsize>(bytes.size()))) {
        return false;
    }
    std::memcpy(records, bytes.data(), bytes.size());
    return true;
}

// The bytes of the named section of a 64-bit ELF file, or empty.
std::string ReadSection(const std::string& path, const std::string& name) {
    std::ifstream file(path, std::ios::binary);
    Elf64_Ehdr header{};
    if (!ReadRecords(file, &header, 1) || std::memcmp(header.e_ident, ELFMAG, SELFMAG) != 0 ||
        header.e_ident[EI_CLASS] != ELFCLASS64 || header.e_shentsize != sizeof(Elf64_Shdr) ||
        header.e_shstrndx >= header.e_shnum) {
        return {};
    }
    std::vector<Elf64_Shdr> sections(header.e_shnum);
    file.seekg(static_cast<std::streamoff>(header.e_shoff));
    if (!ReadRecords(file, sections.data(), sections.size())) {
        return {};
    }
    auto contents = [&file](const Elf64_Shdr& section) {
        if (section.sh_type == SHT_NOBITS || section.sh_size > (1u << 24)) {
            return std::string();
        }
        std::string bytes(section.sh_size, '\0');
        file.seekg(static_cast<std::streamoff>(section.sh_offset));
        file.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        return file ? bytes : std::string();
    };
    const std::string names = contents(sections[header.e_shstrndx]);
    for (const Elf64_Shdr& section : sections) {
        if (section.sh_name < names.size() && names.c_str() + section.sh_name == name) {
            return contents(section);
        }
    }
    return {};
}

}  // namespace

bool FileVersionInfo::Read(const std::string& path) {
    if (path.empty()) {
        return false;
    }
    Reset();
    const std::string record = ReadSection(path, kVersionSection);
    if (record.size() < sizeof(FixedFileInfo) + sizeof(uint32_t)) {
        return false;
    }
    std::memcpy(&fixed_, record.data(), sizeof fixed_);
    valid_ = fixed_.signature == kVersionSignature;
    uint32_t count = 0;
    std::memcpy(&count, record.data() + sizeof fixed_, sizeof count);
    const size_t tableAt = sizeof fixed_ + sizeof count;
    if (!valid_ || count == 0 || record.size() < tableAt + count * sizeof(uint32_t)) {
        Reset();  // no translation table: unreadable
        return false;
    }
    translations_.resize(count);
    std::memcpy(translations_.data(), record.data() + tableAt, count * sizeof(uint32_t));
    return valid_;
}

void FileVersionInfo::Reset() {
    fixed_ = {};
    translations_.clear();
    valid_ = false;
}

std::string VersionTitle(const std::string& programName, const FileVersionInfo& info) {
    const FixedFileInfo& fixed = info.fixed();
    return programName + " v" + std::to_string(fixed.fileVersionMS >> 16) + "." +
           std::to_string(fixed.fileVersionMS & 0xFFFF) + "." +
           std::to_string(fixed.fileVersionLS >> 16) + "." +
           std::to_string(fixed.fileVersionLS & 0xFFFF);
}

}  // namespace bramix::ui
