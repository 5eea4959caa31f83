#pragma once
// Owned, growable byte string with value semantics.
#include <string>

class CString {
public:
    CString() = default;
    CString(const char* text) : m_text(text ? text : "") {}
    CString(const CString&) = default;
    CString& operator=(const CString&) = default;
    CString& operator=(const char* text) { m_text = text ? text : ""; return *this; }
    ~CString() = default;

    CString& operator+=(const char* text) { if (text) m_text += text; return *this; }
    void Empty() { m_text.clear(); }
    bool IsEmpty() const { return m_text.empty(); }
    int GetLength() const { return static_cast<int>(m_text.size()); }
    // Index of the first occurrence of sub, or -1.
    int Find(const char* sub) const;

    operator const char*() const { return m_text.c_str(); }

private:
    std::string m_text;
};
