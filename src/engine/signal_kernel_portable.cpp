// The signal loop in plain C++, for any processor.
#include "signal_kernel_loop.h"

namespace orbitone::kernel {
namespace {

struct PortableLanes {
    struct D2 {
        double l, r;
    };
    struct F2 {
        float l, r;
    };

    using D2Store = D2;
    static void put(D2Store& at, D2 v) { at = v; }
    static D2 get(const D2Store& at) { return at; }

    static D2 splat(double v) { return {v, v}; }
    static D2 pair(double left, double right) { return {left, right}; }
    static double left(D2 v) { return v.l; }
    static double right(D2 v) { return v.r; }

    static F2 splatF(float v) { return {v, v}; }
    static float leftF(F2 v) { return v.l; }
    static F2 signsF(bool flipLeft, bool flipRight) {
        return {flipLeft ? -1.0f : 1.0f, flipRight ? -1.0f : 1.0f};
    }
    static F2 withSigns(float v, F2 signs) { return {v * signs.l, v * signs.r}; }
    static F2 negateF(F2 v) { return {-v.l, -v.r}; }
    static F2 addF(F2 a, F2 b) { return {a.l + b.l, a.r + b.r}; }
    static F2 raiseTo(F2 floor, F2 v) {
        return {floor.l > v.l ? floor.l : v.l, floor.r > v.r ? floor.r : v.r};
    }

    static F2 load(const float* left, const float* right) { return {*left, *right}; }
    static void store(float* left, float* right, F2 v) {
        *left = v.l;
        *right = v.r;
    }
    static void storeAdded(float* left, float* right, D2 y) {
        *left = static_cast<float>(y.l + *left);
        *right = static_cast<float>(y.r + *right);
    }

    static D2 widen(F2 v) { return {v.l, v.r}; }
    static F2 narrow(D2 v) { return {static_cast<float>(v.l), static_cast<float>(v.r)}; }

    static D2 add(D2 a, D2 b) { return {a.l + b.l, a.r + b.r}; }
    static D2 mul(D2 a, D2 b) { return {a.l * b.l, a.r * b.r}; }
    static D2 mulAddExact(D2 a, D2 b, D2 c) { return add(mul(a, b), c); }
    static D2 abs(D2 v) { return {std::fabs(v.l), std::fabs(v.r)}; }
    static D2 duplicateLeft(D2 v) { return {v.l, v.l}; }
    static D2 selectGreater(D2 a, D2 b, D2 ifGreater, D2 otherwise) {
        return {a.l > b.l ? ifGreater.l : otherwise.l, a.r > b.r ? ifGreater.r : otherwise.r};
    }
    static D2 wrapOnce(D2 phase, D2 one) {
        return {phase.l >= one.l ? phase.l - one.l : phase.l,
                phase.r >= one.r ? phase.r - one.r : phase.r};
    }

    static F2 lookup(const float* table, D2 scaledIndex) {
        return {table[static_cast<int>(scaledIndex.l)], table[static_cast<int>(scaledIndex.r)]};
    }

    static bool allFinite(D2 v) { return finite(v.l) && finite(v.r); }
    static bool allIndexable(D2 scaledIndex, double) {
        return indexable(scaledIndex.l) && indexable(scaledIndex.r);
    }
};

constexpr KernelSet kPortable = makeKernelSet<PortableLanes>("portable");

}  // namespace

const KernelSet& portableKernels() { return kPortable; }

}  // namespace orbitone::kernel
