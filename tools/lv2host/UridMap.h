#pragma once
// The host side of urid:map and urid:unmap: URIs numbered from 1 in order of first use.
#include <lv2/urid/urid.h>

#include <string>
#include <vector>

class UridMap {
public:
    UridMap();
    UridMap(const UridMap&) = delete;
    UridMap& operator=(const UridMap&) = delete;

    LV2_URID Map(const char* uri);
    const char* Unmap(LV2_URID urid) const;

    LV2_URID_Map* MapFeatureData() { return &m_map; }
    // How often a plug-in called the map through the feature (hosts' maps need not be
    // real-time safe, so a plug-in's run must not call it).
    long FeatureMapCalls() const { return m_featureMapCalls; }
    LV2_URID_Unmap* UnmapFeatureData() { return &m_unmap; }

private:
    std::vector<std::string> m_uris;
    LV2_URID_Map m_map;
    LV2_URID_Unmap m_unmap;
    long m_featureMapCalls = 0;
};
