#include "resources.h"

#include <cstring>

#include "zyl_abi.h"

// Bounds of this module's resource section, provided by the linker. Weak, so a module
// without any resource links and simply finds nothing; hidden, so a library binds to
// its own section and never to the program's.
extern "C" {
extern const std::uint8_t __start_zylrsrc[] __attribute__((weak, visibility("hidden")));
extern const std::uint8_t __stop_zylrsrc[] __attribute__((weak, visibility("hidden")));
}

namespace orbitone::platform {
namespace {

constexpr std::size_t kRecordAlignment = 8;

constexpr std::size_t paddedSize(std::size_t size) {
    return (size + kRecordAlignment - 1) / kRecordAlignment * kRecordAlignment;
}

bool typeMatches(const zyl::ResourceRecordHeader& header, std::string_view type) {
    if (type.size() >= zyl::kResourceTypeSize) return false;
    return std::memcmp(header.type, type.data(), type.size()) == 0 &&
           header.type[type.size()] == '\0';
}

}  // namespace

std::span<const std::uint8_t> findResource(ModuleHandle module, std::string_view type,
                                           std::int32_t id) {
    if (module != nullptr && module != moduleHandle()) return {};
    const std::uint8_t* at = __start_zylrsrc;
    const std::uint8_t* end = __stop_zylrsrc;
    if (at == nullptr || end == nullptr) return {};

    while (static_cast<std::size_t>(end - at) >= sizeof(zyl::ResourceRecordHeader)) {
        zyl::ResourceRecordHeader header;
        std::memcpy(&header, at, sizeof header);
        if (header.magic != zyl::kResourceMagic) {
            at += kRecordAlignment;  // padding the linker put between two objects
            continue;
        }
        const std::uint8_t* data = at + sizeof header;
        if (header.size > static_cast<std::size_t>(end - data)) return {};  // torn record
        if (static_cast<std::int64_t>(header.id) == id && typeMatches(header, type))
            return {data, header.size};
        const std::size_t advance = sizeof header + paddedSize(header.size);
        if (advance > static_cast<std::size_t>(end - at)) break;
        at += advance;
    }
    return {};
}

}  // namespace orbitone::platform
