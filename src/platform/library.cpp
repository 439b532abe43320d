#include "library.h"

#include "image_library.h"

namespace orbitone::platform {

namespace detail {
bool keyedCopy(DeviceContext&, PixelPoint, PixelSize, const DeviceContext&, PixelPoint,
               PlatformColor);
bool blendCopy(DeviceContext&, PixelPoint, PixelSize, const DeviceContext&, PixelPoint,
               std::uint8_t);
}  // namespace detail

class Library {
public:
    int loads = 0;
};

namespace {

ImageLibraryContents& imageLibraryContents() {
    static ImageLibraryContents contents;
    return contents;
}

Library& imageLibrary() {
    static Library library;
    return library;
}

// The function pointer as the untyped pointer lookups answer (as dlsym does).
template <typename F>
void* untyped(F* function) {
    return reinterpret_cast<void*>(function);
}

}  // namespace

void setImageLibraryContents(const ImageLibraryContents& contents) {
    imageLibraryContents() = contents;
}

Library* loadLibrary(std::string_view name) {
    if (name != kImageLibraryName || !imageLibraryContents().present) return nullptr;
    ++imageLibrary().loads;
    return &imageLibrary();
}

void freeLibrary(Library* library) {
    if (library != nullptr && library->loads > 0) --library->loads;
}

void* findLibraryFunction(Library* library, std::string_view name) {
    if (library != &imageLibrary() || library->loads == 0) return nullptr;
    const ImageLibraryContents& contents = imageLibraryContents();
    if (name == kKeyedCopyFunctionName && contents.keyedCopy) {
        KeyedCopyFunction f = &detail::keyedCopy;
        return untyped(f);
    }
    if (name == kBlendCopyFunctionName && contents.blendCopy) {
        BlendCopyFunction f = &detail::blendCopy;
        return untyped(f);
    }
    return nullptr;
}

}  // namespace orbitone::platform
