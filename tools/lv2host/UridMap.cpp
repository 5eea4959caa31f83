#include "tools/lv2host/UridMap.h"

UridMap::UridMap()
{
    m_map.handle = this;
    m_map.map = [](LV2_URID_Map_Handle handle, const char* uri) {
        auto* self = static_cast<UridMap*>(handle);
        ++self->m_featureMapCalls;
        return self->Map(uri);
    };
    m_unmap.handle = this;
    m_unmap.unmap = [](LV2_URID_Unmap_Handle handle, LV2_URID urid) {
        return static_cast<UridMap*>(handle)->Unmap(urid);
    };
}

LV2_URID UridMap::Map(const char* uri)
{
    if (!uri) return 0;
    for (size_t i = 0; i < m_uris.size(); ++i)
        if (m_uris[i] == uri) return static_cast<LV2_URID>(i + 1);
    m_uris.emplace_back(uri);
    return static_cast<LV2_URID>(m_uris.size());
}

const char* UridMap::Unmap(LV2_URID urid) const
{
    return urid >= 1 && urid <= m_uris.size() ? m_uris[urid - 1].c_str() : nullptr;
}
