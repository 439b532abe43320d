// Runs a program to its end and collects what it wrote, for tests of command-line tools.
#pragma once

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace orbitone::testing {

struct ProcessResult {
    int exitCode = -1;  // -1 when it did not exit normally
    std::string out;
    std::string err;
};

inline std::string readWholeFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Runs `arguments` (the first is the program's path) with stdin closed-off.
inline ProcessResult runProcess(const std::vector<std::string>& arguments) {
    char outPath[] = "/tmp/orbitone-test-outXXXXXX";
    char errPath[] = "/tmp/orbitone-test-errXXXXXX";
    const int outFd = mkstemp(outPath);
    const int errFd = mkstemp(errPath);
    ProcessResult result;
    if (outFd < 0 || errFd < 0) return result;

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", 0, 0);
    posix_spawn_file_actions_adddup2(&actions, outFd, 1);
    posix_spawn_file_actions_adddup2(&actions, errFd, 2);
    std::vector<char*> argv;
    for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    pid_t child = 0;
    if (posix_spawn(&child, argv[0], &actions, nullptr, argv.data(), ::environ) == 0) {
        int status = 0;
        waitpid(child, &status, 0);
        if (WIFEXITED(status)) result.exitCode = WEXITSTATUS(status);
    }
    posix_spawn_file_actions_destroy(&actions);
    close(outFd);
    close(errFd);
    result.out = readWholeFile(outPath);
    result.err = readWholeFile(errPath);
    std::remove(outPath);
    std::remove(errPath);
    return result;
}

}  // namespace orbitone::testing

#ifdef ZYLHOST
namespace orbitone::testing {

// Runs the built zylhost with `arguments`.
inline ProcessResult zylhost(std::vector<std::string> arguments) {
    arguments.insert(arguments.begin(), ZYLHOST);
    return runProcess(arguments);
}

inline bool contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

}  // namespace orbitone::testing
#endif
