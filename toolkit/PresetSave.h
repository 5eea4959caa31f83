#pragma once
// The program save dialog: a top-level window built from the interface file "PresetSave",
// with the program list mList, the name field mName and OK / Cancel. DoModalPresetDialog
// runs it modally on the calling thread.
#include "toolkit/CFrame0.h"
#include "toolkit/InterfaceFile.h"

#include <memory>
#include <string>
#include <vector>

// How much a name may hold, in the units of measure (the stored encoding's bytes).
struct PresetNameLimit {
    size_t (*measure)(const char* utf8);
    size_t maxUnits;
};

// Runs the save dialog over view (the frame's platform view, or null) with the programs'
// names. Returns the chosen program and fills name (at most size bytes, terminated), or -1
// when cancelled, when a save dialog is already running or when the dialog cannot be shown.
// With a limit the name field stops taking characters at it and shows how much is used.
int DoModalPresetDialog(void* view, char* name, int size, int current, char** names, int count,
                        const PresetNameLimit* limit = nullptr);

namespace VSTGUI {

class CTextEdit;

class PresetSave : public CFrame0 {
public:
    static constexpr int kCodeOK = 1;
    static constexpr int kCodeCancel = 2;

    PresetSave(const InterfaceFile& layout, unsigned long transientFor, double scale = 1.0);
    ~PresetSave() override;

    // Fills mList with "index:name" items and, for a valid current, selects it and proposes its name.
    void setInfo(int current, char** names, int count);
    // A program chosen in mList: its name (the part of the item after the first ':') goes to mName.
    void OnSELECT(int index);
    void OnOK() { code = kCodeOK; }
    void OnCANCEL() { code = kCodeCancel; }
    int getProgram() const { return selected; }
    // mName's text; when it holds a ':', the part after the first one.
    std::string getName() const;

    int modalCode() const { return code; }
    bool isFinished() const { return code != 0; }
    // Opens the name field with its text selected and the keyboard focus.
    void focusName();
    void setNameLimit(const PresetNameLimit& limit);
    // Tab order: the list, the name, then the buttons as the file lists them.
    void moveFocus(bool backward);
    // The focused element (outlet name or action, as elementRect takes it).
    std::string focusedElement() const;
    // Where the name's use of its limit is shown.
    CRect0 counterRect() const;
    // Where an element sits: by outlet name or by action; empty when absent.
    CRect0 elementRect(const std::string& nameOrAction) const;
    const std::vector<std::string>& listItems() const { return listTitles; }

    bool onKeyDown(unsigned long keysym, long modifiers) override;
    void onCloseRequest() override { OnCANCEL(); }

private:
    static void drawThunk(CDrawContext* context, void* user, long left, long top, long right, long bottom);
    static void mouseDownThunk(CDrawContext* context, CPoint0& where, long buttons, void* user);
    static void mouseUpThunk(CDrawContext* context, CPoint0& where, long buttons, void* user);
    void paint(CDrawContext* context);
    void pressed(const CPoint0& where);
    void released(const CPoint0& where);
    void openList();
    const InterfaceElement* elementAt(const CPoint0& where) const;
    void setFocusTo(size_t index);
    void activate(const InterfaceElement* element);

    std::vector<const InterfaceElement*> focusOrder;
    size_t focus = 0;
    PresetNameLimit nameLimit {nullptr, 0};

    InterfaceFile layout;
    std::vector<std::string> listTitles;
    int selected = -1;
    CTextEdit* nameField = nullptr;
    const InterfaceElement* pressedElement = nullptr;
    int code = 0;
};

// Loads the window from the interface file of that name in the Resources folder.
class PresetSaveController {
public:
    PresetSaveController(const char* interfaceName, unsigned long transientFor, double scale = 1.0);
    ~PresetSaveController();
    // The window, or null when the file is missing, malformed, lacks an outlet or no display.
    PresetSave* window() const { return dialog; }

private:
    PresetSave* dialog = nullptr;
};

} // namespace VSTGUI
