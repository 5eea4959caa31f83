#pragma once
// The editor side of the host interface: what the dispatcher's editor opcodes reach.
#include "plugin/VstInterface.h"

class AudioEffect;

class AEffEditor {
public:
    explicit AEffEditor(AudioEffect* effect) : m_effect(effect) {}
    virtual ~AEffEditor() = default;
    AEffEditor(const AEffEditor&) = delete;
    AEffEditor& operator=(const AEffEditor&) = delete;

    virtual AudioEffect* getEffect() { return m_effect; }
    virtual bool getRect(ERect** rect)
    {
        if (rect) *rect = nullptr;
        return false;
    }
    virtual bool open(void* parent)
    {
        m_systemWindow = parent;
        return false;
    }
    virtual void close() { m_systemWindow = nullptr; }
    virtual bool isOpen() { return m_systemWindow != nullptr; }
    virtual void idle() {}
    virtual void draw(ERect*) {}
    virtual VstInt32 mouse(VstInt32, VstIntPtr) { return 0; }
    virtual VstInt32 key(VstIntPtr) { return 0; }
    virtual void top() {}
    virtual void sleep() {}
    virtual bool onKeyDown(VstKeyCode&) { return false; }
    virtual bool onKeyUp(VstKeyCode&) { return false; }
    virtual bool onWheel(float) { return false; }
    virtual bool setKnobMode(VstInt32) { return false; }

protected:
    AudioEffect* m_effect;
    void* m_systemWindow = nullptr;
};
