// The resources a plug-in library carries in its file ("zylrsrc" section, layout in
// zyl_abi.h), read from the file without loading it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace zylhost {

struct ModuleResource {
    std::string type;
    std::uint32_t id;
    std::string bytes;
};

// Reads every resource of the ELF file at `path`. Everything read is checked against
// the file's size, so a truncated or corrupt file gives false and a one-line `error`,
// never a crash. A valid library without a resource section gives true and no resource.
[[nodiscard]] bool readModuleResources(const std::string& path,
                                       std::vector<ModuleResource>& resources,
                                       std::string& error);

// The resource (type, id) of `resources`, or null.
const ModuleResource* findModuleResource(const std::vector<ModuleResource>& resources,
                                         const std::string& type, std::uint32_t id);

}  // namespace zylhost
