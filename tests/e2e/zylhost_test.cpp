// zylhost as a user runs it: `info` on the built plug-in, its errors, its help.
#include <elf.h>
#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "run_process.h"

namespace {

using orbitone::testing::ProcessResult;
using orbitone::testing::readWholeFile;
using orbitone::testing::runProcess;

using orbitone::testing::contains;
using orbitone::testing::zylhost;

// A failure as the user sees it: exit status 1, nothing on stdout, one line on stderr.
void expectOneLineError(const ProcessResult& result, const std::string& part,
                        int exitCode = 1) {
    EXPECT_EQ(result.exitCode, exitCode);
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(result.err.rfind("zylhost: ", 0), 0u) << result.err;
    EXPECT_EQ(std::count(result.err.begin(), result.err.end(), '\n'), 1) << result.err;
    EXPECT_TRUE(contains(result.err, part)) << result.err;
}

// A private directory for files made by one test, removed with it.
class Scratch {
public:
    Scratch() {
        char pattern[] = "/tmp/zylhost-testXXXXXX";
        directory = mkdtemp(pattern);
    }
    ~Scratch() {
        for (const std::string& file : files) std::remove(file.c_str());
        rmdir(directory.c_str());
    }
    std::string write(const std::string& name, const std::string& bytes) {
        const std::string path = directory + "/" + name;
        std::ofstream(path, std::ios::binary) << bytes;
        files.push_back(path);
        return path;
    }
    std::string directory;

private:
    std::vector<std::string> files;
};

TEST(ZylhostInfo, PrintsTheRecordNamesProgramsAndParameters) {
    const ProcessResult result = zylhost({"info", ORBITONE_PLUGIN});
    ASSERT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(result.err, "");
    const std::string& out = result.out;
    for (const char* line : {
             "vendor             Tarvane\n",
             "product            Orbitone\n",
             "effect id          ORBT (1330790996)\n",
             "effect version     1\n",
             "vendor version     1100\n",
             "interface version  2300\n",
             "  magicCode        ZylP\n",
             "  programCount     9\n",
             "  parameterCount   17\n",
             "  inputCount       2\n",
             "  outputCount      2\n",
             "  ioRatio          1\n",
             "programs (9, current 0)\n",
             "    0  Default\n",
             "    4  L - R Move\n",
             "    8  Decrypted\n",
             "parameters of the current program \"Default\"\n",
             "      0  Env.Atk    0.800000        80  %\n",
             "      3  Osc.EMod   0.500000         0  %\n",
             "      7  Lfo.EMod   0.000000      -100  %\n",
             "     16  Lfo.Wave   0.520000        52  %\n",
             "  hostOpVersion (index 0, value 0, pointer null, option 0) before the record -> 2300\n",
         }) {
        EXPECT_TRUE(contains(out, line)) << "missing: " << line << "in:\n" << out;
    }
    EXPECT_TRUE(contains(out, "monoInput, overwriting")) << out;
}

TEST(ZylhostInfo, XmlPrintsTheDocumentByteForByte) {
    const ProcessResult result = zylhost({"info", "--xml", ORBITONE_PLUGIN});
    ASSERT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(result.out, readWholeFile(ORBITONE_SOURCE_DIR "/resources/parameters.xml"));
    EXPECT_EQ(result.out.rfind("<!-- ", 0), 0u);
    EXPECT_EQ(result.out.back(), '>');  // no final line end
}

TEST(ZylhostInfo, RefusesWhatIsNoPlugin) {
    Scratch scratch;
    expectOneLineError(zylhost({"info", "/nonexistent/orbitone.so"}), "no such file");
    expectOneLineError(zylhost({"info", scratch.directory}), "is a directory");
    expectOneLineError(zylhost({"info", NO_MAIN_PLUGIN}), "has no entry point \"main\"");
    expectOneLineError(zylhost({"info", NULL_MAIN_PLUGIN}), "main returned null");
    expectOneLineError(zylhost({"info", BAD_RECORD_PLUGIN}), "without the \"ZylP\" code");
    expectOneLineError(zylhost({"info", scratch.write("text.so", "not a library\n")}),
                       "cannot be loaded");
}

TEST(ZylhostInfo, XmlRefusesCorruptFilesWithOneLine) {
    const std::string plugin = readWholeFile(ORBITONE_PLUGIN);
    ASSERT_GT(plugin.size(), sizeof(Elf64_Ehdr));
    Scratch scratch;

    expectOneLineError(zylhost({"info", "--xml", "/nonexistent.so"}), "no such file");
    expectOneLineError(zylhost({"info", "--xml", scratch.write("empty.so", "")}),
                       "not an ELF file");
    expectOneLineError(zylhost({"info", "--xml", NO_MAIN_PLUGIN}),
                       "no parameter-description document");

    // Every cut of the file fails cleanly.
    for (std::size_t length : {std::size_t(4), std::size_t(16), std::size_t(63), std::size_t(64),
                               std::size_t(1000), plugin.size() / 2, plugin.size() - 1}) {
        SCOPED_TRACE(length);
        const ProcessResult result =
            zylhost({"info", "--xml", scratch.write("cut.so", plugin.substr(0, length))});
        EXPECT_EQ(result.exitCode, 1);
        EXPECT_EQ(std::count(result.err.begin(), result.err.end(), '\n'), 1) << result.err;
    }

    // Broken headers and a torn resource record.
    Elf64_Ehdr header;
    std::memcpy(&header, plugin.data(), sizeof header);
    struct Damage {
        const char* name;
        void (*apply)(Elf64_Ehdr&);
        const char* message;
    } damages[] = {
        {"section table far away", [](Elf64_Ehdr& h) { h.e_shoff = ~0ull >> 1; }, "section table"},
        {"section entry size", [](Elf64_Ehdr& h) { h.e_shentsize = 7; }, "section header size"},
        {"names index", [](Elf64_Ehdr& h) { h.e_shstrndx = 0xfff0; }, "section table"},
        {"huge section count", [](Elf64_Ehdr& h) { h.e_shnum = 0xffff; }, "section table"},
        {"no section table", [](Elf64_Ehdr& h) { h.e_shoff = 0; }, "no section table"},
        {"big-endian", [](Elf64_Ehdr& h) { h.e_ident[EI_DATA] = ELFDATA2MSB; }, "little-endian"},
        {"unknown class", [](Elf64_Ehdr& h) { h.e_ident[EI_CLASS] = 9; }, "unknown ELF class"},
    };
    for (const Damage& damage : damages) {
        SCOPED_TRACE(damage.name);
        Elf64_Ehdr broken = header;
        damage.apply(broken);
        std::string bytes = plugin;
        std::memcpy(bytes.data(), &broken, sizeof broken);
        expectOneLineError(zylhost({"info", "--xml", scratch.write("broken.so", bytes)}),
                           damage.message);
    }

    const std::uint32_t magic = 0x5A526573;  // the resource record mark
    std::string bytes = plugin;
    const std::size_t at = bytes.find(std::string(reinterpret_cast<const char*>(&magic), 4));
    ASSERT_NE(at, std::string::npos);
    const std::uint32_t hugeSize = 0xFFFFFFF0u;
    std::memcpy(bytes.data() + at + 8, &hugeSize, 4);
    expectOneLineError(zylhost({"info", "--xml", scratch.write("torn.so", bytes)}),
                       "corrupt resource section");
}

TEST(Zylhost, CommandLineErrorsAreUsageErrors) {
    EXPECT_EQ(zylhost({}).exitCode, 2);
    expectOneLineError(zylhost({"frobnicate"}), "unknown command 'frobnicate'", 2);
    expectOneLineError(zylhost({"info"}), "exactly one plug-in file", 2);
    expectOneLineError(zylhost({"info", "a.so", "b.so"}), "exactly one plug-in file", 2);
    expectOneLineError(zylhost({"info", "--json", ORBITONE_PLUGIN}), "unknown option '--json'", 2);
}

TEST(Zylhost, HelpTellsWhatEachCommandDoes) {
    const ProcessResult overview = zylhost({"--help"});
    EXPECT_EQ(overview.exitCode, 0);
    EXPECT_TRUE(contains(overview.out, "usage: zylhost COMMAND")) << overview.out;
    EXPECT_TRUE(contains(overview.out, "  info ")) << overview.out;

    const ProcessResult info = zylhost({"info", "--help"});
    EXPECT_EQ(info.exitCode, 0);
    EXPECT_TRUE(contains(info.out, "usage: zylhost info [--xml] PLUGIN.so")) << info.out;
    EXPECT_TRUE(contains(info.out, "--xml")) << info.out;
    EXPECT_EQ(info.err, "");
}

}  // namespace
