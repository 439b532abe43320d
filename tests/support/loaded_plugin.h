// A fixture that loads the built orbitone.so as a host does, one fresh effect per test.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "plugin_host.h"

namespace orbitone::testing {

class LoadedPlugin : public ::testing::Test {
protected:
    void SetUp() override {
        std::string error;
        plugin = host.load(ORBITONE_PLUGIN, error);
        ASSERT_NE(plugin, nullptr) << error;
    }

    std::intptr_t dispatch(std::int32_t opcode, std::int32_t index = 0, std::intptr_t value = 0,
                           void* pointer = nullptr, float option = 0.0f) {
        return plugin->dispatch(opcode, index, value, pointer, option);
    }

    zylhost::Host host;
    std::unique_ptr<zylhost::Plugin> plugin;
};

}  // namespace orbitone::testing
