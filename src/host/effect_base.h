// The base of every effect: the record handed to the host, its entry procedures, the
// dispatcher of opcodes 0 to 24 and the operations behind them, the calls back into the
// host, and the text formatting helpers.
//
// The virtual operations are declared in their fixed slot order; subclasses extend the
// table (EffectBaseEx, then the concrete effect). An effect specialises behaviour by
// overriding operations, never the dispatchers.
#pragma once

#include <cstdint>

#include "relaxed.h"
#include "zyl_abi.h"

namespace orbitone {

class EditorBase;

class EffectBase {
public:
    // hostProc may be null: every host call then answers its no-host value.
    EffectBase(zyl::HostProc hostProc, std::int32_t programCount, std::int32_t parameterCount);
    EffectBase(const EffectBase&) = delete;
    EffectBase& operator=(const EffectBase&) = delete;

    // The record the host talks to; its effectObject is this object.
    zyl::EffectRecord* effectRecord() { return &record; }
    const zyl::EffectRecord* effectRecord() const { return &record; }

    // The effect behind a record made by this library, or null for a null record.
    static EffectBase* fromRecord(zyl::EffectRecord* record);

    // Stores the editor (owned from now on) and sets flagEditorAttached, or clears the
    // flag for null. The previous editor, if any, is not deleted.
    void attachEditor(EditorBase* editor);

    // hostOpSendEvents: true when the host answers exactly 1.
    bool sendEventsToHost(void* events);

    // ---- virtual operations, in slot order ------------------------------------------

    // Destroys the attached editor through its virtual destructor.
    virtual ~EffectBase();

    // [any thread] Parameter store and read, reached through the record's own entries.
    virtual void storeParameter(std::int32_t index, float value) {}
    virtual float readParameter(std::int32_t index) { return 0.0f; }

    // [ui thread] The path of a change made inside the effect (its editor): the virtual
    // storeParameter first, then hostOpAutomate with the index and the value.
    virtual void storeParameterAndReport(std::int32_t index, float value);

    // [audio thread] The two processing entries; the base produces nothing.
    virtual void processAdding(float** inputs, float** outputs, std::int32_t frameCount) {}
    virtual void processOverwriting(float** inputs, float** outputs, std::int32_t frameCount) {}

    // [any thread] Opcodes 0 to 24; every other opcode answers 0.
    virtual std::intptr_t dispatch(std::int32_t opcode, std::int32_t index, std::intptr_t value,
                                   void* pointer, float option);

    virtual void onOpen() {}
    virtual void onClose() {}

    // Programs. Text buffers are the caller's: program names up to 64 characters plus
    // the terminating zero.
    virtual std::int32_t currentProgram() { return currentProgramIndex.load(); }
    virtual void selectProgram(std::int32_t index) { currentProgramIndex.store(index); }
    virtual void renameProgram(char* name) { *name = '\0'; }
    virtual void copyProgramName(char* out) { *out = '\0'; }

    // Parameter texts: at most 8 characters plus the terminating zero.
    virtual void copyParameterUnit(std::int32_t index, char* out) { *out = '\0'; }
    virtual void copyParameterText(std::int32_t index, char* out) { *out = '\0'; }
    virtual void copyParameterName(std::int32_t index, char* out) { *out = '\0'; }

    virtual float meterLevel() { return 0.0f; }

    // Opaque state block (flagStateBlob): size in bytes, 0 for none.
    virtual std::int32_t readStateBlob(void** data, bool isProgram) { return 0; }
    virtual std::int32_t writeStateBlob(void* data, std::intptr_t byteCount, bool isProgram) {
        return 0;
    }

    virtual void changeSampleRate(float rate) { currentSampleRate.store(rate); }
    virtual void changeBlockSize(std::int32_t frames) { currentBlockSize.store(frames); }
    virtual void onSuspend() {}
    virtual void onResume() {}

    // Record setters, called by an effect's construction.
    virtual void setEffectId(std::int32_t id) { record.effectId = id; }
    virtual void setInputCount(std::int32_t count) { record.inputCount = count; }
    virtual void setOutputCount(std::int32_t count) { record.outputCount = count; }
    virtual void markLevelMeter(bool on) { markFlag(zyl::flagLevelMeter, on); }
    virtual void markClipMeter(bool on) { markFlag(zyl::flagClipMeter, on); }
    virtual void markMonoInput(bool on) { markFlag(zyl::flagMonoInput, on); }
    virtual void markOverwriting(bool on) { markFlag(zyl::flagOverwriting, on); }
    virtual void markStateBlob(bool on) { markFlag(zyl::flagStateBlob, on); }
    virtual void setRealtimeQuality(std::int32_t quality) { record.realtimeQuality = quality; }
    virtual void setOfflineQuality(std::int32_t quality) { record.offlineQuality = quality; }
    virtual void setLatencySamples(std::int32_t samples) { record.latencySamples = samples; }

    virtual float sampleRate() { return currentSampleRate.load(); }
    virtual std::int32_t blockSize() { return currentBlockSize.load(); }

    // Host calls (no-host value in brackets).
    virtual std::intptr_t askHostVersion();              // hostOpVersion, 0 counts as 1 [1]
    virtual std::intptr_t askHostCurrentId();            // hostOpCurrentId [0]
    virtual std::intptr_t letHostIdle();                 // hostOpIdle [0]
    virtual bool inputPinLinked(std::int32_t input);     // hostOpPinConnected [true]
    virtual bool outputPinLinked(std::int32_t output);   // hostOpPinConnected [true]

    // Text formatting into buffers of at least 9 bytes.
    virtual void formatDecibels(float value, char* out);
    virtual void formatHertz(float samples, char* out);
    virtual void formatMilliseconds(float samples, char* out);
    virtual void formatFloat(float value, char* out);
    virtual void formatInteger(std::int32_t value, char* out);

protected:
    // Calls the host once with this effect's record; false (and no call) without a host.
    [[nodiscard]] bool callHost(std::int32_t opcode, std::int32_t index, std::intptr_t value,
                                void* pointer, float option, std::intptr_t& answer);
    std::intptr_t callHostOr(std::intptr_t noHost, std::int32_t opcode, std::int32_t index = 0,
                             std::intptr_t value = 0, void* pointer = nullptr,
                             float option = 0.0f);

    void markFlag(std::int32_t flag, bool on);

    // Shared with the audio thread: sample rate, block size and the current program are
    // read while processing, so they are relaxed atomics.
    Relaxed<float> currentSampleRate{44100.0f};
    EditorBase* attachedEditor = nullptr;  // owned
    zyl::HostProc hostProc;
    std::int32_t programCount;
    std::int32_t parameterCount;
    Relaxed<std::int32_t> currentProgramIndex{0};
    Relaxed<std::int32_t> currentBlockSize{1024};
    zyl::EffectRecord record;
};

}  // namespace orbitone
