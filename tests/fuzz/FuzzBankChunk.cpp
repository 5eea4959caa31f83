#include "tests/fuzz/FuzzTarget.h"

#include <cstdint>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    AKestrune& fx = FuzzEffect();
    std::vector<uint8_t> copy(data, data + size); // the host's buffer, exactly its size
    fx.setChunk(copy.data(), static_cast<VstInt32>(size), false);
    PlayOneBlock(fx);
    void* out = nullptr;
    if (fx.getChunk(&out, false) != 2816 || !out) std::abort();
    return 0;
}
