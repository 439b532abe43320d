// The extended effect base: opcodes 25 to 76, the operations behind them, the rest of
// the host calls and the speaker arrangement helpers. It adds no state.
#pragma once

#include <cstdint>

#include "effect_base.h"

namespace orbitone {

class EffectBaseEx : public EffectBase {
public:
    EffectBaseEx(zyl::HostProc hostProc, std::int32_t programCount, std::int32_t parameterCount)
        : EffectBase(hostProc, programCount, parameterCount) {}

    // Opcodes 25 to 76 here; every other opcode goes to EffectBase::dispatch unchanged.
    std::intptr_t dispatch(std::int32_t opcode, std::int32_t index, std::intptr_t value,
                           void* pointer, float option) override;

    // Host calls that no opcode reaches and no effect overrides.
    bool askHostCloseFileSelector(void* selector);  // hostOpCloseFileSelector; null: false
    bool askHostChunkFile(char* path);              // hostOpChunkFile; null: false

    // ---- virtual operations, continuing EffectBase's slots --------------------------
    // Host calls answer 0 or false without a host unless noted in brackets.

    virtual EditorBase* editor() { return attachedEditor; }
    virtual std::intptr_t askHostForEvents(std::intptr_t filter);   // hostOpWantEvents
    virtual std::intptr_t askHostTimeInfo(std::intptr_t filter);    // hostOpTimeInfo
    virtual std::intptr_t askHostTempoAt(std::intptr_t position);   // hostOpTempoAt
    virtual std::intptr_t takeEvents(void* events) { return 0; }
    virtual std::intptr_t askHostAutomatableCount();                // hostOpAutomatableCount
    virtual std::intptr_t askHostParameterQuantization();           // hostOpParameterQuantization
    virtual bool isParameterAutomatable(std::int32_t index) { return true; }
    virtual bool parseParameterText(std::int32_t index, char* text) { return false; }
    virtual float channelParameter(std::int32_t channel, std::int32_t index) { return 0.0f; }
    virtual std::int32_t programCategoryCount() { return 1; }
    virtual bool copyProgramNameAt(std::int32_t category, std::int32_t index, char* out) {
        return false;
    }
    virtual bool duplicateProgram(std::int32_t destination) { return false; }
    virtual bool tellHostIoChanged();                               // hostOpIoChanged
    virtual bool askHostForIdle();                                  // hostOpNeedIdle
    virtual bool askHostResizeWindow(std::int32_t width, std::int32_t height);
    virtual float refreshSampleRate();       // hostOpSampleRate; keeps an answer above 0
    virtual std::int32_t refreshBlockSize(); // hostOpBlockSize; keeps an answer above 0
    virtual std::intptr_t askHostInputLatency();                    // hostOpInputLatency
    virtual std::intptr_t askHostOutputLatency();                   // hostOpOutputLatency
    virtual std::intptr_t askHostPreviousPlug(std::int32_t input);  // argument not passed
    virtual std::intptr_t askHostNextPlug(std::int32_t output);     // argument not passed
    virtual void onInputConnection(std::int32_t index, bool connected) {}
    virtual void onOutputConnection(std::int32_t index, bool connected) {}
    virtual bool copyInputInfo(std::int32_t index, void* info) { return false; }
    virtual bool copyOutputInfo(std::int32_t index, void* info) { return false; }
    virtual std::int32_t kind();  // 2 for an instrument, else 0
    virtual std::intptr_t askHostReplaceOrAccumulate();
    virtual std::intptr_t askHostProcessLevel();
    virtual std::intptr_t askHostAutomationState();
    virtual void markAsyncExtension(bool on) { markFlag(zyl::flagAsyncExtension, on); }
    virtual void markBufferExtension(bool on) { markFlag(zyl::flagBufferExtension, on); }
    virtual std::intptr_t playPosition() { return 0; }
    virtual std::intptr_t outputBuffer() { return 0; }
    virtual bool askHostOfflineRead(void* task, std::intptr_t option, bool readSource);
    virtual bool askHostOfflineWrite(void* task, std::intptr_t option);
    virtual bool askHostOfflineStart(void* files, std::intptr_t fileCount,
                                     std::int32_t newFileCount);
    virtual bool askHostOfflinePass();
    virtual bool askHostOfflineMetaPass();
    virtual bool offlineNotice(void* files, std::intptr_t fileCount, bool start) { return false; }
    virtual bool offlinePrepareTask(void* tasks, std::intptr_t taskCount) { return false; }
    virtual bool offlineRunTask(void* tasks, std::intptr_t taskCount) { return false; }
    virtual std::int32_t offlinePassCount() { return 0; }
    virtual std::int32_t offlineMetaPassCount() { return 0; }
    virtual std::intptr_t askHostOutputSampleRate(float rate);
    virtual std::intptr_t askHostInputSpeakers();   // an arrangement address
    virtual std::intptr_t askHostOutputSpeakers();  // an arrangement address
    virtual bool askHostVendorName(char* out);
    virtual bool askHostProductName(char* out);
    virtual std::intptr_t askHostVendorVersion();
    virtual std::intptr_t askHostVendorSpecific(std::int32_t a, std::intptr_t b, void* c,
                                                float d);
    virtual bool askHostForCapability(const char* capability);
    virtual void markInstrument(bool on) { markFlag(zyl::flagInstrument, on); }
    virtual void markSilentWhenStopped(bool on) { markFlag(zyl::flagSilentWhenStopped, on); }
    virtual std::intptr_t askHostLanguage();
    virtual std::intptr_t askHostOpenWindow(void* window);
    virtual bool askHostCloseWindow(void* window);
    virtual std::intptr_t askHostDirectory();  // the address of a path
    virtual bool askHostRefreshDisplay();
    virtual bool processVariableBlock(void* block) { return false; }
    virtual bool acceptSpeakers(zyl::SpeakerArrangement* input,
                                zyl::SpeakerArrangement* output) {
        return false;
    }
    // Sets both arrangement pointers (where given) to null and answers false.
    virtual bool copySpeakers(zyl::SpeakerArrangement** input, zyl::SpeakerArrangement** output);
    virtual void changeBlockSizeAndRate(std::int32_t frames, float rate);
    virtual bool setBypassState(bool on) { return false; }
    virtual bool copyEffectName(char* out) { return false; }
    virtual bool copyErrorText(char* out) { return false; }
    virtual bool copyVendorName(char* out) { return false; }
    virtual bool copyProductName(char* out) { return false; }
    virtual std::int32_t vendorVersion() { return 0; }
    virtual std::intptr_t vendorRequest(std::int32_t index, std::intptr_t value, void* pointer,
                                        float option) {
        return 0;
    }
    // Capability strings of the interface are listed in capabilities.h.
    virtual std::intptr_t capability(const char* name) { return 0; }
    virtual std::intptr_t iconData() { return 0; }
    virtual bool moveView(std::int32_t x, std::int32_t y) { return false; }
    virtual std::intptr_t tailLength() { return 0; }
    virtual std::intptr_t idleRequest() { return 0; }
    virtual bool copyParameterInfo(std::int32_t index, void* info) { return false; }
    virtual bool keysWanted() { return false; }
    virtual std::int32_t interfaceVersion() { return zyl::kInterfaceVersion; }
    virtual std::intptr_t midiProgramName(std::int32_t channel, void* record) { return 0; }
    virtual std::intptr_t midiCurrentProgram(std::int32_t channel, void* record) { return -1; }
    virtual std::intptr_t midiProgramCategory(std::int32_t channel, void* record) { return 0; }
    virtual bool midiProgramsChanged(std::int32_t channel) { return false; }
    virtual bool midiKeyName(std::int32_t channel, void* record) { return false; }
    virtual bool programChangeBegin() { return false; }
    virtual bool programChangeEnd() { return false; }
    virtual bool gestureBegin(std::int32_t index);  // hostOpGestureBegin
    virtual bool gestureEnd(std::int32_t index);    // hostOpGestureEnd
    virtual bool askHostOpenFileSelector(void* selector);  // null: false, host not called
    virtual std::intptr_t setTotalSamples(std::intptr_t samples) { return samples; }
    virtual std::intptr_t nextShellPlugin(char* name) { return 0; }
    virtual std::intptr_t processingStarts() { return 0; }
    virtual std::intptr_t processingStops() { return 0; }
    virtual bool choosePanLaw(std::intptr_t law, float gain) { return false; }
    virtual std::intptr_t bankLoadBegin(void* info) { return 0; }
    virtual std::intptr_t programLoadBegin(void* info) { return 0; }

    // Speaker arrangements (blocks of speakerArrangementSize(channels) bytes, owned by
    // whoever holds the pointer).
    // Releases what *arrangement holds, then stores a zeroed block for `channels`
    // channels; false (and null) when it cannot be allocated or channels is negative.
    virtual bool allocateSpeakers(zyl::SpeakerArrangement** arrangement, std::int32_t channels);
    // Frees *arrangement if there is one and stores null; always true.
    virtual bool releaseSpeakers(zyl::SpeakerArrangement** arrangement);
    // Copies name, type, position and reserved bytes; false if either is null.
    virtual bool duplicateSpeaker(zyl::SpeakerInfo* to, const zyl::SpeakerInfo* from);
    // Replaces *to by a copy of `from`; false for a null source or a failed copy.
    virtual bool matchSpeakers(zyl::SpeakerArrangement** to, const zyl::SpeakerArrangement* from);
};

}  // namespace orbitone
