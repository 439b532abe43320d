#include "modulator_effect.h"

#include <cstdio>
#include <cstring>
#include <new>

#include "coefficients.h"
#include "editor_base.h"
#include "effect_factory.h"
#include "signal_loop.h"
#include "waveform_tables.h"

namespace orbitone {
namespace {

constexpr char kVendorName[] = "Tarvane";
constexpr char kProductName[] = "Orbitone";
constexpr char kParameterUnit[] = "%";
constexpr char kInitName[] = "Init";

}  // namespace

EffectBase* createEffect(zyl::HostProc hostProc) {
    return new (std::nothrow) ModulatorEffect(hostProc);
}

ModulatorEffect::ModulatorEffect(zyl::HostProc hostProc)
    // 1. The base with 9 programs and 17 parameters.
    : EffectBaseEx(hostProc, kProgramCount, kParameterCount) {
    // 2. Stereo in, stereo out.
    record.inputCount = 2;
    record.outputCount = 2;
    // 3.
    markMonoInput(true);
    markOverwriting(true);
    // 4.
    setEffectId(zyl::fourCharCode("ORBT"));
    // 5.
    antiDenormal = kAntiDenormalStart;
    coefficientsStale.store(true);

    // 6. The waveform tables: the shared set is filled on its first use, here rather
    //    than in the first processing call.
    sharedWaveformTables();

    // 7. The factory programs.
    for (std::int32_t program = 0; program < kProgramCount; ++program) {
        const FactoryProgram& factory = kFactoryPrograms[program];
        std::snprintf(programNames[program], sizeof programNames[program], "%s", factory.name);
        for (std::int32_t index = 0; index < kParameterCount; ++index)
            programValues[program][index].store(factory.values[index]);
    }

    // 8. The editor attaches itself here once the panel exists; until then the effect
    //    works without one (editor stays null, flagEditorAttached clear).

    // 9. Apply program 0, through the virtual store so the editor sees every value.
    currentProgramIndex.store(0);
    for (std::int32_t index = 0; index < kParameterCount; ++index)
        storeParameter(index, programValues[0][index].load());

    // 10.
    updateCoefficients();

    // 11.
    resetRunningState(engine);
}

void ModulatorEffect::storeParameter(std::int32_t index, float value) {
    if (!isParameterIndex(index)) return;
    programValues[currentProgramIndex.load()][index].store(value);
    coefficientsStale.store(true);
    if (attachedEditor != nullptr) attachedEditor->parameterChanged(index, value);
}

float ModulatorEffect::readParameter(std::int32_t index) {
    if (!isParameterIndex(index)) return 0.0f;
    return programValues[currentProgramIndex.load()][index].load();
}

void ModulatorEffect::processAdding(float** inputs, float** outputs, std::int32_t frameCount) {
    if (coefficientsStale.load()) updateCoefficients();
    runSignalLoop(engine, antiDenormal, inputs, outputs, frameCount, OutputMode::adding);
}

void ModulatorEffect::processOverwriting(float** inputs, float** outputs,
                                         std::int32_t frameCount) {
    if (coefficientsStale.load()) updateCoefficients();
    runSignalLoop(engine, antiDenormal, inputs, outputs, frameCount, OutputMode::overwriting);
}

void ModulatorEffect::selectProgram(std::int32_t index) {
    if (index < 0 || index >= kProgramCount) return;
    currentProgramIndex.store(index);
    for (std::int32_t parameter = 0; parameter < kParameterCount; ++parameter)
        storeParameter(parameter, programValues[index][parameter].load());
}

void ModulatorEffect::renameProgram(char* name) {
    char* target = programNames[currentProgramIndex.load()];
    const std::size_t length = strnlen(name, kProgramNameLength);
    std::memcpy(target, name, length);
    target[length] = '\0';
}

void ModulatorEffect::copyProgramName(char* out) {
    const char* name = programNames[currentProgramIndex.load()];
    std::memcpy(out, name, std::strlen(name) + 1);
}

void ModulatorEffect::copyParameterUnit(std::int32_t, char* out) {
    std::memcpy(out, kParameterUnit, sizeof kParameterUnit);
}

void ModulatorEffect::copyParameterText(std::int32_t index, char* out) {
    if (!isParameterIndex(index)) return;
    formatParameterValue(index, readParameter(index), out);
}

void ModulatorEffect::copyParameterName(std::int32_t index, char* out) {
    if (!isParameterIndex(index)) return;
    const char* name = kParameterShortNames[index];
    std::memcpy(out, name, std::strlen(name) + 1);
}

void ModulatorEffect::onResume() { resetRunningState(engine); }

bool ModulatorEffect::copyProgramNameAt(std::int32_t, std::int32_t index, char* out) {
    if (index < 0 || index >= kProgramCount) return false;
    const char* name = programNames[index];
    if (std::strcmp(name, kInitName) == 0)
        std::snprintf(out, kProgramNameLength + 1, "%s %d", name, index + 1);
    else
        std::memcpy(out, name, std::strlen(name) + 1);
    return true;
}

bool ModulatorEffect::copyVendorName(char* out) {
    std::memcpy(out, kVendorName, sizeof kVendorName);
    return true;
}

bool ModulatorEffect::copyProductName(char* out) {
    std::memcpy(out, kProductName, sizeof kProductName);
    return true;
}

std::intptr_t ModulatorEffect::vendorRequest(std::int32_t index, std::intptr_t value, void*,
                                             float option) {
    if (attachedEditor == nullptr || index != kWheelRequest || value != kWheelRequestValue)
        return 0;
    return attachedEditor->editorWheel(option) ? 1 : 0;
}

void ModulatorEffect::updateCoefficients() {
    coefficientsStale.store(false);  // first, see the header
    float values[kParameterCount];
    const std::int32_t program = currentProgramIndex.load();
    for (std::int32_t index = 0; index < kParameterCount; ++index)
        values[index] = programValues[program][index].load();
    deriveCoefficients(values, sampleRate(), sharedWaveformTables(), engine);
}

}  // namespace orbitone
