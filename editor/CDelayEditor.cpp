#include "editor/CDelayEditor.h"

#include "plugin/AudioEffect.h"

namespace {
VstInt32 gKnobMode = 0;
}

CDelayEditor::CDelayEditor(AudioEffect* effect) : AEffEditor(effect)
{
    if (effect) effect->setEditor(this);
}

bool CDelayEditor::getRect(ERect** rect)
{
    if (rect) *rect = nullptr;
    return false;
}

bool CDelayEditor::open(void*)
{
    return false;
}

void CDelayEditor::close()
{
    AEffEditor::close();
}

bool CDelayEditor::setKnobMode(VstInt32 mode)
{
    gKnobMode = mode;
    return true;
}
