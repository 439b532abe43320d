#include "plugin_host.h"

#include <dlfcn.h>
#include <link.h>
#include <sys/stat.h>

#include <array>
#include <cerrno>
#include <cstring>

namespace zylhost {
namespace {

// The host that is running a plug-in's `main` on this thread: calls made before the
// plug-in has a record (the version request) reach it through this.
thread_local Host* loadingHost = nullptr;

constexpr std::array<const char*, 50> kHostOpcodeNames = {
    "hostOpAutomate", "hostOpVersion", "hostOpCurrentId", "hostOpIdle", "hostOpPinConnected",
    nullptr, "hostOpWantEvents", "hostOpTimeInfo", "hostOpSendEvents", nullptr,
    "hostOpTempoAt", "hostOpAutomatableCount", "hostOpParameterQuantization",
    "hostOpIoChanged", "hostOpNeedIdle", "hostOpResizeWindow", "hostOpSampleRate",
    "hostOpBlockSize", "hostOpInputLatency", "hostOpOutputLatency", "hostOpPreviousPlug",
    "hostOpNextPlug", "hostOpReplaceOrAccumulate", "hostOpProcessLevel",
    "hostOpAutomationState", "hostOpOfflineStart", "hostOpOfflineRead", "hostOpOfflineWrite",
    "hostOpOfflinePass", "hostOpOfflineMetaPass", "hostOpOutputSampleRate",
    "hostOpOutputSpeakers", "hostOpVendorName", "hostOpProductName", "hostOpVendorVersion",
    "hostOpVendorSpecific", nullptr, "hostOpCapability", "hostOpLanguage", "hostOpOpenWindow",
    "hostOpCloseWindow", "hostOpDirectory", "hostOpRefreshDisplay", "hostOpGestureBegin",
    "hostOpGestureEnd", "hostOpOpenFileSelector", "hostOpCloseFileSelector", nullptr,
    "hostOpChunkFile", "hostOpInputSpeakers",
};

// A one-line reason why `path` cannot be a library file, or empty when it may be one.
std::string fileProblem(const std::string& path) {
    struct stat info {};
    if (stat(path.c_str(), &info) != 0) {
        if (errno == ENOENT) return "no such file";
        return std::strerror(errno);
    }
    if (S_ISDIR(info.st_mode)) return "is a directory, not a plug-in library";
    if (!S_ISREG(info.st_mode)) return "is not a regular file";
    return {};
}

// Whether `symbol` lies in the library behind `handle` itself, not in one it depends on.
bool definedInLibrary(void* handle, void* symbol) {
    link_map* library = nullptr;
    if (dlinfo(handle, RTLD_DI_LINKMAP, &library) != 0 || library == nullptr) return false;
    Dl_info info{};
    link_map* owner = nullptr;
    if (dladdr1(symbol, &info, reinterpret_cast<void**>(&owner), RTLD_DL_LINKMAP) == 0)
        return false;
    return owner == library;
}

}  // namespace

std::string hostOpcodeName(std::int32_t opcode) {
    if (opcode >= 0 && opcode < static_cast<std::int32_t>(kHostOpcodeNames.size()) &&
        kHostOpcodeNames[opcode] != nullptr)
        return kHostOpcodeNames[opcode];
    return "opcode " + std::to_string(opcode);
}

std::string describe(const HostCall& call) {
    char arguments[160];
    std::snprintf(arguments, sizeof arguments, "(index %d, value %lld, pointer %s, option %g)",
                  static_cast<int>(call.index), static_cast<long long>(call.value),
                  call.pointer != nullptr ? "set" : "null", static_cast<double>(call.option));
    return hostOpcodeName(call.opcode) + " " + arguments +
           (call.hadRecord ? "" : " before the record") + " -> " + std::to_string(call.answer);
}

// ---- Host -----------------------------------------------------------------------------

std::intptr_t Host::callback(zyl::EffectRecord* record, std::int32_t opcode, std::int32_t index,
                             std::intptr_t value, void* pointer, float option) {
    Host* host = record != nullptr && record->hostUserData != nullptr
                     ? static_cast<Host*>(record->hostUserData)
                     : loadingHost;
    if (host == nullptr) return 0;  // a call from an effect no host of ours made
    HostCall call{record != nullptr, opcode, index, value, pointer, option, 0};
    call.answer = host->answer(call);
    host->received.push_back(call);
    if (host->log != nullptr)
        std::fprintf(host->log, "host callback: %s\n", describe(call).c_str());
    return call.answer;
}

std::intptr_t Host::answer(const HostCall& call) {
    switch (call.opcode) {
    case zyl::hostOpVersion:
        return version;
    case zyl::hostOpSampleRate:
        return static_cast<std::intptr_t>(sampleRate);
    case zyl::hostOpBlockSize:
        return blockSize;
    default:
        return 0;
    }
}

std::unique_ptr<Plugin> Host::load(const std::string& path, std::string& error) {
    if (std::string problem = fileProblem(path); !problem.empty()) {
        error = path + ": " + problem;
        return nullptr;
    }
    // dlopen searches the library path for a bare name; a file name given here means
    // the file itself.
    const std::string openName = path.find('/') == std::string::npos ? "./" + path : path;
    void* library = dlopen(openName.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (library == nullptr) {
        const char* reason = dlerror();
        error = path + ": cannot be loaded: " + (reason != nullptr ? reason : "unknown reason");
        return nullptr;
    }

    void* entry = dlsym(library, "main");
    if (entry == nullptr || !definedInLibrary(library, entry)) {
        dlclose(library);
        error = path + ": not a Zyl plug-in: it has no entry point \"main\"";
        return nullptr;
    }

    auto mainProc = reinterpret_cast<zyl::MainProc>(entry);
    loadingHost = this;
    zyl::EffectRecord* record = mainProc(&Host::callback);
    loadingHost = nullptr;
    if (record == nullptr) {
        dlclose(library);
        error = path + ": the plug-in made no effect (its main returned null)";
        return nullptr;
    }
    if (record->magicCode != zyl::kMagicCode) {
        // Not a record we can talk to, so not one we can shut down either.
        error = path + ": main returned a record without the \"ZylP\" code";
        return nullptr;
    }
    record->hostUserData = this;
    return std::unique_ptr<Plugin>(new Plugin(library, path, record));
}

// ---- Plugin ---------------------------------------------------------------------------

Plugin::~Plugin() {
    if (effect != nullptr) shutdown();
    dlclose(library);
}

std::intptr_t Plugin::dispatch(std::int32_t opcode, std::int32_t index, std::intptr_t value,
                               void* pointer, float option) {
    return effect->dispatchProc(effect, opcode, index, value, pointer, option);
}

std::string Plugin::text(std::int32_t opcode, std::int32_t index, std::intptr_t value,
                         std::intptr_t* answer) {
    std::array<char, 512> buffer{};
    const std::intptr_t result = dispatch(opcode, index, value, buffer.data());
    if (answer != nullptr) *answer = result;
    buffer.back() = '\0';
    return buffer.data();
}

float Plugin::readParameter(std::int32_t index) { return effect->readParameterProc(effect, index); }

void Plugin::storeParameter(std::int32_t index, float value) {
    effect->storeParameterProc(effect, index, value);
}

void Plugin::processAdding(float** inputs, float** outputs, std::int32_t frames) {
    effect->processAddingProc(effect, inputs, outputs, frames);
}

void Plugin::processOverwriting(float** inputs, float** outputs, std::int32_t frames) {
    effect->processOverwritingProc(effect, inputs, outputs, frames);
}

void Plugin::start(float sampleRate, std::int32_t blockSize) {
    dispatch(zyl::plugOpStartup);
    dispatch(zyl::plugOpSampleRate, 0, 0, nullptr, sampleRate);
    dispatch(zyl::plugOpBlockSize, 0, blockSize);
    dispatch(zyl::plugOpPowerState, 0, 1);
}

void Plugin::suspend() { dispatch(zyl::plugOpPowerState, 0, 0); }

std::intptr_t Plugin::shutdown() {
    const std::intptr_t answer = dispatch(zyl::plugOpShutdown);
    effect = nullptr;
    return answer;
}

}  // namespace zylhost
