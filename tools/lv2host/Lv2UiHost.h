#pragma once
// A small LV2 UI host for tests: loads a bundle's UI library itself (dlopen), embeds the UI
// in a parent window of the caller's, offers urid:map, ui:parent, ui:resize and ui:touch,
// drives it through its idle interface and keeps what it writes and asks for.
#include "tools/lv2host/UridMap.h"

#include <lv2/ui/ui.h>

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

class Lv2UiHost {
public:
    struct Write {
        uint32_t port;
        uint32_t protocol; // 0 for a float
        std::vector<uint8_t> data;
    };
    struct Touch {
        uint32_t port;
        bool grabbed;
    };

    // library: the UI's file in bundleFolder; uiUri and pluginUri as the bundle names them.
    Lv2UiHost(UridMap& urids, const std::string& bundleFolder, const char* library, const char* uiUri,
              const char* pluginUri, unsigned long parentWindow);
    ~Lv2UiHost();
    Lv2UiHost(const Lv2UiHost&) = delete;
    Lv2UiHost& operator=(const Lv2UiHost&) = delete;

    bool IsValid() const { return m_handle != nullptr; }
    // The UI's own window, a child of the parent.
    unsigned long Widget() const { return reinterpret_cast<uintptr_t>(m_widget); }
    // One idle call; false when the UI has no idle interface or asks to close.
    bool Idle();
    void PortEvent(uint32_t port, uint32_t size, uint32_t protocol, const void* data);

    // What the UI wrote since the last call, in order.
    std::vector<Write> TakeWrites() { return std::exchange(m_writes, {}); }
    std::vector<Touch> TakeTouches() { return std::exchange(m_touches, {}); }
    // The last size the UI asked for (0 by 0 if none).
    std::pair<int, int> RequestedSize() const { return m_size; }

private:
    static void WriteFunction(LV2UI_Controller self, uint32_t port, uint32_t size, uint32_t protocol,
                              const void* buffer);
    static int Resize(LV2UI_Feature_Handle self, int width, int height);
    static void TouchFunction(LV2UI_Feature_Handle self, uint32_t port, bool grabbed);

    void* m_library = nullptr;
    const LV2UI_Descriptor* m_descriptor = nullptr;
    LV2UI_Handle m_handle = nullptr;
    LV2UI_Widget m_widget = nullptr;
    LV2UI_Resize m_resize {};
    LV2UI_Touch m_touch {};
    std::vector<Write> m_writes;
    std::vector<Touch> m_touches;
    std::pair<int, int> m_size {0, 0};
};
