// The signal loop for processors with AVX2 and FMA; this file alone is compiled with
// those instruction sets enabled, and it runs only where the processor reports them.
#include "signal_kernel_loop.h"
#include "x86_lanes.h"

#if !defined(__AVX2__) || !defined(__FMA__)
#error "signal_kernel_avx2.cpp must be compiled with AVX2 and FMA enabled"
#endif

namespace orbitone::kernel {
namespace {
constexpr KernelSet kAvx2 = makeKernelSet<X86Lanes>("avx2");
}  // namespace

const KernelSet& avx2Kernels() { return kAvx2; }

}  // namespace orbitone::kernel
