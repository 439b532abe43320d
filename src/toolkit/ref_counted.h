// The reference count that views, images and paint contexts share.
#pragma once

#include <cstdint>

namespace orbitone {

// Whoever constructs an object holds its first reference; holders that keep a pointer
// retain it and release it when they drop it. The last release destroys the object.
// [ui thread] Counts are not locked.
class CRefCounted {
public:
    CRefCounted() = default;
    CRefCounted(const CRefCounted&) = delete;
    CRefCounted& operator=(const CRefCounted&) = delete;
    virtual ~CRefCounted() = default;

    void retain() { ++referenceCount; }
    void release() {
        if (--referenceCount == 0) delete this;
    }
    std::int32_t getReferenceCount() const { return referenceCount; }

private:
    std::int32_t referenceCount = 1;
};

}  // namespace orbitone
