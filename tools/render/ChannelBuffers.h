#pragma once
// Planar float buffers for a plug-in call: enough channels for any small effect.
#include <array>
#include <vector>

class ChannelBuffers {
public:
    static constexpr int kChannels = 8;
    explicit ChannelBuffers(int frames)
    {
        for (int c = 0; c < kChannels; ++c) {
            m_data[c].assign(static_cast<size_t>(frames), 0.0f);
            m_pointers[c] = m_data[c].data();
        }
    }
    float** Pointers() { return m_pointers.data(); }
    float* Channel(int c) { return m_pointers[c]; }

private:
    std::array<std::vector<float>, kChannels> m_data;
    std::array<float*, kChannels> m_pointers {};
};
