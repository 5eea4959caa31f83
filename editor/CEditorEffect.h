#pragma once
// The effect as the panel sees it: descriptors to show, values to change, programs to act
// on, meters to read and the host window's size. Each plug-in format has its own: the VST
// edition forwards to the effect object in the same process; the LV2 edition keeps copies on
// the UI side, fed by port events and messages, and sends changes back the same way.
//
// Every call comes from the host's user-interface thread.
#include "effect/ParamData.h"
#include "effect/ParameterTable.h"

#include <cstdint>

class CEditorEffect {
public:
    virtual ~CEditorEffect() = default;

    // Parameters. The descriptor of a parameter index or gain id (null if none); it lives
    // as long as this object and its value follows the effect's.
    virtual ParamData* GetParam(int id) = 0;
    virtual const ParamValueNames* GetValueNames(int list) const = 0;
    // The display text of a descriptor, as the effect formats it.
    virtual void GetParameterDisplay(const ParamData* param, char* text) const = 0;
    // A value (0 to 1) the user gave a parameter index or gain id; kind is the control's report kind.
    virtual void SetParameterFromUI(int id, float value, int kind) = 0;
    // Gesture brackets around changes of a host parameter index.
    virtual void BeginEdit(int hostIndex) = 0;
    virtual void EndEdit(int hostIndex) = 0;

    // Programs. Names are Shift-JIS, written into buffers of 32 bytes.
    virtual int GetProgram() const = 0;
    virtual void GetProgramName(int index, char* name) const = 0;
    virtual bool IsProgramChanged() const = 0;
    // The current program takes program source's values (the program menu).
    virtual void CopyPgFrom(int source) = 0;
    // The current values stored as program destination, renamed (the save dialog).
    virtual void SaveProgram(int destination, const char* name) = 0;
    virtual void ProgramToInitial() = 0;
    virtual void ProgramToFactory() = 0;
    virtual void ProgramToAllFactory() = 0;

    // Meters: the peaks of the last block (input left, right, output left, right) and a count
    // that changes with every block processed.
    virtual void GetVU(float* inLeft, float* inRight, float* outLeft, float* outRight) = 0;
    virtual uint16_t GetProcessBlockCount() const = 0;

    // Panel updates marked by changes from elsewhere, applied at the next idle: the time mode
    // to show (-1: none) and whether the changed mark needs a repaint.
    virtual int TakePendingTimeMode() = 0;
    virtual bool TakePendingModify() = 0;
    virtual void SetEditorViewOpen(bool open) = 0;

    // The host window: asks it to take a new size (false if it refuses), and lets it run its
    // own idle work between the panel's.
    virtual bool SizeWindow(int width, int height) = 0;
    virtual void MasterIdle() = 0;
};
