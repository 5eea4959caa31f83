#include "toolkit/PresetSave.h"

#include "port/Diagnostics.h"

#include "toolkit/ButtonState.h"
#include "toolkit/CDrawContext.h"
#include "toolkit/CFontDesc.h"
#include "toolkit/CTextEdit.h"
#include "toolkit/ModalLoop.h"
#include "toolkit/PopupMenu.h"
#include "toolkit/ResourceFolder.h"
#include "toolkit/X11View.h"

#include <X11/keysym.h>
#include <algorithm>
#include <cstring>

namespace VSTGUI {
namespace {

const CColor kDialogBack(236, 236, 236, 255);
const CColor kDialogText(30, 30, 30, 255);
const CColor kEdge(140, 140, 140, 255);
const CColor kDefaultButton(56, 117, 215, 255);
const CColor kPressedButton(190, 190, 190, 255);

std::string afterColon(const std::string& text)
{
    const size_t colon = text.find(':');
    return colon == std::string::npos ? text : text.substr(colon + 1);
}

CFontDesc& dialogFont()
{
    static CFontDesc* font = new CFontDesc("Lucida Grande", 13, kNormalFace);
    return *font;
}

void returnHook(void* dialog) { static_cast<PresetSave*>(dialog)->OnOK(); }
void escapeHook(void* dialog) { static_cast<PresetSave*>(dialog)->OnCANCEL(); }

} // namespace

PresetSave::PresetSave(const InterfaceFile& file, unsigned long transientFor)
    : CFrame0(CRect0(0, 0, file.width(), file.height()), file.title().c_str(), transientFor), layout(file)
{
    drawCallback = drawThunk;
    mouseDownCallback = mouseDownThunk;
    mouseUpCallback = mouseUpThunk;
    callbackUser = this;
    if (const InterfaceElement* field = layout.outlet("mName")) {
        nameField = new CTextEdit(field->rect, nullptr, 0);
        nameField->setFont(&dialogFont());
        nameField->returnHook = returnHook;
        nameField->escapeHook = escapeHook;
        nameField->hookContext = this;
        addView(nameField);
    }
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
    if (nameField)
        nameField->setText(afterColon(listTitles[size_t(index)]).c_str());
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
    if (nameField)
        nameField->takeFocus();
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

bool PresetSave::onKeyDown(unsigned long keysym, long)
{
    switch (keysym) {
    case XK_Return:
    case XK_KP_Enter:
        OnOK();
        return true;
    case XK_Escape:
        OnCANCEL();
        return true;
    case XK_Tab:
    case XK_ISO_Left_Tab:
        focusName();
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
    context->setFont(&dialogFont());
    context->setFillColor(kDialogBack);
    context->drawRect(size, kDrawFilled);
    context->setFrameColor(kEdge);
    for (const InterfaceElement& element : layout.elements()) {
        const CRect0& r = element.rect;
        std::string caption = element.title;
        int align = kCenterText;
        CRect0 textRect = r;
        context->setFontColor(kDialogText);
        if (element.kind == "label") {
            align = kLeftText;
        } else if (element.kind == "popup") {
            context->setFillColor(kWhiteCColor);
            context->drawRect(r, kDrawFilledAndStroked);
            caption = (selected >= 0 ? listTitles[size_t(selected)] : std::string()) ;
            textRect = CRect0(r.left + 6, r.top, r.right - 20, r.bottom);
            align = kLeftText;
            context->drawString("\u25BE", CRect0(r.right - 18, r.top, r.right - 4, r.bottom), false, kCenterText);
        } else if (element.kind == "field") {
            context->setFillColor(kWhiteCColor);
            context->drawRect(r, kDrawFilledAndStroked);
            if (nameField && !nameField->isEditing())
                caption = nameField->getTextString();
            textRect = CRect0(r.left + 3, r.top, r.right - 2, r.bottom);
            align = kLeftText;
        } else if (element.kind == "button") {
            const bool isDefault = element.action == "OnOK:";
            context->setFillColor(&element == pressedElement ? kPressedButton
                                                              : (isDefault ? kDefaultButton : kWhiteCColor));
            context->drawRect(r, kDrawFilledAndStroked);
            if (isDefault && &element != pressedElement)
                context->setFontColor(kWhiteCColor);
        }
        context->drawString(caption.c_str(), textRect, false, align);
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
    if (element->action == "OnOK:")
        OnOK();
    else if (element->action == "OnCANCEL:")
        OnCANCEL();
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
                          int(list->rect.left), int(list->rect.bottom), &x, &y, &child);
    PopupMenu menu(platform->getDisplay(), listTitles, selected);
    const int chosen = menu.run(x, y);
    if (chosen >= 0)
        OnSELECT(chosen);
}

PresetSaveController::PresetSaveController(const char* interfaceName, unsigned long transientFor)
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
    dialog = new PresetSave(layout, transientFor);
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

int DoModalPresetDialog(void* view, char* name, int size, int current, char** names, int count)
{
    static bool running = false;
    if (running)
        return -1;
    running = true;
    auto* platform = static_cast<VSTGUI::X11View*>(view);
    int result = -1;
    {
        VSTGUI::PresetSaveController controller("PresetSave", platform ? platform->getTopLevel() : 0);
        VSTGUI::PresetSave* dialog = controller.window();
        if (dialog) {
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
