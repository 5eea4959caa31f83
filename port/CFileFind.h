#pragma once
// Tests whether a directory holds an entry of a name, or one beginning with a pattern.
#include <string>

class CFileFind {
public:
    CFileFind() = default;
    ~CFileFind() { Close(); }
    CFileFind(const CFileFind&) = delete;
    CFileFind& operator=(const CFileFind&) = delete;

    // path's last component is the name. With a '*' it is a pattern, cut at the '*' and
    // then at the first '.' before it, that matches names beginning with what is left.
    bool FindFile(const char* path, unsigned int flags = 0);
    void Close();
    const std::string& GetRoot() const { return m_directory; }

private:
    std::string m_directory;
    std::string m_found;
    static constexpr char m_separator = '/';
};
