// An audio thread processes while a user-interface thread automates, switches programs
// and moves state in and out: run under ThreadSanitizer, no race may be reported.
#include "tests/effect/EffectFixture.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <cstring>
#include <random>
#include <thread>

TEST(Threading, ProcessingWhileTheHostChangesEverything)
{
    EffectRunner r;
    r.fx->open();
    std::atomic<bool> stop {false};
    std::atomic<bool> nonFinite {false};
    std::atomic<long> blocks {0};

    auto audio = [&](int block) {
        std::vector<float> left(static_cast<size_t>(block)), right(static_cast<size_t>(block));
        std::mt19937 random(1);
        std::uniform_real_distribution<float> noise(-0.5f, 0.5f);
        while (!stop.load()) {
            for (int i = 0; i < block; ++i) left[i] = right[i] = noise(random);
            float* io[2] = {left.data(), right.data()};
            r.fx->processReplacing(io, io, block);
            for (int i = 0; i < block; ++i)
                if (!std::isfinite(left[i]) || !std::isfinite(right[i])) nonFinite = true;
            float peaks[4];
            r.fx->GetVU(&peaks[0], &peaks[1], &peaks[2], &peaks[3]);
            blocks.fetch_add(1);
        }
    };

    std::mt19937 random(2);
    std::uniform_real_distribution<float> value(0.0f, 1.0f);
    for (int block : {64, 300, 1}) {
        // The host changes the block size only while processing is stopped.
        r.fx->dispatcher(effMainsChanged, 0, 0, nullptr, 0.0f);
        r.fx->setBlockSize(block);
        r.fx->dispatcher(effMainsChanged, 0, 1, nullptr, 0.0f);
        stop = false;
        const long before = blocks.load();
        std::thread audioThread(audio, block);
        for (int step = 0; step < 3000 || blocks.load() - before < 50; ++step) {
            const int index = static_cast<int>(random() % kNumParams);
            r.fx->setParameter(index == kOnOff ? kFeedBack : index, value(random));
            r.fx->setParameterFromUI(kOutputGainId, value(random));
            char text[64];
            r.fx->getParameterDisplay(index, text);
            r.fx->getParameter(index);
            if (step % 25 == 0) r.fx->setProgram(static_cast<int>(random() % kNumPrograms));
            if (step % 40 == 0) {
                void* data = nullptr;
                const VstInt32 size = r.fx->getChunk(&data, step % 80 == 0);
                std::vector<unsigned char> copy(static_cast<unsigned char*>(data),
                                                static_cast<unsigned char*>(data) + size);
                r.fx->setChunk(copy.data(), size, step % 80 == 0);
            }
            if (step % 50 == 0) r.fx->IsProgramChanged();
            if (step % 100 == 0) std::this_thread::yield();
        }
        stop = true;
        audioThread.join();
    }
    EXPECT_FALSE(nonFinite.load());
    EXPECT_GT(blocks.load(), 150);
}

// A host saving its project during automation: one thread sets parameters and loads whole
// banks while another takes chunks and copies them at leisure. Each copy must be one
// consistent state (every program of one bank, never a mix) and no race may be reported.
TEST(Threading, ChunksTakenDuringAutomationAreConsistentSnapshots)
{
    EffectRunner r;
    r.fx->open();
    std::vector<AKestruneProgram> banks[2] = {std::vector<AKestruneProgram>(kNumPrograms),
                                              std::vector<AKestruneProgram>(kNumPrograms)};
    for (int b = 0; b < 2; ++b)
        for (AKestruneProgram& p : banks[b]) p.values[kBalance] = b == 0 ? 0.25f : 0.75f;
    std::atomic<bool> stop {false};

    std::thread automation([&] {
        std::mt19937 random(3);
        std::uniform_real_distribution<float> value(0.0f, 1.0f);
        for (int step = 0; !stop.load(); ++step) {
            r.fx->setParameter(random() % 2 ? kDepth : kRate, value(random));
            if (step % 8 == 0) r.fx->setChunk(banks[step / 8 % 2].data(), 2816, false);
        }
    });
    int torn = 0;
    std::vector<AKestruneProgram> copy(kNumPrograms);
    for (int i = 0; i < 4000; ++i) {
        void* data = nullptr;
        const bool preset = i % 4 == 0;
        const VstInt32 size = r.fx->getChunk(&data, preset);
        ASSERT_EQ(size, preset ? 88 : 2816);
        std::memcpy(copy.data(), data, static_cast<size_t>(size));
        for (int p = 1; !preset && p < kNumPrograms; ++p)
            if (copy[p].values[kBalance] != copy[0].values[kBalance]) ++torn;
    }
    stop = true;
    automation.join();
    EXPECT_EQ(torn, 0);
}
