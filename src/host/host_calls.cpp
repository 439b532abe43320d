// The calls from the effect back into the host. Each wrapper places its arguments, calls
// the host once and converts the answer; without a host it calls nothing and returns its
// no-host value.
#include <cstdint>

#include "effect_base_ex.h"

namespace orbitone {

using namespace zyl;

bool EffectBase::callHost(std::int32_t opcode, std::int32_t index, std::intptr_t value,
                          void* pointer, float option, std::intptr_t& answer) {
    if (hostProc == nullptr) return false;
    answer = hostProc(&record, opcode, index, value, pointer, option);
    return true;
}

std::intptr_t EffectBase::callHostOr(std::intptr_t noHost, std::int32_t opcode,
                                     std::int32_t index, std::intptr_t value, void* pointer,
                                     float option) {
    std::intptr_t answer = 0;
    return callHost(opcode, index, value, pointer, option, answer) ? answer : noHost;
}

// ---- EffectBase ---------------------------------------------------------------------

void EffectBase::storeParameterAndReport(std::int32_t index, float value) {
    storeParameter(index, value);
    callHostOr(0, hostOpAutomate, index, 0, nullptr, value);
}

std::intptr_t EffectBase::askHostVersion() {
    const std::intptr_t version = callHostOr(1, hostOpVersion);
    return version == 0 ? 1 : version;
}

std::intptr_t EffectBase::askHostCurrentId() { return callHostOr(0, hostOpCurrentId); }

std::intptr_t EffectBase::letHostIdle() { return callHostOr(0, hostOpIdle); }

bool EffectBase::inputPinLinked(std::int32_t input) {
    return callHostOr(0, hostOpPinConnected, input, 0) == 0;
}

bool EffectBase::outputPinLinked(std::int32_t output) {
    return callHostOr(0, hostOpPinConnected, output, 1) == 0;
}

bool EffectBase::sendEventsToHost(void* events) {
    return callHostOr(0, hostOpSendEvents, 0, 0, events) == 1;
}

// ---- EffectBaseEx -------------------------------------------------------------------

std::intptr_t EffectBaseEx::askHostForEvents(std::intptr_t filter) {
    return callHostOr(0, hostOpWantEvents, 0, filter);
}

std::intptr_t EffectBaseEx::askHostTimeInfo(std::intptr_t filter) {
    return callHostOr(0, hostOpTimeInfo, 0, filter);
}

std::intptr_t EffectBaseEx::askHostTempoAt(std::intptr_t position) {
    return callHostOr(0, hostOpTempoAt, 0, position);
}

std::intptr_t EffectBaseEx::askHostAutomatableCount() {
    return callHostOr(0, hostOpAutomatableCount);
}

std::intptr_t EffectBaseEx::askHostParameterQuantization() {
    return callHostOr(0, hostOpParameterQuantization);
}

bool EffectBaseEx::tellHostIoChanged() { return callHostOr(0, hostOpIoChanged) != 0; }

bool EffectBaseEx::askHostForIdle() { return callHostOr(0, hostOpNeedIdle) != 0; }

bool EffectBaseEx::askHostResizeWindow(std::int32_t width, std::int32_t height) {
    return callHostOr(0, hostOpResizeWindow, width, height) != 0;
}

float EffectBaseEx::refreshSampleRate() {
    std::intptr_t rate = 0;
    if (callHost(hostOpSampleRate, 0, 0, nullptr, 0.0f, rate) && rate > 0)
        currentSampleRate.store(static_cast<float>(rate));
    return currentSampleRate.load();
}

std::int32_t EffectBaseEx::refreshBlockSize() {
    std::intptr_t frames = 0;
    // An answer beyond 32 bits is no block size; it is ignored like a non-positive one.
    if (callHost(hostOpBlockSize, 0, 0, nullptr, 0.0f, frames) && frames > 0 &&
        frames <= INT32_MAX)
        currentBlockSize.store(static_cast<std::int32_t>(frames));
    return currentBlockSize.load();
}

std::intptr_t EffectBaseEx::askHostInputLatency() { return callHostOr(0, hostOpInputLatency); }

std::intptr_t EffectBaseEx::askHostOutputLatency() { return callHostOr(0, hostOpOutputLatency); }

std::intptr_t EffectBaseEx::askHostPreviousPlug(std::int32_t) {
    return callHostOr(0, hostOpPreviousPlug);
}

std::intptr_t EffectBaseEx::askHostNextPlug(std::int32_t) { return callHostOr(0, hostOpNextPlug); }

std::intptr_t EffectBaseEx::askHostReplaceOrAccumulate() {
    return callHostOr(0, hostOpReplaceOrAccumulate);
}

std::intptr_t EffectBaseEx::askHostProcessLevel() { return callHostOr(0, hostOpProcessLevel); }

std::intptr_t EffectBaseEx::askHostAutomationState() {
    return callHostOr(0, hostOpAutomationState);
}

bool EffectBaseEx::askHostOfflineRead(void* task, std::intptr_t option, bool readSource) {
    return callHostOr(0, hostOpOfflineRead, readSource ? 1 : 0, option, task) != 0;
}

bool EffectBaseEx::askHostOfflineWrite(void* task, std::intptr_t option) {
    return callHostOr(0, hostOpOfflineWrite, 0, option, task) != 0;
}

bool EffectBaseEx::askHostOfflineStart(void* files, std::intptr_t fileCount,
                                       std::int32_t newFileCount) {
    return callHostOr(0, hostOpOfflineStart, newFileCount, fileCount, files) != 0;
}

bool EffectBaseEx::askHostOfflinePass() { return callHostOr(0, hostOpOfflinePass) != 0; }

bool EffectBaseEx::askHostOfflineMetaPass() { return callHostOr(0, hostOpOfflineMetaPass) != 0; }

std::intptr_t EffectBaseEx::askHostOutputSampleRate(float rate) {
    return callHostOr(0, hostOpOutputSampleRate, 0, 0, nullptr, rate);
}

std::intptr_t EffectBaseEx::askHostInputSpeakers() { return callHostOr(0, hostOpInputSpeakers); }

std::intptr_t EffectBaseEx::askHostOutputSpeakers() {
    return callHostOr(0, hostOpOutputSpeakers);
}

bool EffectBaseEx::askHostVendorName(char* out) {
    return callHostOr(0, hostOpVendorName, 0, 0, out) != 0;
}

bool EffectBaseEx::askHostProductName(char* out) {
    return callHostOr(0, hostOpProductName, 0, 0, out) != 0;
}

std::intptr_t EffectBaseEx::askHostVendorVersion() { return callHostOr(0, hostOpVendorVersion); }

std::intptr_t EffectBaseEx::askHostVendorSpecific(std::int32_t a, std::intptr_t b, void* c,
                                                  float d) {
    return callHostOr(0, hostOpVendorSpecific, a, b, c, d);
}

bool EffectBaseEx::askHostForCapability(const char* capability) {
    return callHostOr(0, hostOpCapability, 0, 0, const_cast<char*>(capability)) != 0;
}

std::intptr_t EffectBaseEx::askHostLanguage() { return callHostOr(0, hostOpLanguage); }

std::intptr_t EffectBaseEx::askHostOpenWindow(void* window) {
    return callHostOr(0, hostOpOpenWindow, 0, 0, window);
}

bool EffectBaseEx::askHostCloseWindow(void* window) {
    return callHostOr(0, hostOpCloseWindow, 0, 0, window) != 0;
}

std::intptr_t EffectBaseEx::askHostDirectory() { return callHostOr(0, hostOpDirectory); }

bool EffectBaseEx::askHostRefreshDisplay() { return callHostOr(0, hostOpRefreshDisplay) != 0; }

bool EffectBaseEx::gestureBegin(std::int32_t index) {
    return callHostOr(0, hostOpGestureBegin, index) != 0;
}

bool EffectBaseEx::gestureEnd(std::int32_t index) {
    return callHostOr(0, hostOpGestureEnd, index) != 0;
}

bool EffectBaseEx::askHostOpenFileSelector(void* selector) {
    if (selector == nullptr) return false;
    return callHostOr(0, hostOpOpenFileSelector, 0, 0, selector) != 0;
}

bool EffectBaseEx::askHostCloseFileSelector(void* selector) {
    if (selector == nullptr) return false;
    return callHostOr(0, hostOpCloseFileSelector, 0, 0, selector) != 0;
}

bool EffectBaseEx::askHostChunkFile(char* path) {
    if (path == nullptr) return false;
    return callHostOr(0, hostOpChunkFile, 0, 0, path) != 0;
}

}  // namespace orbitone
