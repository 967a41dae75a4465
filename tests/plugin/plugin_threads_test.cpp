#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "tests/plugin/plugin_instance.h"
#include "tests/plugin/test_signals.h"

namespace {

struct Rendered {
    std::vector<float> left, right;
};

}  // namespace

TEST(PluginThreads, TwoInstancesOnTwoThreadsMatchEachAlone) {
    const std::size_t frames = 40000;
    const StereoSignal a = withClicks(cleanSignal(frames, 0.0), clickFrames(frames, 1500), 0.7f);
    const StereoSignal b = withClicks(cleanSignal(frames, 2.0), clickFrames(frames, 2100), 0.4f);
    Rendered aloneA, aloneB, togetherA, togetherB;
    {
        PluginInstance effect;
        effect.setParameter(0, 0.5f);
        effect.run(a.left, a.right, {512}, aloneA.left, aloneA.right);
    }
    {
        PluginInstance effect;
        effect.setParameter(2, 0.1f);
        effect.run(b.left, b.right, {333}, aloneB.left, aloneB.right);
    }
    PluginInstance effectA, effectB;
    effectA.setParameter(0, 0.5f);
    effectB.setParameter(2, 0.1f);
    std::thread threadA([&] { effectA.run(a.left, a.right, {512}, togetherA.left, togetherA.right); });
    std::thread threadB([&] { effectB.run(b.left, b.right, {333}, togetherB.left, togetherB.right); });
    threadA.join();
    threadB.join();
    EXPECT_EQ(togetherA.left, aloneA.left);
    EXPECT_EQ(togetherA.right, aloneA.right);
    EXPECT_EQ(togetherB.left, aloneB.left);
    EXPECT_EQ(togetherB.right, aloneB.right);
}

// For the thread sanitizer: the host's parameter thread writes while the audio
// thread processes; nothing here may be a data race.
TEST(PluginThreads, ParameterChangesWhileProcessing) {
    const std::size_t frames = 60000;
    const StereoSignal signal = withClicks(cleanSignal(frames), clickFrames(frames, 900), 0.6f);
    PluginInstance effect;
    std::atomic<bool> done{false};
    std::thread parameters([&] {
        int step = 0;
        while (!done.load()) {
            const float value = static_cast<float>(step % 11) / 10.0f;
            effect.setParameter(0, value);
            effect.setParameter(2, 1.0f - value);
            effect.setParameter(3, value);
            (void)effect.getParameter(step % 4);
            (void)effect.text(effGetParamDisplay, step % 4);
            ++step;
            std::this_thread::yield();
        }
    });
    Rendered out;
    effect.run(signal.left, signal.right, {256}, out.left, out.right);
    done.store(true);
    parameters.join();
    for (float sample : out.left) ASSERT_TRUE(std::isfinite(sample));
    for (std::size_t i = 0; i < 1792; ++i) ASSERT_EQ(out.left[i], 0.0f);
}
