// The Zyl plug-in binary interface: everything a host and a plug-in library exchange.
//
// This header is shared by the plug-in (orbitone.so) and by hosts (zylhost), and it is
// deliberately self-contained: fixed-width types, plain records, opcode and flag names.
// The record keeps one field order on every platform; pointer-sized fields take the
// natural size and alignment of the platform's pointers, so the 32-bit layout is the
// classic 144-byte record and the 64-bit layout is its natural widening (184 bytes).
// Both layouts are checked below.
#pragma once

#include <cstddef>
#include <cstdint>

namespace zyl {

// Four-character codes are 32-bit integers with the first character in the most
// significant byte: fourCharCode("ZylP") == 0x5A796C50.
constexpr std::int32_t fourCharCode(const char (&code)[5]) {
    return static_cast<std::int32_t>((std::uint32_t(std::uint8_t(code[0])) << 24) |
                                     (std::uint32_t(std::uint8_t(code[1])) << 16) |
                                     (std::uint32_t(std::uint8_t(code[2])) << 8) |
                                     std::uint32_t(std::uint8_t(code[3])));
}

inline constexpr std::int32_t kMagicCode = fourCharCode("ZylP");
inline constexpr std::int32_t kIdentifyAnswer = fourCharCode("NvEf");
inline constexpr std::int32_t kInterfaceVersion = 2300;

struct EffectRecord;

// The host's callback: (record or null, opcode, index, value, pointer, option).
using HostProc = std::intptr_t (*)(EffectRecord* record, std::int32_t opcode,
                                   std::int32_t index, std::intptr_t value, void* pointer,
                                   float option);

// The five entry procedures a plug-in stores in its record.
using DispatchProc = std::intptr_t (*)(EffectRecord* record, std::int32_t opcode,
                                       std::int32_t index, std::intptr_t value,
                                       void* pointer, float option);
using ProcessProc = void (*)(EffectRecord* record, float** inputs, float** outputs,
                             std::int32_t frameCount);
using StoreParameterProc = void (*)(EffectRecord* record, std::int32_t index, float value);
using ReadParameterProc = float (*)(EffectRecord* record, std::int32_t index);

// The one function a plug-in library exports, under the symbol name "main".
using MainProc = EffectRecord* (*)(HostProc hostProc);

inline constexpr std::size_t kReservedTailSize = 60;

struct EffectRecord {
    std::int32_t magicCode;
    DispatchProc dispatchProc;
    ProcessProc processAddingProc;
    StoreParameterProc storeParameterProc;
    ReadParameterProc readParameterProc;
    std::int32_t programCount;
    std::int32_t parameterCount;
    std::int32_t inputCount;
    std::int32_t outputCount;
    std::int32_t recordFlags;
    std::int32_t reserved1;
    std::int32_t reserved2;
    std::int32_t latencySamples;
    std::int32_t realtimeQuality;
    std::int32_t offlineQuality;
    float ioRatio;
    void* effectObject;
    void* hostUserData;
    std::int32_t effectId;
    std::int32_t effectVersion;
    ProcessProc processOverwritingProc;
    std::uint8_t reservedTail[kReservedTailSize];
};

// Bits of EffectRecord::recordFlags.
enum RecordFlag : std::int32_t {
    flagEditorAttached = 1,
    flagClipMeter = 2,
    flagLevelMeter = 4,
    flagMonoInput = 8,
    flagOverwriting = 16,
    flagStateBlob = 32,
    flagInstrument = 256,
    flagSilentWhenStopped = 512,
    flagAsyncExtension = 1024,
    flagBufferExtension = 2048,
};

// Requests from the host to the plug-in, through dispatchProc.
enum PlugOpcode : std::int32_t {
    plugOpStartup = 0,
    plugOpShutdown = 1,
    plugOpSelectProgram = 2,
    plugOpCurrentProgram = 3,
    plugOpRenameProgram = 4,
    plugOpProgramName = 5,
    plugOpParameterUnit = 6,
    plugOpParameterText = 7,
    plugOpParameterName = 8,
    plugOpMeterLevel = 9,
    plugOpSampleRate = 10,
    plugOpBlockSize = 11,
    plugOpPowerState = 12,
    plugOpEditorRect = 13,
    plugOpEditorOpen = 14,
    plugOpEditorClose = 15,
    plugOpEditorIdle = 19,
    plugOpIdentify = 22,
    plugOpGetStateBlob = 23,
    plugOpSetStateBlob = 24,
    plugOpTakeEvents = 25,
    plugOpIsAutomatable = 26,
    plugOpParseParameterText = 27,
    plugOpCategoryCount = 28,
    plugOpProgramNameAt = 29,
    plugOpDuplicateProgram = 30,
    plugOpInputConnection = 31,
    plugOpOutputConnection = 32,
    plugOpInputInfo = 33,
    plugOpOutputInfo = 34,
    plugOpKind = 35,
    plugOpPlayPosition = 36,
    plugOpOutputBuffer = 37,
    plugOpOfflineNotice = 38,
    plugOpOfflinePrepare = 39,
    plugOpOfflineRun = 40,
    plugOpVariableIo = 41,
    plugOpSetSpeakers = 42,
    plugOpBlockSizeAndRate = 43,
    plugOpBypass = 44,
    plugOpEffectName = 45,
    plugOpErrorText = 46,
    plugOpVendorName = 47,
    plugOpProductName = 48,
    plugOpVendorVersion = 49,
    plugOpVendorSpecific = 50,
    plugOpCapability = 51,
    plugOpTailLength = 52,
    plugOpIdleRequest = 53,
    plugOpIcon = 54,
    plugOpViewPosition = 55,
    plugOpParameterInfo = 56,
    plugOpKeysWanted = 57,
    plugOpInterfaceVersion = 58,
    plugOpEditorKeyDown = 59,
    plugOpEditorKeyUp = 60,
    plugOpKnobMode = 61,
    plugOpMidiProgramName = 62,
    plugOpMidiCurrentProgram = 63,
    plugOpMidiProgramCategory = 64,
    plugOpMidiProgramsChanged = 65,
    plugOpMidiKeyName = 66,
    plugOpProgramChangeBegin = 67,
    plugOpProgramChangeEnd = 68,
    plugOpGetSpeakers = 69,
    plugOpNextShellPlugin = 70,
    plugOpProcessingStarts = 71,
    plugOpProcessingStops = 72,
    plugOpTotalSamples = 73,
    plugOpPanLaw = 74,
    plugOpBankLoadBegin = 75,
    plugOpProgramLoadBegin = 76,
};

// Requests from the plug-in to the host, through HostProc.
enum HostOpcode : std::int32_t {
    hostOpAutomate = 0,
    hostOpVersion = 1,
    hostOpCurrentId = 2,
    hostOpIdle = 3,
    hostOpPinConnected = 4,
    hostOpWantEvents = 6,
    hostOpTimeInfo = 7,
    hostOpSendEvents = 8,
    hostOpTempoAt = 10,
    hostOpAutomatableCount = 11,
    hostOpParameterQuantization = 12,
    hostOpIoChanged = 13,
    hostOpNeedIdle = 14,
    hostOpResizeWindow = 15,
    hostOpSampleRate = 16,
    hostOpBlockSize = 17,
    hostOpInputLatency = 18,
    hostOpOutputLatency = 19,
    hostOpPreviousPlug = 20,
    hostOpNextPlug = 21,
    hostOpReplaceOrAccumulate = 22,
    hostOpProcessLevel = 23,
    hostOpAutomationState = 24,
    hostOpOfflineStart = 25,
    hostOpOfflineRead = 26,
    hostOpOfflineWrite = 27,
    hostOpOfflinePass = 28,
    hostOpOfflineMetaPass = 29,
    hostOpOutputSampleRate = 30,
    hostOpOutputSpeakers = 31,
    hostOpVendorName = 32,
    hostOpProductName = 33,
    hostOpVendorVersion = 34,
    hostOpVendorSpecific = 35,
    hostOpCapability = 37,
    hostOpLanguage = 38,
    hostOpOpenWindow = 39,
    hostOpCloseWindow = 40,
    hostOpDirectory = 41,
    hostOpRefreshDisplay = 42,
    hostOpGestureBegin = 43,
    hostOpGestureEnd = 44,
    hostOpOpenFileSelector = 45,
    hostOpCloseFileSelector = 46,
    hostOpChunkFile = 48,
    hostOpInputSpeakers = 49,
};

// The editor rectangle a host reads after plugOpEditorRect (8 bytes on every platform).
struct EditorBounds {
    std::int16_t top;
    std::int16_t left;
    std::int16_t bottom;
    std::int16_t right;
};

// Speaker records exchanged through plugOpSetSpeakers and plugOpGetSpeakers.
inline constexpr std::size_t kSpeakerNameSize = 64;

struct SpeakerInfo {
    std::int32_t position[4];  // position data, copied as it is
    char name[kSpeakerNameSize];
    std::int32_t speakerType;
    std::uint8_t reserved[28];
};

struct SpeakerArrangement {
    std::int32_t arrangementType;
    std::int32_t channelCount;
    SpeakerInfo speakers[1];  // channelCount records; allocated 8 + 112 * channelCount bytes
};

constexpr std::size_t speakerArrangementSize(std::int32_t channelCount) {
    return 8 + sizeof(SpeakerInfo) * static_cast<std::size_t>(channelCount);
}

// Resources in a module file. A plug-in module carries its resources (bitmaps, the
// parameter-description document) in an allocated ELF section named "zylrsrc": a run of
// records, each 8-aligned: this header, then `size` bytes, then zero padding up to the
// next multiple of 8. A host may read them from the file; the plug-in finds its own.
inline constexpr char kResourceSectionName[] = "zylrsrc";
inline constexpr std::uint32_t kResourceMagic = 0x5A526573;  // "ZRes" as little-endian bytes
inline constexpr std::size_t kResourceTypeSize = 16;

// The parameter-description document a plug-in may carry for hosts: an XML text that
// groups and labels the parameters.
inline constexpr char kParameterDescriptionType[] = "ZYLXML";
inline constexpr std::uint32_t kParameterDescriptionId = 1;

struct ResourceRecordHeader {
    std::uint32_t magic;
    std::uint32_t id;
    std::uint32_t size;
    std::uint32_t reserved;
    char type[kResourceTypeSize];  // zero-terminated, zero-padded, e.g. "ZYLXML", "BITMAP"
};

// ---------------------------------------------------------------------------------
// Layout checks. The 32-bit layout is the interface's reference table byte for byte;
// a 32-bit syntax-only compile of this header proves it on a 64-bit machine.

static_assert(sizeof(EditorBounds) == 8);
static_assert(sizeof(SpeakerInfo) == 112);
static_assert(offsetof(SpeakerInfo, name) == 16);
static_assert(offsetof(SpeakerInfo, speakerType) == 80);
static_assert(offsetof(SpeakerArrangement, speakers) == 8);
static_assert(sizeof(ResourceRecordHeader) == 32);
static_assert(sizeof(float) == 4);

#define ZYL_CHECK_OFFSET(field, at32, at64)                                                \
    static_assert(offsetof(EffectRecord, field) == (sizeof(void*) == 4 ? (at32) : (at64)), \
                  "EffectRecord::" #field " is not at its interface offset")

static_assert(sizeof(void*) == 4 || sizeof(void*) == 8, "only 32- and 64-bit platforms");
ZYL_CHECK_OFFSET(magicCode, 0, 0);
ZYL_CHECK_OFFSET(dispatchProc, 4, 8);
ZYL_CHECK_OFFSET(processAddingProc, 8, 16);
ZYL_CHECK_OFFSET(storeParameterProc, 12, 24);
ZYL_CHECK_OFFSET(readParameterProc, 16, 32);
ZYL_CHECK_OFFSET(programCount, 20, 40);
ZYL_CHECK_OFFSET(parameterCount, 24, 44);
ZYL_CHECK_OFFSET(inputCount, 28, 48);
ZYL_CHECK_OFFSET(outputCount, 32, 52);
ZYL_CHECK_OFFSET(recordFlags, 36, 56);
ZYL_CHECK_OFFSET(reserved1, 40, 60);
ZYL_CHECK_OFFSET(reserved2, 44, 64);
ZYL_CHECK_OFFSET(latencySamples, 48, 68);
ZYL_CHECK_OFFSET(realtimeQuality, 52, 72);
ZYL_CHECK_OFFSET(offlineQuality, 56, 76);
ZYL_CHECK_OFFSET(ioRatio, 60, 80);
ZYL_CHECK_OFFSET(effectObject, 64, 88);
ZYL_CHECK_OFFSET(hostUserData, 68, 96);
ZYL_CHECK_OFFSET(effectId, 72, 104);
ZYL_CHECK_OFFSET(effectVersion, 76, 108);
ZYL_CHECK_OFFSET(processOverwritingProc, 80, 112);
ZYL_CHECK_OFFSET(reservedTail, 84, 120);
#undef ZYL_CHECK_OFFSET
static_assert(sizeof(EffectRecord) == (sizeof(void*) == 4 ? 144 : 184),
              "EffectRecord does not have its interface size");

}  // namespace zyl
