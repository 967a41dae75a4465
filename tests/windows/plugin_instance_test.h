// A test fixture that loads the DLL once per suite and makes one fresh instance
// per test through the exported entry point; the instance is closed through
// the record afterwards. Suites add their own set-up after createInstance().
#pragma once

#include <gtest/gtest.h>

#include "tests/windows/loaded_plugin.h"

class PluginInstanceTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { plugin = new LoadedPlugin; }
    static void TearDownTestSuite()
    {
        delete plugin;
        plugin = nullptr;
    }

    void SetUp() override
    {
        ASSERT_TRUE(plugin->loaded()) << "cannot load " << plugin->path() << " or find its export main";
        effect = plugin->create(versionAnsweringHost);
        ASSERT_NE(effect, nullptr);
    }
    void TearDown() override
    {
        if (effect != nullptr) {
            EXPECT_EQ(effect->dispatcher(effect, effClose, 0, 0, nullptr, 0.0f), 1);
        }
    }

    static inline LoadedPlugin* plugin = nullptr;
    AEffect* effect = nullptr;
};
