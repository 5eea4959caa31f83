#include "toolkit/FontMap.h"

#include <mutex>

namespace VSTGUI {
namespace {

std::mutex& mapLock()
{
    static std::mutex lock;
    return lock;
}

// Held for the life of the process once made; released when the library is unloaded.
struct MapHolder {
    PangoFontMap* map = nullptr;
    ~MapHolder()
    {
        if (map)
            g_object_unref(map);
    }
};

PangoFontMap* sharedMap()
{
    static MapHolder holder;
    if (!holder.map)
        holder.map = pango_cairo_font_map_new();
    return holder.map;
}

} // namespace

PangoContext* FontMap::createContext()
{
    std::lock_guard<std::mutex> guard(mapLock());
    return pango_font_map_create_context(sharedMap());
}

PangoFont* FontMap::loadFont(const PangoFontDescription* desc)
{
    std::lock_guard<std::mutex> guard(mapLock());
    PangoContext* context = pango_font_map_create_context(sharedMap());
    PangoFont* font = pango_font_map_load_font(sharedMap(), context, desc);
    g_object_unref(context);
    return font;
}

} // namespace VSTGUI
