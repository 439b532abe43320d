// Libraries of optional functions, loaded by name and searched for functions by name at
// run time, so that code can work with and without them.
//
// The libraries are part of this platform layer (see image_library.h for the one there
// is); whether one is present can differ from process to process.
//
// Thread: the user-interface thread only.
#pragma once

#include <string_view>

namespace orbitone::platform {

class Library;

// The library of that name, or null when this process has none. Every successful load
// is matched by one freeLibrary.
[[nodiscard]] Library* loadLibrary(std::string_view name);
void freeLibrary(Library* library);

// The function of that name in the library, or null when it has none (or library is
// null). The caller converts the pointer to the function's documented type.
[[nodiscard]] void* findLibraryFunction(Library* library, std::string_view name);

}  // namespace orbitone::platform
