#include "effect_base_ex.h"

#include <cstdlib>
#include <cstring>

#include "editor_base.h"

namespace orbitone {
namespace {

constexpr std::intptr_t answer(bool result) { return result ? 1 : 0; }

// The low byte of the option truncated toward zero; an option that has no integer value
// in range (NaN, infinities, huge values) gives 0 rather than undefined behaviour.
std::uint8_t lowByteOf(float option) {
    if (!(option > -2147483648.0f && option < 2147483648.0f)) return 0;
    return static_cast<std::uint8_t>(static_cast<std::uint32_t>(static_cast<std::int32_t>(option)));
}

// Speaker `channel` of an arrangement block, whose records follow the 8-byte head.
template <typename Arrangement>
auto* speakerAt(Arrangement* arrangement, std::int32_t channel) {
    return arrangement->speakers + channel;
}

}  // namespace

std::intptr_t EffectBaseEx::dispatch(std::int32_t opcode, std::int32_t index, std::intptr_t value,
                                     void* pointer, float option) {
    using namespace zyl;
    if (opcode < plugOpTakeEvents || opcode > plugOpProgramLoadBegin)
        return EffectBase::dispatch(opcode, index, value, pointer, option);

    char* text = static_cast<char*>(pointer);
    auto* arrangement = reinterpret_cast<SpeakerArrangement*>(value);
    switch (opcode) {
    case plugOpTakeEvents:
        return takeEvents(pointer);
    case plugOpIsAutomatable:
        return answer(isParameterAutomatable(index));
    case plugOpParseParameterText:
        return text != nullptr ? answer(parseParameterText(index, text)) : 0;
    case plugOpCategoryCount:
        return programCategoryCount();
    case plugOpProgramNameAt:
        return text != nullptr
                   ? answer(copyProgramNameAt(static_cast<std::int32_t>(value), index, text))
                   : 0;
    case plugOpDuplicateProgram:
        return answer(duplicateProgram(index));
    case plugOpInputConnection:
        onInputConnection(index, value != 0);
        return 1;
    case plugOpOutputConnection:
        onOutputConnection(index, value != 0);
        return 1;
    case plugOpInputInfo:
        return answer(copyInputInfo(index, pointer));
    case plugOpOutputInfo:
        return answer(copyOutputInfo(index, pointer));
    case plugOpKind:
        return kind();
    case plugOpPlayPosition:
        return playPosition();
    case plugOpOutputBuffer:
        return outputBuffer();
    case plugOpOfflineNotice:
        return answer(offlineNotice(pointer, value, index != 0));
    case plugOpOfflinePrepare:
        return answer(offlinePrepareTask(pointer, value));
    case plugOpOfflineRun:
        return answer(offlineRunTask(pointer, value));
    case plugOpVariableIo:
        return answer(processVariableBlock(pointer));
    case plugOpSetSpeakers:
        return answer(acceptSpeakers(arrangement, static_cast<SpeakerArrangement*>(pointer)));
    case plugOpBlockSizeAndRate:
        changeBlockSizeAndRate(static_cast<std::int32_t>(value), option);
        return 1;
    case plugOpBypass:
        return answer(setBypassState(value != 0));
    case plugOpEffectName:
        return text != nullptr ? answer(copyEffectName(text)) : 0;
    case plugOpErrorText:
        return text != nullptr ? answer(copyErrorText(text)) : 0;
    case plugOpVendorName:
        return text != nullptr ? answer(copyVendorName(text)) : 0;
    case plugOpProductName:
        return text != nullptr ? answer(copyProductName(text)) : 0;
    case plugOpVendorVersion:
        return vendorVersion();
    case plugOpVendorSpecific:
        return vendorRequest(index, value, pointer, option);
    case plugOpCapability:
        return text != nullptr ? capability(text) : 0;
    case plugOpTailLength:
        return tailLength();
    case plugOpIdleRequest:
        return idleRequest();
    case plugOpIcon:
        return iconData();
    case plugOpViewPosition:
        return answer(moveView(index, static_cast<std::int32_t>(value)));
    case plugOpParameterInfo:
        return answer(copyParameterInfo(index, pointer));
    case plugOpKeysWanted:
        return keysWanted() ? 0 : 1;
    case plugOpInterfaceVersion:
        return interfaceVersion();
    case plugOpEditorKeyDown:
    case plugOpEditorKeyUp: {
        if (attachedEditor == nullptr) return 0;
        EditorKeyRecord key{index, static_cast<std::uint8_t>(value), lowByteOf(option)};
        return opcode == plugOpEditorKeyDown ? attachedEditor->editorKeyDown(&key)
                                             : attachedEditor->editorKeyUp(&key);
    }
    case plugOpKnobMode:
        if (attachedEditor == nullptr) return 0;
        return answer(attachedEditor->setKnobDragMode(static_cast<std::int32_t>(value)));
    case plugOpMidiProgramName:
        return midiProgramName(index, pointer);
    case plugOpMidiCurrentProgram:
        return midiCurrentProgram(index, pointer);
    case plugOpMidiProgramCategory:
        return midiProgramCategory(index, pointer);
    case plugOpMidiProgramsChanged:
        return answer(midiProgramsChanged(index));
    case plugOpMidiKeyName:
        return answer(midiKeyName(index, pointer));
    case plugOpProgramChangeBegin:
        return answer(programChangeBegin());
    case plugOpProgramChangeEnd:
        return answer(programChangeEnd());
    case plugOpGetSpeakers:
        return answer(copySpeakers(reinterpret_cast<SpeakerArrangement**>(value),
                                   static_cast<SpeakerArrangement**>(pointer)));
    case plugOpNextShellPlugin:
        return nextShellPlugin(text);
    case plugOpProcessingStarts:
        return processingStarts();
    case plugOpProcessingStops:
        return processingStops();
    case plugOpTotalSamples:
        return setTotalSamples(value);
    case plugOpPanLaw:
        return answer(choosePanLaw(value, option));
    case plugOpBankLoadBegin:
        return bankLoadBegin(pointer);
    case plugOpProgramLoadBegin:
        return programLoadBegin(pointer);
    default:
        return 0;
    }
}

std::int32_t EffectBaseEx::kind() { return (record.recordFlags & zyl::flagInstrument) ? 2 : 0; }

bool EffectBaseEx::copySpeakers(zyl::SpeakerArrangement** input,
                                zyl::SpeakerArrangement** output) {
    if (input != nullptr) *input = nullptr;
    if (output != nullptr) *output = nullptr;
    return false;
}

void EffectBaseEx::changeBlockSizeAndRate(std::int32_t frames, float rate) {
    currentBlockSize.store(frames);
    currentSampleRate.store(rate);
}

bool EffectBaseEx::allocateSpeakers(zyl::SpeakerArrangement** arrangement,
                                    std::int32_t channels) {
    if (arrangement == nullptr) return false;
    releaseSpeakers(arrangement);
    if (channels < 0) return false;
    void* block = std::calloc(1, zyl::speakerArrangementSize(channels));
    if (block == nullptr) return false;
    auto* created = static_cast<zyl::SpeakerArrangement*>(block);
    created->channelCount = channels;
    *arrangement = created;
    return true;
}

bool EffectBaseEx::releaseSpeakers(zyl::SpeakerArrangement** arrangement) {
    if (arrangement == nullptr) return true;
    std::free(*arrangement);
    *arrangement = nullptr;
    return true;
}

bool EffectBaseEx::duplicateSpeaker(zyl::SpeakerInfo* to, const zyl::SpeakerInfo* from) {
    if (to == nullptr || from == nullptr) return false;
    // Every field, the name with all its 64 bytes, so nothing is read past the record.
    std::memcpy(to->name, from->name, sizeof to->name);
    to->name[sizeof to->name - 1] = '\0';
    to->speakerType = from->speakerType;
    std::memcpy(to->position, from->position, sizeof to->position);
    std::memcpy(to->reserved, from->reserved, sizeof to->reserved);
    return true;
}

bool EffectBaseEx::matchSpeakers(zyl::SpeakerArrangement** to,
                                 const zyl::SpeakerArrangement* from) {
    if (from == nullptr || to == nullptr) return false;
    releaseSpeakers(to);
    if (!allocateSpeakers(to, from->channelCount)) return false;
    (*to)->arrangementType = from->arrangementType;
    for (std::int32_t channel = 0; channel < from->channelCount; ++channel) {
        if (!duplicateSpeaker(speakerAt(*to, channel), speakerAt(from, channel)))
            return false;
    }
    return true;
}

}  // namespace orbitone
