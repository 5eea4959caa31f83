#pragma once
// A small declarative description of a dialog window, one element per line:
//
//   window "Title" width height
//   kind name left top width height "title" action
//
// kind is label, popup, field or button; name is the outlet ("-" for none); action the
// message the element sends ("-" for none). '#' starts a comment line.
#include "toolkit/CRect0.h"

#include <string>
#include <vector>

namespace VSTGUI {

struct InterfaceElement {
    std::string kind;
    std::string name;
    CRect0 rect;
    std::string title;
    std::string action;
};

class InterfaceFile {
public:
    // False with a message naming the line when the text is malformed.
    bool parse(const std::string& text, std::string& error);
    bool load(const std::string& path, std::string& error);

    const std::string& title() const { return windowTitle; }
    CCoord width() const { return windowWidth; }
    CCoord height() const { return windowHeight; }
    const std::vector<InterfaceElement>& elements() const { return items; }
    // The element with that outlet name, or with that action; null when none.
    const InterfaceElement* outlet(const std::string& name) const;
    const InterfaceElement* withAction(const std::string& action) const;

private:
    std::string windowTitle;
    CCoord windowWidth = 0;
    CCoord windowHeight = 0;
    std::vector<InterfaceElement> items;
};

} // namespace VSTGUI
