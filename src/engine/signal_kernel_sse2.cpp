// The signal loop for the x86-64 baseline (SSE2).
#include "signal_kernel_loop.h"
#include "x86_lanes.h"

namespace orbitone::kernel {
namespace {
constexpr KernelSet kSse2 = makeKernelSet<X86Lanes>("sse2");
}  // namespace

const KernelSet& sse2Kernels() { return kSse2; }

}  // namespace orbitone::kernel
