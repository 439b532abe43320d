// Cost of the signal loop per stereo frame, next to a loop that only copies its input,
// for three factory programs at three block sizes; at the end, every figure as a ratio
// to the copy loop of the same block size, measured in the same run.
#include <benchmark/benchmark.h>

#include <array>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "coefficients.h"
#include "programs.h"
#include "signal_kernel.h"
#include "signal_loop.h"
#include "waveform_tables.h"

namespace {

using namespace orbitone;

// The programs measured, by name.
const char* const kMeasured[] = {"Default", "L - R Move", "Flexible"};

const FactoryProgram& program(const char* name) {
    for (const FactoryProgram& p : kFactoryPrograms)
        if (std::string_view(p.name) == name) return p;
    std::fprintf(stderr, "no factory program named %s\n", name);
    std::abort();
}

constexpr std::int64_t kBlockSizes[] = {64, 512, 4096};

// Stereo noise in -1..1, the same every run.
struct Buffers {
    std::vector<float> inL, inR, outL, outR;
    explicit Buffers(std::int64_t frames)
        : inL(frames), inR(frames), outL(frames), outR(frames) {
        std::uint32_t state = 0x1234567u;
        auto next = [&] {
            state ^= state << 13;
            state ^= state >> 17;
            state ^= state << 5;
            return static_cast<float>(state) / 2147483648.0f - 1.0f;
        };
        for (std::int64_t k = 0; k < frames; ++k) {
            inL[k] = next();
            inR[k] = next();
        }
    }
};

void setFrameCounter(benchmark::State& state, std::int64_t frames) {
    state.SetItemsProcessed(state.iterations() * frames);
    state.counters["ns/frame"] = benchmark::Counter(
        static_cast<double>(state.iterations() * frames) * 1e-9,
        benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

// [kernel set or null for the loop processing uses, program]
void runEngine(benchmark::State& state, const kernel::KernelSet* set,
               const FactoryProgram* program) {
    const std::int64_t frames = state.range(0);
    Buffers b(frames);
    EngineState engine;
    deriveCoefficients(program->values, 44100.0f, sharedWaveformTables(), engine);
    float antiDenormal = kAntiDenormalStart;
    const float* inputs[2] = {b.inL.data(), b.inR.data()};
    float* outputs[2] = {b.outL.data(), b.outR.data()};
    const auto n = static_cast<std::int32_t>(frames);
    for (auto _ : state) {
        if (set == nullptr) {
            runSignalLoop(engine, antiDenormal, inputs, outputs, n, OutputMode::overwriting);
        } else {
            const kernel::LoopIo io{inputs[0], inputs[1], outputs[0], outputs[1], n};
            const bool guarded = !kernel::plainWrapSuffices(engine, antiDenormal, io);
            set->select(OutputMode::overwriting, engine, guarded)(
                engine, antiDenormal, io);
        }
        benchmark::DoNotOptimize(b.outL.data());
        benchmark::DoNotOptimize(b.outR.data());
        benchmark::ClobberMemory();
    }
    setFrameCounter(state, frames);
}

// The check that decides between the unguarded and the guarded loop, on its own.
void boundsCheck(benchmark::State& state) {
    const std::int64_t frames = state.range(0);
    Buffers b(frames);
    EngineState engine;
    deriveCoefficients(program("L - R Move").values, 44100.0f, sharedWaveformTables(), engine);
    const kernel::LoopIo io{b.inL.data(), b.inR.data(), b.outL.data(), b.outR.data(),
                            static_cast<std::int32_t>(frames)};
    for (auto _ : state) benchmark::DoNotOptimize(kernel::plainWrapSuffices(engine, 1e-10f, io));
    setFrameCounter(state, frames);
}

// The reference: a plain loop that copies both inputs to the outputs.
void copyLoop(benchmark::State& state) {
    const std::int64_t frames = state.range(0);
    Buffers b(frames);
    const float* inputs[2] = {b.inL.data(), b.inR.data()};
    float* outputs[2] = {b.outL.data(), b.outR.data()};
    for (auto _ : state) {
        const float* inL = inputs[0];
        const float* inR = inputs[1];
        float* outL = outputs[0];
        float* outR = outputs[1];
        for (std::int64_t k = 0; k < frames; ++k) {
            outL[k] = inL[k];
            outR[k] = inR[k];
        }
        benchmark::DoNotOptimize(b.outL.data());
        benchmark::DoNotOptimize(b.outR.data());
        benchmark::ClobberMemory();
    }
    setFrameCounter(state, frames);
}

// Keeps every run's ns/frame and prints the ratios once all have run.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) {
            const auto it = run.counters.find("ns/frame");
            if (it != run.counters.end()) figures.emplace_back(run.benchmark_name(), it->second);
        }
    }
    void Finalize() override {
        ConsoleReporter::Finalize();
        std::map<std::string, double> copy;  // by block size
        for (const auto& [name, ns] : figures)
            if (name.rfind("copy/", 0) == 0) copy[name.substr(5)] = ns;
        std::printf("\n%-44s %10s %8s\n", "benchmark", "ns/frame", "x copy");
        for (const auto& [name, ns] : figures) {
            const std::string size = name.substr(name.rfind('/') + 1);
            const auto c = copy.find(size);
            std::printf("%-44s %10.2f %8.1f\n", name.c_str(), ns,
                        c == copy.end() ? 0.0 : ns / c->second);
        }
    }

private:
    std::vector<std::pair<std::string, double>> figures;
};

void registerAll() {
    for (const std::int64_t size : kBlockSizes)
        benchmark::RegisterBenchmark("copy", copyLoop)->Arg(size);
    for (const char* name : kMeasured)
        for (const std::int64_t size : kBlockSizes)
            benchmark::RegisterBenchmark(name, runEngine, nullptr, &program(name))->Arg(size);
    for (const std::int64_t size : kBlockSizes)
        benchmark::RegisterBenchmark("bounds check", boundsCheck)->Arg(size);
    // each instruction set's loop at the middle block size, for comparison
    for (const kernel::KernelSet* set : kernel::availableKernelSets())
        for (const char* name : kMeasured)
            benchmark::RegisterBenchmark((std::string(name) + " [" + set->name + "]").c_str(),
                                         runEngine, set, &program(name))
                ->Arg(512);
}

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    registerAll();
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}
