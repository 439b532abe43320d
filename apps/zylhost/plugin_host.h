// A small host for Zyl plug-ins: loads a library, calls its `main` with our callback,
// records every callback the plug-in makes, and drives the effect through its record.
// Used by every zylhost command and by the end-to-end tests.
#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "zyl_abi.h"

namespace zylhost {

// One request of a plug-in to the host, with the host's answer.
struct HostCall {
    bool hadRecord;  // false for the version request `main` makes before any record exists
    std::int32_t opcode;
    std::int32_t index;
    std::intptr_t value;
    const void* pointer;
    float option;
    std::intptr_t answer;
};

// "hostOpAutomate", or "opcode 47" for a number without a name.
std::string hostOpcodeName(std::int32_t opcode);
// One line: name, arguments and answer.
std::string describe(const HostCall& call);

class Plugin;

// The host side. Answers hostOpVersion, the sample rate and the block size with the
// values below, everything else with 0, and keeps a record of every call.
// [one thread] A Host and the plug-ins it loads are used from one thread.
class Host {
public:
    Host() = default;
    Host(const Host&) = delete;
    Host& operator=(const Host&) = delete;

    std::intptr_t version = zyl::kInterfaceVersion;
    float sampleRate = 44100.0f;
    std::int32_t blockSize = 512;

    // Every callback received, in order.
    const std::vector<HostCall>& calls() const { return received; }
    void clearCalls() { received.clear(); }
    // Where each callback is also written as it arrives (one line each); null for none.
    void logTo(std::FILE* out) { log = out; }

    // Loads the plug-in library at `path` and makes one effect; null with a one-line
    // `error` when the file is missing, is no loadable library, has no `main`, or `main`
    // gives no valid record.
    [[nodiscard]] std::unique_ptr<Plugin> load(const std::string& path, std::string& error);

    // The callback handed to `main`.
    static std::intptr_t callback(zyl::EffectRecord* record, std::int32_t opcode,
                                  std::int32_t index, std::intptr_t value, void* pointer,
                                  float option);

private:
    std::intptr_t answer(const HostCall& call);

    std::vector<HostCall> received;
    std::FILE* log = nullptr;
};

// A loaded library with the one effect its `main` made. Destruction shuts the effect
// down (unless shutdown() already did) and then unloads the library.
class Plugin {
public:
    ~Plugin();
    Plugin(const Plugin&) = delete;
    Plugin& operator=(const Plugin&) = delete;

    zyl::EffectRecord* record() { return effect; }
    const std::string& path() const { return libraryPath; }

    // dispatchProc with the arguments as given.
    std::intptr_t dispatch(std::int32_t opcode, std::int32_t index = 0, std::intptr_t value = 0,
                           void* pointer = nullptr, float option = 0.0f);
    // A text request (program, parameter and vendor names, ...) into a zeroed buffer far
    // larger than any the interface allows, so a plug-in that overruns its limit shows
    // it instead of corrupting the host. `answer` receives the dispatcher's result.
    std::string text(std::int32_t opcode, std::int32_t index = 0, std::intptr_t value = 0,
                     std::intptr_t* answer = nullptr);

    float readParameter(std::int32_t index);
    void storeParameter(std::int32_t index, float value);
    void processAdding(float** inputs, float** outputs, std::int32_t frames);
    void processOverwriting(float** inputs, float** outputs, std::int32_t frames);

    // The usual host sequence around processing: startup, sample rate, block size,
    // resume; and suspend.
    void start(float sampleRate, std::int32_t blockSize);
    void suspend();

    // plugOpShutdown; the plug-in's answer (1 for a well-behaved plug-in). The record
    // is gone afterwards.
    std::intptr_t shutdown();

private:
    friend class Host;
    Plugin(void* library, std::string path, zyl::EffectRecord* effect)
        : library(library), libraryPath(std::move(path)), effect(effect) {}

    void* library;
    std::string libraryPath;
    zyl::EffectRecord* effect;
};

}  // namespace zylhost
