#include "module.h"

#include <dlfcn.h>

#include <atomic>

namespace orbitone::platform {
namespace {

std::atomic<ModuleHandle> recordedModule{nullptr};

ModuleHandle moduleContainingThisCode() {
    Dl_info info{};
    if (dladdr(reinterpret_cast<const void*>(&moduleContainingThisCode), &info) == 0)
        return nullptr;
    return info.dli_fbase;
}

}  // namespace

void setModuleHandle(ModuleHandle module) { recordedModule.store(module); }

ModuleHandle moduleHandle() {
    if (ModuleHandle module = recordedModule.load()) return module;
    return moduleContainingThisCode();
}

}  // namespace orbitone::platform
