// zylhost info: what a plug-in tells a host about itself.
#include <cstdio>
#include <string>
#include <vector>

#include "command.h"
#include "module_resources.h"
#include "plugin_host.h"

namespace zylhost {
namespace {

constexpr std::string_view kHelp =
    "usage: zylhost info [--xml] PLUGIN.so\n"
    "\n"
    "Loads the plug-in, makes one effect and prints what it reports: the fields of its\n"
    "record, effect id, vendor, product and versions, its programs by name, and every\n"
    "parameter of the current program (index, name, value, text, unit), followed by the\n"
    "calls the plug-in made to the host.\n"
    "\n"
    "  --xml   print the plug-in's parameter-description document instead, exactly as\n"
    "          the library file carries it (read from the file; nothing is loaded)\n"
    "\n"
    "Exit status: 0 done, 1 the plug-in could not be read or loaded, 2 usage error.\n";

std::string fourChars(std::int32_t code) {
    std::string text;
    for (int shift = 24; shift >= 0; shift -= 8) {
        const auto c = static_cast<unsigned char>(static_cast<std::uint32_t>(code) >> shift);
        text += (c >= 0x20 && c < 0x7f) ? static_cast<char>(c) : '?';
    }
    return text;
}

std::string flagNames(std::int32_t flags) {
    static constexpr struct {
        std::int32_t bit;
        const char* name;
    } kFlags[] = {
        {zyl::flagEditorAttached, "editorAttached"},
        {zyl::flagClipMeter, "clipMeter"},
        {zyl::flagLevelMeter, "levelMeter"},
        {zyl::flagMonoInput, "monoInput"},
        {zyl::flagOverwriting, "overwriting"},
        {zyl::flagStateBlob, "stateBlob"},
        {zyl::flagInstrument, "instrument"},
        {zyl::flagSilentWhenStopped, "silentWhenStopped"},
        {zyl::flagAsyncExtension, "asyncExtension"},
        {zyl::flagBufferExtension, "bufferExtension"},
    };
    std::string names;
    std::int32_t rest = flags;
    for (const auto& flag : kFlags) {
        if ((flags & flag.bit) == 0) continue;
        names += (names.empty() ? "" : ", ") + std::string(flag.name);
        rest &= ~flag.bit;
    }
    if (rest != 0) names += (names.empty() ? "" : ", ") + ("other bits " + std::to_string(rest));
    return names.empty() ? "none" : names;
}

void printRecord(const zyl::EffectRecord& record) {
    std::printf("record\n");
    std::printf("  magicCode        %s\n", fourChars(record.magicCode).c_str());
    std::printf("  programCount     %d\n", record.programCount);
    std::printf("  parameterCount   %d\n", record.parameterCount);
    std::printf("  inputCount       %d\n", record.inputCount);
    std::printf("  outputCount      %d\n", record.outputCount);
    std::printf("  recordFlags      %d (%s)\n", record.recordFlags,
                flagNames(record.recordFlags).c_str());
    std::printf("  latencySamples   %d\n", record.latencySamples);
    std::printf("  realtimeQuality  %d\n", record.realtimeQuality);
    std::printf("  offlineQuality   %d\n", record.offlineQuality);
    std::printf("  ioRatio          %g\n", static_cast<double>(record.ioRatio));
    std::printf("  effectId         %s\n", fourChars(record.effectId).c_str());
    std::printf("  effectVersion    %d\n", record.effectVersion);
}

void printIdentity(Plugin& plugin) {
    const zyl::EffectRecord& record = *plugin.record();
    std::intptr_t answered = 0;
    const std::string vendor = plugin.text(zyl::plugOpVendorName, 0, 0, &answered);
    std::printf("vendor             %s\n", answered != 0 ? vendor.c_str() : "(not given)");
    const std::string product = plugin.text(zyl::plugOpProductName, 0, 0, &answered);
    std::printf("product            %s\n", answered != 0 ? product.c_str() : "(not given)");
    std::printf("effect id          %s (%d)\n", fourChars(record.effectId).c_str(),
                record.effectId);
    std::printf("effect version     %d\n", record.effectVersion);
    std::printf("vendor version     %lld\n",
                static_cast<long long>(plugin.dispatch(zyl::plugOpVendorVersion)));
    std::printf("interface version  %lld\n",
                static_cast<long long>(plugin.dispatch(zyl::plugOpInterfaceVersion)));
}

// Names by index without changing the current program; a plug-in that does not answer
// that request is asked by selecting each program in turn and going back.
void printPrograms(Plugin& plugin) {
    const std::int32_t count = plugin.record()->programCount;
    const auto current = static_cast<std::int32_t>(plugin.dispatch(zyl::plugOpCurrentProgram));
    std::printf("programs (%d, current %d)\n", count, current);
    for (std::int32_t program = 0; program < count; ++program) {
        std::intptr_t answered = 0;
        std::string name = plugin.text(zyl::plugOpProgramNameAt, program, 0, &answered);
        if (answered == 0) {
            plugin.dispatch(zyl::plugOpSelectProgram, 0, program);
            name = plugin.text(zyl::plugOpProgramName);
        }
        std::printf("  %3d  %s\n", program, name.c_str());
    }
    if (plugin.dispatch(zyl::plugOpCurrentProgram) != current)
        plugin.dispatch(zyl::plugOpSelectProgram, 0, current);
}

void printParameters(Plugin& plugin) {
    const std::string program = plugin.text(zyl::plugOpProgramName);
    std::printf("parameters of the current program \"%s\"\n", program.c_str());
    std::printf("  %5s  %-8s  %9s  %8s  %s\n", "index", "name", "value", "text", "unit");
    for (std::int32_t index = 0; index < plugin.record()->parameterCount; ++index) {
        const std::string name = plugin.text(zyl::plugOpParameterName, index);
        const float value = plugin.readParameter(index);
        const std::string text = plugin.text(zyl::plugOpParameterText, index);
        const std::string unit = plugin.text(zyl::plugOpParameterUnit, index);
        std::printf("  %5d  %-8s  %9.6f  %8s  %s\n", index, name.c_str(),
                    static_cast<double>(value), text.c_str(), unit.c_str());
    }
}

int printDescription(const std::string& path) {
    std::vector<ModuleResource> resources;
    std::string error;
    if (!readModuleResources(path, resources, error)) {
        reportError(error);
        return kExitFailure;
    }
    const ModuleResource* document = findModuleResource(
        resources, zyl::kParameterDescriptionType, zyl::kParameterDescriptionId);
    if (document == nullptr) {
        reportError(path + ": carries no parameter-description document");
        return kExitFailure;
    }
    std::fwrite(document->bytes.data(), 1, document->bytes.size(), stdout);
    return kExitOk;
}

int runInfo(std::span<const std::string_view> arguments) {
    bool xml = false;
    std::vector<std::string> paths;
    bool optionsDone = false;
    for (std::string_view argument : arguments) {
        if (!optionsDone && argument == "--") {
            optionsDone = true;
        } else if (!optionsDone && argument == "--xml") {
            xml = true;
        } else if (!optionsDone && argument.size() > 1 && argument[0] == '-') {
            reportError("info: unknown option '" + std::string(argument) +
                        "' (zylhost info --help)");
            return kExitUsage;
        } else {
            paths.emplace_back(argument);
        }
    }
    if (paths.size() != 1) {
        reportError("info: needs exactly one plug-in file (zylhost info --help)");
        return kExitUsage;
    }
    const std::string& path = paths.front();
    if (xml) return printDescription(path);

    Host host;
    std::string error;
    std::unique_ptr<Plugin> plugin = host.load(path, error);
    if (!plugin) {
        reportError(error);
        return kExitFailure;
    }
    plugin->dispatch(zyl::plugOpStartup);

    std::printf("plug-in            %s\n", path.c_str());
    printIdentity(*plugin);
    printRecord(*plugin->record());
    printPrograms(*plugin);
    printParameters(*plugin);

    const std::intptr_t shutdownAnswer = plugin->shutdown();
    std::printf("host callbacks received (%zu)\n", host.calls().size());
    for (const HostCall& call : host.calls()) std::printf("  %s\n", describe(call).c_str());
    if (shutdownAnswer != 1)
        std::printf("note: the plug-in answered %lld to shutdown, not 1\n",
                    static_cast<long long>(shutdownAnswer));
    return kExitOk;
}

}  // namespace

extern const Command infoCommand{"info", "show a plug-in's record, programs and parameters",
                                 kHelp, runInfo};

}  // namespace zylhost
