// Resources compiled into a module (see orbitone_add_resources in the build), found by
// type and numeric id.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

#include "module.h"

namespace orbitone::platform {

// Resource types used by this system.
inline constexpr std::string_view kResourceTypeBitmap = "BITMAP";

// The bytes of resource (type, id) of `module`, or an empty span when it has none.
// Resources live in the module whose code calls this; `module` must be that module's
// handle (moduleHandle()) or null, which means the same.
[[nodiscard]] std::span<const std::uint8_t> findResource(ModuleHandle module,
                                                         std::string_view type,
                                                         std::int32_t id);

}  // namespace orbitone::platform
