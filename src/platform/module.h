// The module (loaded library or program image) that holds this code and its resources.
#pragma once

namespace orbitone::platform {

// Identifies a loaded module: the base address at which it is mapped.
using ModuleHandle = const void*;

// Records the module handle; called once by the library's load notification.
void setModuleHandle(ModuleHandle module);

// The recorded module handle; before any load notification (for example in a program
// that links this code statically), the module that contains this code.
ModuleHandle moduleHandle();

}  // namespace orbitone::platform
