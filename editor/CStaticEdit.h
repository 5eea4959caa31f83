#pragma once
// The text field a CStaticTextDC lays over itself while a value is typed.
#include "toolkit/CTextEdit.h"

class CStaticEdit : public VSTGUI::CTextEdit {
public:
    CStaticEdit(const VSTGUI::CRect0& size, VSTGUI::CControlListener* listener, long tag)
        : VSTGUI::CTextEdit(size, listener, tag, nullptr, nullptr, 0)
    {
    }
};
