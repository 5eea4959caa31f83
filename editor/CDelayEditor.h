#pragma once
// The effect's editor object. Until the panel exists it offers no window: hosts then show
// their own generic controls for the parameters.
#include "plugin/AEffEditor.h"

class CDelayEditor : public AEffEditor {
public:
    explicit CDelayEditor(AudioEffect* effect);
    ~CDelayEditor() override = default;

    bool getRect(ERect** rect) override;
    bool open(void* parent) override;
    void close() override;
    void idle() override {}
    bool setKnobMode(VstInt32 mode) override;
};
