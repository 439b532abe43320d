#include "effect_base.h"

#include <cmath>
#include <cstring>
#include <limits>

#include "editor_base.h"

namespace orbitone {
namespace {

// The record's entry procedures. Each reads effectObject and forwards to the effect's
// virtual operation; none keeps state. A null record (a host fault) does nothing.

std::intptr_t dispatchEntry(zyl::EffectRecord* record, std::int32_t opcode, std::int32_t index,
                            std::intptr_t value, void* pointer, float option) noexcept {
    EffectBase* effect = EffectBase::fromRecord(record);
    if (effect == nullptr) return 0;
    const std::intptr_t result = effect->dispatch(opcode, index, value, pointer, option);
    if (opcode != zyl::plugOpShutdown) return result;
    // The dispatcher has run onClose; the record dies with the effect.
    delete effect;
    return 1;
}

void processAddingEntry(zyl::EffectRecord* record, float** inputs, float** outputs,
                        std::int32_t frameCount) noexcept {
    if (EffectBase* effect = EffectBase::fromRecord(record))
        effect->processAdding(inputs, outputs, frameCount);
}

void processOverwritingEntry(zyl::EffectRecord* record, float** inputs, float** outputs,
                             std::int32_t frameCount) noexcept {
    if (EffectBase* effect = EffectBase::fromRecord(record))
        effect->processOverwriting(inputs, outputs, frameCount);
}

void storeParameterEntry(zyl::EffectRecord* record, std::int32_t index, float value) noexcept {
    if (EffectBase* effect = EffectBase::fromRecord(record)) effect->storeParameter(index, value);
}

float readParameterEntry(zyl::EffectRecord* record, std::int32_t index) noexcept {
    EffectBase* effect = EffectBase::fromRecord(record);
    return effect != nullptr ? effect->readParameter(index) : 0.0f;
}

// meterLevel × 32767 truncated toward zero; a value that has no integer (NaN) or none
// in range answers 0 or the nearest end instead of undefined behaviour.
std::intptr_t meterAnswer(float level) {
    const double scaled = static_cast<double>(level) * 32767.0;
    if (std::isnan(scaled)) return 0;
    constexpr double kLimit = 2147483647.0;
    if (scaled >= kLimit) return static_cast<std::intptr_t>(kLimit);
    if (scaled <= -kLimit) return -static_cast<std::intptr_t>(kLimit);
    return static_cast<std::intptr_t>(scaled);
}

// Whether the text opcodes may use `pointer`: a null buffer answers 0 and nothing is
// written or read.
bool hasBuffer(const void* pointer) { return pointer != nullptr; }

}  // namespace

EffectBase::EffectBase(zyl::HostProc hostProc, std::int32_t programCount,
                       std::int32_t parameterCount)
    : hostProc(hostProc), programCount(programCount), parameterCount(parameterCount) {
    std::memset(&record, 0, sizeof record);
    record.magicCode = zyl::kMagicCode;
    record.dispatchProc = dispatchEntry;
    record.processAddingProc = processAddingEntry;
    record.storeParameterProc = storeParameterEntry;
    record.readParameterProc = readParameterEntry;
    record.programCount = programCount;
    record.parameterCount = parameterCount;
    record.inputCount = 1;
    record.outputCount = 2;
    record.ioRatio = 1.0f;
    record.effectObject = this;
    record.effectId = zyl::fourCharCode("NoEf");
    record.effectVersion = 1;
    record.processOverwritingProc = processOverwritingEntry;
}

EffectBase::~EffectBase() { delete attachedEditor; }

EffectBase* EffectBase::fromRecord(zyl::EffectRecord* record) {
    if (record == nullptr) return nullptr;
    return static_cast<EffectBase*>(record->effectObject);
}

void EffectBase::attachEditor(EditorBase* editor) {
    attachedEditor = editor;
    markFlag(zyl::flagEditorAttached, editor != nullptr);
}

void EffectBase::markFlag(std::int32_t flag, bool on) {
    if (on)
        record.recordFlags |= flag;
    else
        record.recordFlags &= ~flag;
}

std::intptr_t EffectBase::dispatch(std::int32_t opcode, std::int32_t index, std::intptr_t value,
                                   void* pointer, float option) {
    using namespace zyl;
    char* text = static_cast<char*>(pointer);
    switch (opcode) {
    case plugOpStartup:
        onOpen();
        return 0;
    case plugOpShutdown:
        onClose();
        return 0;
    case plugOpSelectProgram:
        // Compared at full width, so a value beyond 32 bits never wraps into range.
        if (value >= 0 && value < programCount) selectProgram(static_cast<std::int32_t>(value));
        return 0;
    case plugOpCurrentProgram:
        return currentProgram();
    case plugOpRenameProgram:
        if (hasBuffer(text)) renameProgram(text);
        return 0;
    case plugOpProgramName:
        if (hasBuffer(text)) copyProgramName(text);
        return 0;
    case plugOpParameterUnit:
        if (hasBuffer(text)) copyParameterUnit(index, text);
        return 0;
    case plugOpParameterText:
        if (hasBuffer(text)) copyParameterText(index, text);
        return 0;
    case plugOpParameterName:
        if (hasBuffer(text)) copyParameterName(index, text);
        return 0;
    case plugOpMeterLevel:
        return meterAnswer(meterLevel());
    case plugOpSampleRate:
        changeSampleRate(option);
        return 0;
    case plugOpBlockSize:
        changeBlockSize(static_cast<std::int32_t>(value));
        return 0;
    case plugOpPowerState:
        if (value == 0)
            onSuspend();
        else
            onResume();
        return 0;
    case plugOpEditorRect:
        // The editor writes the rectangle's address through the pointer.
        if (attachedEditor == nullptr || pointer == nullptr) return 0;
        return attachedEditor->getEditorBounds(static_cast<EditorBounds**>(pointer)) ? 1 : 0;
    case plugOpEditorOpen:
        if (attachedEditor == nullptr) return 0;
        return attachedEditor->openEditor(pointer) ? 1 : 0;
    case plugOpEditorClose:
        if (attachedEditor != nullptr) attachedEditor->closeEditor();
        return 0;
    case plugOpEditorIdle:
        if (attachedEditor != nullptr) attachedEditor->editorIdle();
        return 0;
    case plugOpIdentify:
        return kIdentifyAnswer;
    case plugOpGetStateBlob:
        return readStateBlob(static_cast<void**>(pointer), index != 0);
    case plugOpSetStateBlob:
        return writeStateBlob(pointer, value, index != 0);
    default:
        // 16, 17, 18, 20, 21 are unassigned; everything else is not ours.
        return 0;
    }
}

}  // namespace orbitone
