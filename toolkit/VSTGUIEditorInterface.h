#pragma once
// What the toolkit may ask of the plug-in's editor object.
namespace VSTGUI {

class VSTGUIEditorInterface {
public:
    virtual ~VSTGUIEditorInterface() = default;
    virtual void doIdleStuff() {}
    virtual long getKnobMode() const { return 0; }
    virtual void beginEdit(long index) { (void)index; }
    virtual void endEdit(long index) { (void)index; }
};

} // namespace VSTGUI
