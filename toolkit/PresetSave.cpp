#include "toolkit/PresetSave.h"

#include "port/Diagnostics.h"

#include "toolkit/ButtonState.h"
#include "toolkit/CDrawContext.h"
#include "toolkit/CFontDesc.h"
#include "toolkit/CTextEdit.h"
#include "toolkit/ModalLoop.h"
#include "toolkit/PanelStyle.h"
#include "toolkit/PopupMenu.h"
#include "toolkit/ResourceFolder.h"
#include "toolkit/PixelScale.h"
#include "toolkit/X11View.h"

#include <X11/keysym.h>
#include <algorithm>
#include <cstdio>
#include <cstring>

namespace VSTGUI {
namespace {

std::string afterColon(const std::string& text)
{
    const size_t colon = text.find(':');
    return colon == std::string::npos ? text : text.substr(colon + 1);
}

void returnHook(void* dialog) { static_cast<PresetSave*>(dialog)->OnOK(); }
void escapeHook(void* dialog) { static_cast<PresetSave*>(dialog)->OnCANCEL(); }
void tabHook(void* dialog, bool backward) { static_cast<PresetSave*>(dialog)->moveFocus(backward); }
void changeHook(void* dialog)
{
    auto* save = static_cast<PresetSave*>(dialog);
    save->invalidRect(save->counterRect());
}

} // namespace

PresetSave::PresetSave(const InterfaceFile& file, unsigned long transientFor, double scale)
    : CFrame0(CRect0(0, 0, file.width(), file.height()), file.title().c_str(), transientFor, scale), layout(file)
{
    drawCallback = drawThunk;
    mouseDownCallback = mouseDownThunk;
    mouseUpCallback = mouseUpThunk;
    callbackUser = this;
    if (const InterfaceElement* field = layout.outlet("mName")) {
        nameField = new CTextEdit(field->rect, nullptr, 0);
        nameField->setFont(PanelStyle::textFont());
        nameField->setFontColor(PanelStyle::kAccent);
        nameField->setBackColor(PanelStyle::kGlass);
        nameField->returnHook = returnHook;
        nameField->escapeHook = escapeHook;
        nameField->tabHook = tabHook;
        nameField->changeHook = changeHook;
        nameField->hookContext = this;
        addView(nameField);
    }
    for (const InterfaceElement& element : layout.elements())
        if (element.kind == "popup" || element.kind == "field")
            focusOrder.push_back(&element);
    for (const InterfaceElement& element : layout.elements())
        if (element.kind == "button")
            focusOrder.push_back(&element);
}

void PresetSave::setNameLimit(const PresetNameLimit& limit)
{
    if (!nameField || !limit.measure)
        return;
    nameField->setLimit(limit.measure, limit.maxUnits);
    nameLimit = limit;
}

CRect0 PresetSave::counterRect() const
{
    const InterfaceElement* field = layout.outlet("mName");
    if (!field)
        return CRect0();
    return CRect0(field->rect.left, field->rect.bottom + 2, field->rect.right, field->rect.bottom + 20);
}

std::string PresetSave::focusedElement() const
{
    if (focus >= focusOrder.size())
        return std::string();
    const InterfaceElement* element = focusOrder[focus];
    return element->name != "-" ? element->name : element->action;
}

void PresetSave::setFocusTo(size_t index)
{
    if (focusOrder.empty())
        return;
    focus = index % focusOrder.size();
    auto* platform = static_cast<X11View*>(getPlatformView());
    if (focusOrder[focus]->kind == "field") {
        focusName();
    } else {
        if (nameField && nameField->isEditing())
            nameField->looseFocus();
        if (platform)
            platform->takeKeyboardFocus(); // the dialog's own keys: list and buttons
    }
    invalidRect(size);
}

void PresetSave::moveFocus(bool backward)
{
    if (focusOrder.empty())
        return;
    setFocusTo(backward ? focus + focusOrder.size() - 1 : focus + 1);
}

void PresetSave::activate(const InterfaceElement* element)
{
    if (element->action == "OnOK:")
        OnOK();
    else if (element->action == "OnCANCEL:")
        OnCANCEL();
}

PresetSave::~PresetSave() = default; // the frame releases the name field

void PresetSave::setInfo(int current, char** names, int count)
{
    listTitles.clear();
    selected = -1;
    for (int i = 0; i < count; ++i)
        listTitles.push_back(std::to_string(i) + ":" + ((names && names[i]) ? names[i] : ""));
    if (current >= 0 && current < count) {
        selected = current;
        if (nameField)
            nameField->setText(names && names[current] ? names[current] : "");
    }
    invalidRect(size);
}

void PresetSave::OnSELECT(int index)
{
    if (index < 0 || index >= int(listTitles.size()))
        return;
    selected = index;
    if (nameField) {
        // The slot's name is proposed selected: typing replaces it.
        nameField->setText(afterColon(listTitles[size_t(index)]).c_str());
        nameField->selectAll();
    }
    invalidRect(size);
}

std::string PresetSave::getName() const
{
    if (!nameField)
        return std::string();
    char text[256];
    nameField->getText(text);
    return afterColon(text);
}

void PresetSave::focusName()
{
    if (!nameField)
        return;
    for (size_t i = 0; i < focusOrder.size(); ++i)
        if (focusOrder[i]->kind == "field")
            focus = i;
    nameField->takeFocus();
    nameField->selectAll();
}

CRect0 PresetSave::elementRect(const std::string& nameOrAction) const
{
    if (const InterfaceElement* element = layout.outlet(nameOrAction))
        return element->rect;
    if (const InterfaceElement* element = layout.withAction(nameOrAction))
        return element->rect;
    return CRect0();
}

const InterfaceElement* PresetSave::elementAt(const CPoint0& where) const
{
    for (const InterfaceElement& element : layout.elements())
        if (element.kind != "label" && element.rect.pointInside(where))
            return &element;
    return nullptr;
}

bool PresetSave::onKeyDown(unsigned long keysym, long modifiers)
{
    const InterfaceElement* focused = focus < focusOrder.size() ? focusOrder[focus] : nullptr;
    const bool onList = focused && focused->kind == "popup";
    const bool onButton = focused && focused->kind == "button";
    switch (keysym) {
    case XK_Return:
    case XK_KP_Enter:
        if (onButton)
            activate(focused);
        else
            OnOK();
        return true;
    case XK_space:
        if (onButton)
            activate(focused);
        else if (onList)
            openList();
        return onButton || onList;
    case XK_Escape:
        OnCANCEL();
        return true;
    case XK_Tab:
    case XK_ISO_Left_Tab:
        moveFocus(keysym == XK_ISO_Left_Tab || (modifiers & kShift));
        return true;
    case XK_Up:
    case XK_KP_Up:
    case XK_Down:
    case XK_KP_Down:
        if (!onList)
            return false;
        {
            const int step = (keysym == XK_Up || keysym == XK_KP_Up) ? -1 : 1;
            const int next = std::clamp(selected + step, 0, int(listTitles.size()) - 1);
            if (next != selected && next >= 0)
                OnSELECT(next);
        }
        return true;
    default:
        return false;
    }
}

void PresetSave::drawThunk(CDrawContext* context, void* user, long, long, long, long)
{
    static_cast<PresetSave*>(user)->paint(context);
}

void PresetSave::mouseDownThunk(CDrawContext*, CPoint0& where, long buttons, void* user)
{
    if (buttons & kLButton)
        static_cast<PresetSave*>(user)->pressed(where);
}

void PresetSave::mouseUpThunk(CDrawContext*, CPoint0& where, long buttons, void* user)
{
    if (buttons & kLButton)
        static_cast<PresetSave*>(user)->released(where);
}

void PresetSave::paint(CDrawContext* context)
{
    PanelStyle::paintBackground(context, size);
    const InterfaceElement* focused = focus < focusOrder.size() ? focusOrder[focus] : nullptr;
    for (const InterfaceElement& element : layout.elements()) {
        const CRect0& r = element.rect;
        const bool hasFocus = &element == focused;
        context->setFont(PanelStyle::textFont());
        if (element.kind == "label") {
            context->setFontColor(PanelStyle::kLabel);
            context->drawString(element.title.c_str(), r, false, kLeftText);
        } else if (element.kind == "popup") {
            PanelStyle::paintWell(context, r, hasFocus);
            context->setFontColor(PanelStyle::kAccent);
            const std::string caption = selected >= 0 ? listTitles[size_t(selected)] : std::string();
            context->drawString(caption.c_str(), CRect0(r.left + 6, r.top, r.right - 20, r.bottom), false, kLeftText);
            context->drawString("\u25BE", CRect0(r.right - 18, r.top, r.right - 4, r.bottom), false, kCenterText);
        } else if (element.kind == "field") {
            PanelStyle::paintWell(context, r, hasFocus);
            context->setFontColor(PanelStyle::kAccent);
            if (nameField && !nameField->isEditing())
                context->drawString(nameField->getTextString().c_str(), CRect0(r.left + 3, r.top, r.right - 2, r.bottom),
                                    false, kLeftText);
        } else if (element.kind == "button") {
            PanelStyle::paintButton(context, r, element.title, element.action == "OnOK:", &element == pressedElement,
                                    hasFocus);
        }
    }
    if (nameLimit.measure && nameField) {
        // How much of the stored name the typed one takes; full shows in the display colour.
        const std::string& current = nameField->isEditing() ? nameField->field().text() : nameField->getTextString();
        const size_t limit = nameLimit.maxUnits;
        const size_t used = std::min(limit, nameLimit.measure(current.c_str()));
        char counter[64];
        std::snprintf(counter, sizeof counter, used >= limit ? "%zu of %zu bytes: full" : "%zu of %zu bytes", used,
                      limit);
        context->setFontColor(used >= limit ? PanelStyle::kAccent : PanelStyle::kLabel);
        context->drawString(counter, counterRect(), false, kRightText);
    }
}

void PresetSave::pressed(const CPoint0& where)
{
    const InterfaceElement* element = elementAt(where);
    if (!element)
        return;
    if (element->kind == "popup") {
        openList();
    } else if (element->kind == "field") {
        focusName();
    } else if (element->kind == "button") {
        pressedElement = element;
        invalidRect(element->rect);
    }
}

void PresetSave::released(const CPoint0& where)
{
    const InterfaceElement* element = pressedElement;
    pressedElement = nullptr;
    if (!element)
        return;
    invalidRect(element->rect);
    if (!element->rect.pointInside(where))
        return;
    activate(element);
}

void PresetSave::openList()
{
    auto* platform = static_cast<X11View*>(getPlatformView());
    const InterfaceElement* list = layout.outlet("mList");
    if (!platform || !list || listTitles.empty())
        return;
    int x = 0;
    int y = 0;
    Window child = 0;
    XTranslateCoordinates(platform->getDisplay(), platform->getWindow(), DefaultRootWindow(platform->getDisplay()),
                          int(unitsToPixels(double(list->rect.left), getScale())),
                          int(unitsToPixels(double(list->rect.bottom), getScale())), &x, &y, &child);
    PopupMenu menu(platform->getDisplay(), listTitles, selected, getScale());
    const int chosen = menu.run(x, y);
    if (chosen >= 0)
        OnSELECT(chosen);
}

PresetSaveController::PresetSaveController(const char* interfaceName, unsigned long transientFor, double scale)
{
    const std::string folder = GetResourceFolder();
    if (folder.empty())
        return;
    InterfaceFile layout;
    std::string error;
    if (!layout.load(folder + interfaceName, error)) {
        LogDiagnostic("*** Interface %s: %s", interfaceName, error.c_str());
        return;
    }
    for (const char* required : {"mList", "mName"}) {
        if (!layout.outlet(required)) {
            LogDiagnostic("*** Interface %s: no %s", interfaceName, required);
            return;
        }
    }
    dialog = new PresetSave(layout, transientFor, scale);
    if (!dialog->isOpen()) {
        dialog->forget();
        dialog = nullptr;
    }
}

PresetSaveController::~PresetSaveController()
{
    if (dialog)
        dialog->forget();
}

} // namespace VSTGUI

int DoModalPresetDialog(void* view, char* name, int size, int current, char** names, int count,
                        const PresetNameLimit* limit)
{
    static bool running = false;
    if (running)
        return -1;
    running = true;
    auto* platform = static_cast<VSTGUI::X11View*>(view);
    int result = -1;
    {
        VSTGUI::PresetSaveController controller("PresetSave", platform ? platform->getTopLevel() : 0,
                                                platform ? platform->getFrame()->getScale() : 1.0);
        VSTGUI::PresetSave* dialog = controller.window();
        if (dialog) {
            if (limit)
                dialog->setNameLimit(*limit);
            dialog->setInfo(current, names, count);
            dialog->focusName();
            std::vector<Display*> displays{static_cast<VSTGUI::X11View*>(dialog->getPlatformView())->getDisplay()};
            if (platform)
                displays.push_back(platform->getDisplay()); // the panel keeps repainting underneath
            VSTGUI::ModalLoop::run(displays, static_cast<VSTGUI::CFrame0*>(dialog), [dialog] { return dialog->isFinished(); });
            const std::string typed = dialog->getName();
            if (name && size > 0) {
                size_t length = std::min(typed.size(), size_t(size) - 1);
                while (length > 0 && length < typed.size() && (static_cast<unsigned char>(typed[length]) & 0xC0) == 0x80)
                    --length;
                std::memcpy(name, typed.data(), length);
                name[length] = 0;
            }
            result = dialog->modalCode() == VSTGUI::PresetSave::kCodeCancel ? -1 : dialog->getProgram();
        }
    }
    running = false;
    return result;
}
