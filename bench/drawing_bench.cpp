// Cost of copying a panel-sized block (352 x 262 colour pixels): the raster's opaque
// blit, its keyed copy, the blend, and CImage's drawing through each keyed strategy,
// each as a ratio to a memcpy of the same bytes measured in the same run. On a busy
// machine, --benchmark_repetitions=N reports the ratios of the medians.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "back_buffer.h"
#include "image.h"
#include "image_library.h"
#include "library.h"
#include "paint_context.h"
#include "raster.h"

namespace {

using namespace orbitone;
namespace pf = orbitone::platform;

constexpr std::int32_t kWidth = 352;
constexpr std::int32_t kHeight = 262;
constexpr std::int64_t kBytes = std::int64_t{kWidth} * kHeight * 4;

// A bitmap in a memory context, filled with noise of which about a third is white (the
// key colour), as artwork with a keyed background has.
struct Canvas {
    explicit Canvas(std::uint32_t seed)
        : bitmap(pf::Bitmap::create(kWidth, kHeight, pf::PixelFormat::Xrgb32)),
          dc(pf::createMemoryDC(nullptr)) {
        dc->select(bitmap.get());
        std::uint32_t state = seed;
        for (std::int32_t y = 0; y < kHeight; ++y)
            for (std::int32_t x = 0; x < kWidth; ++x) {
                state = state * 1664525u + 1013904223u;
                bitmap->surface().row32(y)[x] =
                    (state >> 29) < 3 ? 0x00FFFFFFu : (state >> 8) & 0x00FFFFFFu;
            }
    }
    std::unique_ptr<pf::Bitmap> bitmap;
    std::unique_ptr<pf::DeviceContext> dc;
};

void setBytes(benchmark::State& state) { state.SetBytesProcessed(state.iterations() * kBytes); }

void memcpyBlock(benchmark::State& state) {
    Canvas source(1), dest(2);
    for (auto _ : state) {
        std::memcpy(dest.bitmap->surface().pixels, source.bitmap->surface().pixels,
                    std::size_t(kBytes));
        benchmark::ClobberMemory();
    }
    setBytes(state);
}

void opaqueBlit(benchmark::State& state) {
    Canvas source(1), dest(2);
    for (auto _ : state) {
        pf::blit(*dest.dc, {0, 0}, {kWidth, kHeight}, *source.dc, {0, 0}, pf::BlitOp::Copy);
        benchmark::ClobberMemory();
    }
    setBytes(state);
}

struct Library {
    Library() : handle(pf::loadLibrary(pf::kImageLibraryName)) {}
    ~Library() { pf::freeLibrary(handle); }
    pf::Library* handle;
};

void keyedBlit(benchmark::State& state) {
    Library library;
    auto keyed = reinterpret_cast<pf::KeyedCopyFunction>(
        pf::findLibraryFunction(library.handle, pf::kKeyedCopyFunctionName));
    Canvas source(1), dest(2);
    for (auto _ : state) {
        keyed(*dest.dc, {0, 0}, {kWidth, kHeight}, *source.dc, {0, 0}, pf::kPlatformWhite);
        benchmark::ClobberMemory();
    }
    setBytes(state);
}

void blendBlit(benchmark::State& state) {
    Library library;
    auto blend = reinterpret_cast<pf::BlendCopyFunction>(
        pf::findLibraryFunction(library.handle, pf::kBlendCopyFunctionName));
    Canvas source(1), dest(2);
    for (auto _ : state) {
        blend(*dest.dc, {0, 0}, {kWidth, kHeight}, *source.dc, {0, 0}, 128);
        benchmark::ClobberMemory();
    }
    setBytes(state);
}

// CImage::drawImageKeyed into a back buffer: 1 with a key mask, 2 with the library's
// keyed copy, 3 with neither.
void imageKeyed(benchmark::State& state) {
    const auto strategy = state.range(0);
    pf::setImageLibraryContents({.present = true, .keyedCopy = strategy != 3});
    pf::Library* library = lookUpOptionalBlendFunctions();
    Canvas art(1);
    auto* image = new CImage(kWidth, kHeight);
    {
        CBackBuffer paint(nullptr, image, true);
        pf::blit(*paint.getPlatformDC(), {0, 0}, {kWidth, kHeight}, *art.dc, {0, 0},
                 pf::BlitOp::Copy);
        if (strategy == 1) image->buildKeyMask(paint, {0, 0});
    }
    CBackBuffer buffer(nullptr, kWidth, kHeight, colorBlack);
    for (auto _ : state) {
        image->drawImageKeyed(buffer, {0, 0, kWidth, kHeight}, {0, 0});
        benchmark::ClobberMemory();
    }
    setBytes(state);
    image->release();
    pf::freeLibrary(library);
    pf::setImageLibraryContents({});
    optionalBlendFunctions() = {};
}

void imageOpaque(benchmark::State& state) {
    auto* image = new CImage(kWidth, kHeight);
    CBackBuffer buffer(nullptr, kWidth, kHeight, colorBlack);
    for (auto _ : state) {
        image->drawImage(buffer, {0, 0, kWidth, kHeight}, {0, 0});
        benchmark::ClobberMemory();
    }
    setBytes(state);
    image->release();
}

// Keeps every run's time and prints the ratios to memcpy once all have run.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        // With repetitions, the median stands for the benchmark; without, its one run.
        for (const Run& run : runs) {
            if (run.error_occurred) continue;
            const bool median = run.run_type == Run::RT_Aggregate && run.aggregate_name == "median";
            if (run.run_type == Run::RT_Aggregate && !median) continue;
            const std::string name = run.run_name.str();
            auto it = std::find_if(figures.begin(), figures.end(),
                                   [&](const auto& f) { return f.first == name; });
            if (it == figures.end()) {
                figures.emplace_back(name, run.GetAdjustedRealTime());
            } else if (median) {
                it->second = run.GetAdjustedRealTime();
            }
        }
    }
    void Finalize() override {
        ConsoleReporter::Finalize();
        double reference = 0;
        for (const auto& [name, time] : figures)
            if (name == "memcpy") reference = time;
        std::printf("\n%-32s %12s %10s\n", "352 x 262 block", "us", "x memcpy");
        for (const auto& [name, time] : figures)
            std::printf("%-32s %12.2f %10.2f\n", name.c_str(), time / 1000.0,
                        reference > 0 ? time / reference : 0.0);
    }

private:
    std::vector<std::pair<std::string, double>> figures;
};

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RegisterBenchmark("memcpy", memcpyBlock)->Unit(benchmark::kNanosecond);
    benchmark::RegisterBenchmark("blit opaque", opaqueBlit)->Unit(benchmark::kNanosecond);
    benchmark::RegisterBenchmark("blit keyed", keyedBlit)->Unit(benchmark::kNanosecond);
    benchmark::RegisterBenchmark("blit blended", blendBlit)->Unit(benchmark::kNanosecond);
    benchmark::RegisterBenchmark("CImage opaque", imageOpaque)->Unit(benchmark::kNanosecond);
    for (int strategy : {1, 2, 3})
        benchmark::RegisterBenchmark("CImage keyed", imageKeyed)
            ->Arg(strategy)
            ->Unit(benchmark::kNanosecond);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}
