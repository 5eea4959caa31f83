#include "lv2/Lv2Messages.h"

#include <lv2/atom/atom.h>

void Lv2MessageUris::Map(LV2_URID_Map* map)
{
    auto id = [map](const char* uri) { return map->map(map->handle, uri); };
    const char* const kinds[] = {kLv2CopyProgram, kLv2SaveProgram, kLv2ProgramToInitial, kLv2ProgramToFactory,
                                 kLv2ProgramToAllFactory};
    for (int i = 0; i < 5; ++i) operations[i] = id(kinds[i]);
    refresh = id(kLv2Refresh);
    panelClosed = id(kLv2PanelClosed);
    panel = id(kLv2Panel);
    program = id(kLv2Program);
    name = id(kLv2Name);
    changed = id(kLv2Changed);
    values = id(kLv2Values);
    names = id(kLv2Names);
    saveFailed = id(kLv2SaveFailed);
    done = id(kLv2Done);
    atomObject = id(LV2_ATOM__Object);
    atomBlank = id(LV2_ATOM__Blank);
    atomInt = id(LV2_ATOM__Int);
    atomBool = id(LV2_ATOM__Bool);
    atomFloat = id(LV2_ATOM__Float);
    atomString = id(LV2_ATOM__String);
    atomVector = id(LV2_ATOM__Vector);
}

int Lv2MessageUris::OperationOf(LV2_URID type) const
{
    for (int i = 0; i < 5; ++i)
        if (type != 0 && operations[i] == type) return i;
    return -1;
}
