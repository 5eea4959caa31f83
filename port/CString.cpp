#include "port/CString.h"

int CString::Find(const char* sub) const
{
    if (!sub) return -1;
    const std::string::size_type at = m_text.find(sub);
    return at == std::string::npos ? -1 : static_cast<int>(at);
}
