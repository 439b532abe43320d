// The one effect of this library, made by the engine so that the host binding never
// depends on it.
#pragma once

#include "zyl_abi.h"

namespace orbitone {

class EffectBase;

// Creates a new, independent effect that talks to `hostProc`; null when it cannot be
// allocated. The caller owns it (the record's plugOpShutdown deletes it).
EffectBase* createEffect(zyl::HostProc hostProc);

}  // namespace orbitone
