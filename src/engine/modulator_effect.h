// The stereo ring modulator: 17 parameters kept in nine editable programs, and the signal
// engine behind the two processing entries.
#pragma once

#include <cstdint>

#include "effect_base_ex.h"
#include "engine_state.h"
#include "parameters.h"
#include "programs.h"
#include "relaxed.h"

namespace orbitone {

class ModulatorEffect : public EffectBaseEx {
public:
    // Made only by createEffect (through `main`); lives on the heap.
    explicit ModulatorEffect(zyl::HostProc hostProc);

    // ---- overrides, in slot order ---------------------------------------------------

    // [any thread] Writes the current program's row, marks the coefficients stale and
    // tells the editor; an index outside 0..16 is ignored. Nothing is reported to the
    // host here (storeParameterAndReport does that).
    void storeParameter(std::int32_t index, float value) override;
    // [any thread] The current program's value; 0 for an index outside 0..16.
    float readParameter(std::int32_t index) override;

    // [audio thread] The signal loop on inputs[0..1] into outputs[0..1], added to what
    // the outputs hold or in place of it. The coefficients are derived first when a
    // parameter was stored since the last call; a count of 0 or less does only that.
    void processAdding(float** inputs, float** outputs, std::int32_t frameCount) override;
    void processOverwriting(float** inputs, float** outputs, std::int32_t frameCount) override;

    // Makes program `index` (0..8) current and stores its 17 values again, so the
    // editor and the engine pick them up.
    void selectProgram(std::int32_t index) override;
    // Names of up to 64 characters; a longer one keeps its first 64.
    void renameProgram(char* name) override;
    void copyProgramName(char* out) override;

    void copyParameterUnit(std::int32_t index, char* out) override;
    void copyParameterText(std::int32_t index, char* out) override;
    void copyParameterName(std::int32_t index, char* out) override;

    // Sets the running signal state (envelopes, phases, filters) to zero; the
    // coefficients and the anti-denormal offset stay as they are.
    void onResume() override;

    // The name of program `index` ("Init" reads "Init <index + 1>"); false and nothing
    // written for an index outside 0..8. The category is ignored.
    bool copyProgramNameAt(std::int32_t category, std::int32_t index, char* out) override;
    std::int32_t kind() override { return 1; }
    bool copyVendorName(char* out) override;
    bool copyProductName(char* out) override;
    std::int32_t vendorVersion() override { return kVendorVersion; }
    // The host's mouse-wheel request ("nrBX", "Whee", option = distance) goes to the
    // editor; 1 when the editor used it. Every other request answers 0.
    std::intptr_t vendorRequest(std::int32_t index, std::intptr_t value, void* pointer,
                                float option) override;

    // ---- added slot -----------------------------------------------------------------

    // [audio thread, or construction] Derives the engine's coefficients from the current
    // program's row and the sample rate, and clears coefficientsStale. The flag is
    // cleared before the row is read, so a store racing with the update is picked up by
    // the next block instead of being lost. A new sample rate alone does not make the
    // coefficients stale: it enters them at the first update after a parameter store.
    virtual void updateCoefficients();

    // ---- observation, for tests and diagnostics -------------------------------------

    const EngineState& engineState() const { return engine; }
    float antiDenormalOffset() const { return antiDenormal; }
    bool coefficientsAreStale() const { return coefficientsStale.load(); }

    static constexpr std::int32_t kVendorVersion = 1100;
    static constexpr std::int32_t kWheelRequest = zyl::fourCharCode("nrBX");
    static constexpr std::intptr_t kWheelRequestValue = zyl::fourCharCode("Whee");

private:
    char programNames[kProgramCount][kProgramNameLength + 1];
    // The four waveform tables are the same for every effect: all of them read the one
    // shared set (waveform_tables.h), which construction makes sure is filled.
    float antiDenormal;
    // The parameter values, row = program; written by any thread, read by the engine.
    Relaxed<float> programValues[kProgramCount][kParameterCount];
    EngineState engine;
    Relaxed<bool> coefficientsStale;
};

}  // namespace orbitone
