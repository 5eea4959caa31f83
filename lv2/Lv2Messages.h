#pragma once
// The messages between the LV2 edition's plug-in and its panel, on the atom ports.
//
// Panel to plug-in (the control input, beside the transport): objects whose type names a
// program operation; CopyProgram and SaveProgram carry the program, SaveProgram the name
// (Shift-JIS bytes in an atom:String). Refresh says a panel is open and asks for the whole
// Panel message at once; PanelClosed says it is gone. While a panel is open the effect acts
// as the VST edition's does with its editor open (a tempo mode times the note at once).
//
// Plug-in to panel (the notify output): a Panel object whenever what it holds changed: the
// current program, the changed mark, the 15 values in port units (DelayTime and BPM as the
// effect computed them), the 32 program names, whether the last save failed, and a count of
// program operations done: when it moves, the panel writes the values to the ports, which
// the plug-in recognises as what it already holds.
#include <lv2/urid/urid.h>

#include <cstdint>

#define KESTRUNE_LV2_MESSAGE(name) "urn:orbeline:kestrune#" name

constexpr const char* kLv2CopyProgram = KESTRUNE_LV2_MESSAGE("CopyProgram");
constexpr const char* kLv2SaveProgram = KESTRUNE_LV2_MESSAGE("SaveProgram");
constexpr const char* kLv2ProgramToInitial = KESTRUNE_LV2_MESSAGE("ProgramToInitial");
constexpr const char* kLv2ProgramToFactory = KESTRUNE_LV2_MESSAGE("ProgramToFactory");
constexpr const char* kLv2ProgramToAllFactory = KESTRUNE_LV2_MESSAGE("ProgramToAllFactory");
constexpr const char* kLv2Refresh = KESTRUNE_LV2_MESSAGE("Refresh");
constexpr const char* kLv2PanelClosed = KESTRUNE_LV2_MESSAGE("PanelClosed");
constexpr const char* kLv2Panel = KESTRUNE_LV2_MESSAGE("Panel");

constexpr const char* kLv2Program = KESTRUNE_LV2_MESSAGE("program");
constexpr const char* kLv2Name = KESTRUNE_LV2_MESSAGE("name");
constexpr const char* kLv2Changed = KESTRUNE_LV2_MESSAGE("changed");
constexpr const char* kLv2Values = KESTRUNE_LV2_MESSAGE("values");
constexpr const char* kLv2Names = KESTRUNE_LV2_MESSAGE("names");
constexpr const char* kLv2SaveFailed = KESTRUNE_LV2_MESSAGE("saveFailed");
constexpr const char* kLv2Done = KESTRUNE_LV2_MESSAGE("done");

#undef KESTRUNE_LV2_MESSAGE

// The operations, as the worker receives them: the program for copy and save, the name
// (terminated) for save.
enum class Lv2ProgramOperation : int32_t { copy, save, initial, factory, allFactory };
struct Lv2ProgramRequest {
    Lv2ProgramOperation kind;
    int32_t program;
    char name[24];
};

// Room the notify port needs for one Panel message.
constexpr uint32_t kLv2NotifyBytes = 4096;

// The messages' URIs and the atom types they use, mapped once by either side.
struct Lv2MessageUris {
    LV2_URID operations[5] = {}; // by Lv2ProgramOperation
    LV2_URID refresh = 0, panelClosed = 0, panel = 0, program = 0, name = 0, changed = 0, values = 0, names = 0, saveFailed = 0,
             done = 0;
    LV2_URID atomObject = 0, atomBlank = 0, atomInt = 0, atomBool = 0, atomFloat = 0, atomString = 0, atomVector = 0;

    void Map(LV2_URID_Map* map);
    // The operation an object type names, or -1.
    int OperationOf(LV2_URID type) const;
};
