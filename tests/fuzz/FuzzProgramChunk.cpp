#include "tests/fuzz/FuzzTarget.h"

#include <cstdint>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    AKestrune& fx = FuzzEffect();
    if (size > 0) fx.setProgram(data[0] % kNumPrograms);
    std::vector<uint8_t> copy(data, data + size);
    fx.setChunk(copy.data(), static_cast<VstInt32>(size), true);
    PlayOneBlock(fx);
    return 0;
}
