#include "module_resources.h"

#include <elf.h>

#include <array>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <iterator>
#include <optional>

#include "zyl_abi.h"

namespace zylhost {
namespace {

// Libraries larger than this are not read into memory.
constexpr std::uintmax_t kLargestModule = std::uintmax_t(1) << 31;
constexpr std::size_t kRecordAlignment = 8;

// A view of the file's bytes in which every read is bounds-checked.
class Bytes {
public:
    explicit Bytes(const std::string& data) : data(data) {}
    std::size_t size() const { return data.size(); }
    bool contains(std::uint64_t offset, std::uint64_t length) const {
        return offset <= data.size() && length <= data.size() - offset;
    }
    template <typename T>
    std::optional<T> read(std::uint64_t offset) const {
        if (!contains(offset, sizeof(T))) return std::nullopt;
        T value;
        std::memcpy(&value, data.data() + offset, sizeof value);
        return value;
    }
    const char* at(std::uint64_t offset) const { return data.data() + offset; }

private:
    const std::string& data;
};

struct Section {
    std::uint64_t offset;
    std::uint64_t size;
};

// Finds the section called `name` in an ELF file of class Ehdr/Shdr; its file range
// is inside the file when found. Sets `error` for a corrupt file.
template <typename Ehdr, typename Shdr>
std::optional<Section> findSection(const Bytes& file, const char* name, std::string& error) {
    const std::optional<Ehdr> header = file.read<Ehdr>(0);
    if (!header) {
        error = "truncated ELF header";
        return std::nullopt;
    }
    if (header->e_shoff == 0) {
        error = "the file has no section table";
        return std::nullopt;
    }
    if (header->e_shentsize != sizeof(Shdr)) {
        error = "corrupt ELF file (section header size)";
        return std::nullopt;
    }
    const std::optional<Shdr> first = file.read<Shdr>(header->e_shoff);
    if (!first) {
        error = "corrupt ELF file (section table outside the file)";
        return std::nullopt;
    }
    // Large section counts and string table indices live in the first section header.
    std::uint64_t count = header->e_shnum != 0 ? header->e_shnum : first->sh_size;
    std::uint64_t namesIndex = header->e_shstrndx != SHN_XINDEX ? header->e_shstrndx
                                                                 : first->sh_link;
    if (count > file.size() / sizeof(Shdr) ||
        !file.contains(header->e_shoff, count * sizeof(Shdr)) || namesIndex >= count) {
        error = "corrupt ELF file (section table)";
        return std::nullopt;
    }
    const Shdr names = *file.read<Shdr>(header->e_shoff + namesIndex * sizeof(Shdr));
    if (names.sh_type == SHT_NOBITS || !file.contains(names.sh_offset, names.sh_size)) {
        error = "corrupt ELF file (section names)";
        return std::nullopt;
    }
    const std::size_t nameLength = std::strlen(name);
    for (std::uint64_t i = 0; i < count; ++i) {
        const Shdr section = *file.read<Shdr>(header->e_shoff + i * sizeof(Shdr));
        // The name must lie, with its terminating zero, inside the names section.
        if (section.sh_name >= names.sh_size || names.sh_size - section.sh_name <= nameLength)
            continue;
        const char* candidate = file.at(names.sh_offset + section.sh_name);
        if (std::memcmp(candidate, name, nameLength + 1) != 0) continue;
        if (section.sh_type == SHT_NOBITS || !file.contains(section.sh_offset, section.sh_size)) {
            error = std::string("corrupt ELF file (section ") + name + " outside the file)";
            return std::nullopt;
        }
        return Section{section.sh_offset, section.sh_size};
    }
    return Section{0, 0};  // no such section: an empty one
}

bool readRecords(const Bytes& file, const Section& section,
                 std::vector<ModuleResource>& resources, std::string& error) {
    std::uint64_t at = 0;
    while (section.size - at >= sizeof(zyl::ResourceRecordHeader)) {
        const auto header = *file.read<zyl::ResourceRecordHeader>(section.offset + at);
        if (header.magic != zyl::kResourceMagic) {
            at += kRecordAlignment;  // padding between the records of two objects
            continue;
        }
        const std::uint64_t dataAt = at + sizeof header;
        if (header.size > section.size - dataAt) {
            error = "corrupt resource section (a record runs past its end)";
            return false;
        }
        if (std::memchr(header.type, '\0', sizeof header.type) == nullptr) {
            error = "corrupt resource section (a resource type is not terminated)";
            return false;
        }
        resources.push_back(ModuleResource{header.type, header.id,
                                           std::string(file.at(section.offset + dataAt),
                                                       header.size)});
        const std::uint64_t padded = (std::uint64_t(header.size) + kRecordAlignment - 1) /
                                     kRecordAlignment * kRecordAlignment;
        if (padded > section.size - dataAt) break;  // the last record, unpadded
        at = dataAt + padded;
    }
    return true;
}

}  // namespace

bool readModuleResources(const std::string& path, std::vector<ModuleResource>& resources,
                         std::string& error) {
    resources.clear();
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        error = path + ": " + (errno == ENOENT ? "no such file" : std::strerror(errno));
        return false;
    }
    in.seekg(0, std::ios::end);
    const std::streamoff length = in.tellg();
    if (length < 0 || static_cast<std::uintmax_t>(length) > kLargestModule) {
        error = path + ": not a readable library file";
        return false;
    }
    in.seekg(0);
    std::string data(static_cast<std::size_t>(length), '\0');
    if (!in.read(data.data(), length)) {
        error = path + ": cannot be read";
        return false;
    }

    const Bytes file(data);
    const auto ident = file.read<std::array<unsigned char, EI_NIDENT>>(0);
    if (!ident || std::memcmp(ident->data(), ELFMAG, SELFMAG) != 0) {
        error = path + ": not an ELF file";
        return false;
    }
    if ((*ident)[EI_DATA] != ELFDATA2LSB) {
        error = path + ": not a little-endian ELF file";
        return false;
    }
    std::optional<Section> section;
    std::string problem;
    switch ((*ident)[EI_CLASS]) {
    case ELFCLASS64:
        section = findSection<Elf64_Ehdr, Elf64_Shdr>(file, zyl::kResourceSectionName, problem);
        break;
    case ELFCLASS32:
        section = findSection<Elf32_Ehdr, Elf32_Shdr>(file, zyl::kResourceSectionName, problem);
        break;
    default:
        problem = "unknown ELF class";
        break;
    }
    if (!section || !readRecords(file, *section, resources, problem)) {
        error = path + ": " + problem;
        resources.clear();
        return false;
    }
    return true;
}

const ModuleResource* findModuleResource(const std::vector<ModuleResource>& resources,
                                         const std::string& type, std::uint32_t id) {
    for (const ModuleResource& resource : resources)
        if (resource.type == type && resource.id == id) return &resource;
    return nullptr;
}

}  // namespace zylhost
