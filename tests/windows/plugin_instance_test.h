// A test fixture that loads the DLL once per suite and makes one fresh instance
// per test through the exported entry point; the instance is closed through
// the record afterwards. Suites add their own set-up after createInstance().
//
// The DLL is the one named by the environment variable SARNOVELLITE_DLL when
// set, otherwise the one this build made.
#pragma once

#include <cstdlib>
#include <string>

#include <gtest/gtest.h>

#include "tests/loader/plugin_module.h"

class PluginInstanceTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        const char* fromEnvironment = std::getenv("SARNOVELLITE_DLL");
        plugin = new PluginModule(
            fromEnvironment != nullptr && *fromEnvironment != '\0' ? fromEnvironment : SARNOVELLITE_DLL_PATH);
    }
    static void TearDownTestSuite() {
        delete plugin;
        plugin = nullptr;
    }

    void SetUp() override {
        ASSERT_TRUE(plugin->loaded()) << "cannot load " << plugin->path() << ": " << plugin->error();
        effect = plugin->create(versionAnsweringHost);
        ASSERT_NE(effect, nullptr);
    }
    void TearDown() override {
        if (effect != nullptr) {
            EXPECT_EQ(effect->dispatcher(effect, effClose, 0, 0, nullptr, 0.0f), 1);
        }
    }

    static inline PluginModule* plugin = nullptr;
    AEffect* effect = nullptr;
};
