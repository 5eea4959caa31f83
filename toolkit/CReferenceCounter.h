#pragma once
// Shared ownership the toolkit's way: created with one reference, deleted by the last forget().

namespace VSTGUI {

class CReferenceCounter {
public:
    CReferenceCounter() = default;
    CReferenceCounter(const CReferenceCounter&) = delete;
    CReferenceCounter& operator=(const CReferenceCounter&) = delete;
    virtual ~CReferenceCounter() = default;

    void remember() { ++refCount; }
    void forget()
    {
        if (--refCount <= 0)
            delete this;
    }
    int getNbReference() const { return refCount; }

private:
    int refCount = 1;
};

} // namespace VSTGUI
