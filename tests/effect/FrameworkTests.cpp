// The framework's record entries against the object's own dispatcher.
#include "effect/AKestrune.h"

#include <gtest/gtest.h>

TEST(Framework, CloseDeletesOnlyThroughTheRecordEntry)
{
    auto* fx = new AKestrune(nullptr);
    EXPECT_EQ(fx->dispatcher(effClose, 0, 0, nullptr, 0.0f), 0);
    EXPECT_EQ(fx->getParameter(kOnOff), 1.0f) << "still alive after the object's own close";
    AEffect* record = fx->getAeffect();
    EXPECT_EQ(AudioEffect::dispatchEffectClass(record, effClose, 0, 0, nullptr, 0.0f), 1);
    // Deleted now: LeakSanitizer would report it otherwise.
}

TEST(Framework, BlockSizeAndRateOpcodeOnlyStoresBaseValues)
{
    AKestrune fx(nullptr);
    EXPECT_EQ(fx.dispatcher(effSetBlockSizeAndSampleRate, 0, 64, nullptr, 96000.0f), 1);
    EXPECT_EQ(fx.getBlockSize(), 64);
    EXPECT_EQ(fx.getSampleRate(), 96000.0f);
    // The effect's own buffers keep their size: a 256-frame block still runs in one piece.
    float left[256] = {}, right[256] = {};
    left[0] = 1.0f;
    float* io[2] = {left, right};
    const uint16_t before = fx.GetProcessBlockCount();
    fx.processReplacing(io, io, 256);
    EXPECT_EQ(static_cast<uint16_t>(fx.GetProcessBlockCount() - before), 1);
}
