#pragma once
// The root of objects that receive toolkit notifications by message text.

namespace VSTGUI {

enum CMessageResult { kMessageUnknown = 0, kMessageNotified = 1 };

class CBaseObject {
public:
    virtual ~CBaseObject() = default;
    virtual CMessageResult notify(CBaseObject* sender, const char* message)
    {
        (void)sender;
        (void)message;
        return kMessageUnknown;
    }
};

} // namespace VSTGUI
