#include <gtest/gtest.h>
#include <malloc.h>

#include <cstring>
#include <vector>

#include "tests/plugin/plugin_instance.h"

namespace {

struct SeenRequest {
    AEffect* effect;
    VstInt32 opcode;
};
std::vector<SeenRequest> seenRequests;
VstIntPtr versionAnswer = 0;

VstIntPtr VSTCALLBACK scriptedHost(AEffect* effect, VstInt32 opcode, VstInt32, VstIntPtr, void*, float) {
    seenRequests.push_back({effect, opcode});
    return opcode == audioMasterVersion ? versionAnswer : 0;
}

bool sanitizedBuild() {
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
    return true;
#else
    return false;
#endif
}

}  // namespace

TEST(PluginEntry, LibraryLoadsWithEveryReferenceResolved) {
    ASSERT_TRUE(pluginLibrary().loaded()) << pluginLibrary().error();
    EXPECT_NE(pluginLibrary().entry("main"), nullptr);
    EXPECT_NE(pluginLibrary().entry("VSTPluginMain"), nullptr);
    EXPECT_EQ(pluginLibrary().entry("createPluginInstance"), nullptr);
}

TEST(PluginEntry, HostAnsweringZeroToTheVersionGetsNoInstance) {
    for (const char* symbol : {"main", "VSTPluginMain"}) {
        seenRequests.clear();
        versionAnswer = 0;
        EXPECT_EQ(pluginLibrary().entry(symbol)(scriptedHost), nullptr) << symbol;
        ASSERT_EQ(seenRequests.size(), 1u);
        EXPECT_EQ(seenRequests[0].opcode, audioMasterVersion);
        EXPECT_EQ(seenRequests[0].effect, nullptr);
    }
    EXPECT_EQ(pluginLibrary().entry("main")(nullptr), nullptr);
}

TEST(PluginEntry, BothEntryNamesMakeWorkingInstancesAskingOnlyTheVersion) {
    for (const char* symbol : {"main", "VSTPluginMain"}) {
        seenRequests.clear();
        versionAnswer = 2400;
        AEffect* effect = pluginLibrary().entry(symbol)(scriptedHost);
        ASSERT_NE(effect, nullptr) << symbol;
        EXPECT_EQ(effect->magic, kEffectMagic);
        EXPECT_EQ(effect->dispatcher(effect, effClose, 0, 0, nullptr, 0.0f), 1);
        ASSERT_EQ(seenRequests.size(), 1u);
        EXPECT_EQ(seenRequests[0].opcode, audioMasterVersion);
    }
}

TEST(PluginEntry, FreshRecordHoldsTheAnnouncedValues) {
    PluginInstance instance;
    const AEffect* r = instance.record();
    EXPECT_EQ(r->magic, 0x56737450);
    EXPECT_NE(r->dispatcher, nullptr);
    EXPECT_NE(r->process, nullptr);
    EXPECT_NE(r->processReplacing, nullptr);
    EXPECT_NE(r->setParameter, nullptr);
    EXPECT_NE(r->getParameter, nullptr);
    EXPECT_EQ(r->numPrograms, 1);
    EXPECT_EQ(r->numParams, 1);
    EXPECT_EQ(r->numInputs, 2);
    EXPECT_EQ(r->numOutputs, 2);
    EXPECT_EQ(r->flags, 24);
    EXPECT_EQ(r->resvd1, 0);
    EXPECT_EQ(r->resvd2, 0);
    EXPECT_EQ(r->initialDelay, 2048);
    EXPECT_EQ(r->realQualities, 0);
    EXPECT_EQ(r->offQualities, 0);
    EXPECT_EQ(r->ioRatio, 1.0f);
    EXPECT_NE(r->object, nullptr);
    EXPECT_EQ(r->user, nullptr);
    EXPECT_EQ(r->uniqueID, 0x39353733);
    EXPECT_EQ(r->version, 1);
    const char zeros[sizeof(r->future)] = {};
    EXPECT_EQ(std::memcmp(r->future, zeros, sizeof(zeros)), 0);
}

TEST(PluginEntry, InstancesAreDistinctAndIndependent) {
    PluginInstance a;
    PluginInstance b;
    EXPECT_NE(a.record(), b.record());
    EXPECT_NE(a.record()->object, b.record()->object);
    a.setParameter(0, 1.0f);
    a.setParameter(2, 0.0f);
    a.setParameter(3, 0.25f);
    char name[] = "Changed";
    a.dispatch(effSetProgramName, 0, 0, name);
    a.dispatch(effSetProgram, 0, -1);
    EXPECT_EQ(b.getParameter(0), 0.0f);
    EXPECT_EQ(b.getParameter(2), 0.42857143f);
    EXPECT_EQ(b.getParameter(3), 1.0f);
    EXPECT_EQ(b.text(effGetParamDisplay, 0), "1");
    EXPECT_EQ(b.text(effGetProgramName), "Default");
    EXPECT_EQ(b.dispatch(effGetProgram), 0);
    EXPECT_EQ(a.text(effGetParamDisplay, 0), "5");
}

// Without sanitizers the C heap's own statistics show the instance's memory
// (its engine alone is well over 100 kB) coming back when effClose answers.
TEST(PluginEntry, EffCloseAnswersOneAndReleasesTheInstance) {
    delete new PluginInstance;  // one-time allocations of the first instance in the process stay
    const std::size_t before = mallinfo2().uordblks;
    auto* instance = new PluginInstance;
    const std::size_t during = mallinfo2().uordblks;
    EXPECT_EQ(instance->close(), 1);
    delete instance;
    const std::size_t after = mallinfo2().uordblks;
    if (sanitizedBuild())
        GTEST_SKIP() << "heap statistics belong to the sanitizer here; its leak check covers this";
    EXPECT_GT(during, before + 100000);
    EXPECT_EQ(after, before);
}

// A hundred lifetimes in a row; the leak check of the address-sanitized build
// and the heap statistics above see anything left behind.
TEST(PluginEntry, HundredInstancesCreatedProcessedAndClosed) {
    std::vector<float> left(3000, 0.25f), right(3000, -0.25f), outLeft, outRight;
    left[1500] = 1.0f;  // one click, so the repair path and its tables are used too
    {
        PluginInstance warmUp;  // process-wide tables built on first use stay; they are not a leak
        warmUp.run(left, right, {1000, 2048}, outLeft, outRight);
    }
    const std::size_t before = mallinfo2().uordblks;
    for (int i = 0; i < 100; ++i) {
        PluginInstance instance;
        instance.dispatch(effMainsChanged, 0, 1);
        instance.run(left, right, {1000, 2048}, outLeft, outRight);
        EXPECT_EQ(instance.close(), 1);
    }
    if (!sanitizedBuild()) {
        EXPECT_EQ(mallinfo2().uordblks, before);
    }
}
