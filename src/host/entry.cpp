// The library's exported entry point and its load notification. Compiled into the
// plug-in module itself, not into a static library, so the linker always keeps it.
#include <dlfcn.h>

#include "effect_base.h"
#include "effect_factory.h"
#include "module.h"

namespace {

// The load notification: records the base address of this library, through which its
// resources are found and its window classes are named.
__attribute__((constructor)) void onLibraryLoad() {
    Dl_info info{};
    if (dladdr(reinterpret_cast<const void*>(&onLibraryLoad), &info) != 0)
        orbitone::platform::setModuleHandle(info.dli_fbase);
}

}  // namespace

// `main` of the Zyl interface. C++ reserves the name `main` for the program's entry, so
// the function is defined under its own name and carries the symbol name "main".
extern "C" __attribute__((visibility("default"))) zyl::EffectRecord* zylPluginMain(
    zyl::HostProc hostProc) noexcept __asm__("main");

// [host's thread] Asks the host's version (a host answering 0 is refused), then makes one
// new effect and hands over its record; null when refused or out of memory.
zyl::EffectRecord* zylPluginMain(zyl::HostProc hostProc) noexcept {
    // Without a callback there is no host to ask, so there is nothing to talk to.
    if (hostProc == nullptr) return nullptr;
    if (hostProc(nullptr, zyl::hostOpVersion, 0, 0, nullptr, 0.0f) == 0) return nullptr;
    orbitone::EffectBase* effect = orbitone::createEffect(hostProc);
    return effect != nullptr ? effect->effectRecord() : nullptr;
}
