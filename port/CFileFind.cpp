#include "port/CFileFind.h"

#include "port/CFile.h"

#include <dirent.h>
#include <memory>

bool CFileFind::FindFile(const char* path, unsigned int)
{
    Close();
    const std::string fsPath = CFile::FileSystemPath(path);
    if (fsPath.empty()) return false;

    const std::string::size_type slash = fsPath.rfind(m_separator);
    std::string pattern = slash == std::string::npos ? fsPath : fsPath.substr(slash + 1);
    m_directory = slash == std::string::npos ? "." : (slash == 0 ? "/" : fsPath.substr(0, slash));

    // Without a star the name must match whole: "KestruneDef.fxb~" is not the bank.
    const std::string::size_type star = pattern.find('*');
    const bool exact = star == std::string::npos;
    if (!exact) {
        pattern.resize(star);
        const std::string::size_type dot = pattern.find('.');
        if (dot != std::string::npos) pattern.resize(dot);
    }

    std::unique_ptr<DIR, int (*)(DIR*)> dir(::opendir(m_directory.c_str()), ::closedir);
    if (!dir) return false;
    while (const dirent* entry = ::readdir(dir.get())) {
        const std::string name = entry->d_name;
        if (name.empty() || name[0] == '.') continue; // hidden entries, "." and ".."
        if (exact ? name == pattern : name.compare(0, pattern.size(), pattern) == 0) {
            m_found = name;
            return true;
        }
    }
    return false;
}

void CFileFind::Close()
{
    m_found.clear();
}
