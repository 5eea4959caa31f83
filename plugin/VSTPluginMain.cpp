// The one symbol the bundle exports.
#include "effect/AKestrune.h"

AudioEffect* createEffectInstance(audioMasterCallback audioMaster)
{
    return new AKestrune(audioMaster);
}

extern "C" __attribute__((visibility("default"))) AEffect* VSTPluginMain(audioMasterCallback audioMaster)
{
    if (!audioMaster || audioMaster(nullptr, audioMasterVersion, 0, 0, nullptr, 0.0f) == 0) return nullptr;
    AudioEffect* effect = createEffectInstance(audioMaster);
    return effect ? effect->getAeffect() : nullptr;
}
