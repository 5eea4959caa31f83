#include "port/Folders.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <climits>
#include <dlfcn.h>
#include <mutex>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

char szGlobalMyApplicationDataPathName[kMaxPathBuffer] = "";

namespace {

std::mutex gFolderMutex;

std::string HomeFolder()
{
    if (const char* home = std::getenv("HOME"); home && home[0] == '/') return home;
    struct passwd pw {};
    struct passwd* found = nullptr;
    char buffer[4096];
    if (::getpwuid_r(::getuid(), &pw, buffer, sizeof buffer, &found) == 0 && found && pw.pw_dir)
        return pw.pw_dir;
    return {};
}

} // namespace

void GetMy_SHFOLDER_PathName()
{
    std::string base;
    // A relative XDG_CONFIG_HOME is invalid and must be ignored.
    if (const char* config = std::getenv("XDG_CONFIG_HOME"); config && config[0] == '/') {
        base = config;
    } else {
        std::string home = HomeFolder();
        while (home.size() > 1 && home.back() == '/') home.pop_back();
        if (home.empty()) return;
        base = home + "/.config";
    }
    while (base.size() > 1 && base.back() == '/') base.pop_back();
    base += "/Kestrune/";
    if (base.size() >= kMaxPathBuffer) return;

    std::lock_guard<std::mutex> lock(gFolderMutex);
    if (std::strcmp(szGlobalMyApplicationDataPathName, base.c_str()) != 0)
        std::memcpy(szGlobalMyApplicationDataPathName, base.c_str(), base.size() + 1);
}

bool EnsureFolder(const std::string& folder)
{
    if (folder.empty()) return false;
    std::string path;
    std::string::size_type at = 0;
    while (at != std::string::npos) {
        at = folder.find('/', at + 1);
        path = folder.substr(0, at);
        if (path.empty()) continue;
        if (::mkdir(path.c_str(), 0755) != 0 && errno != EEXIST) return false;
    }
    struct stat st {};
    return ::stat(folder.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

std::string GetModuleFolder()
{
    Dl_info info {};
    if (::dladdr(reinterpret_cast<void*>(&GetModuleFolder), &info) == 0 || !info.dli_fname)
        return "./";
    std::string path = info.dli_fname;
    char resolved[PATH_MAX];
    if (::realpath(path.c_str(), resolved)) path = resolved;
    const std::string::size_type slash = path.rfind('/');
    return slash == std::string::npos ? std::string("./") : path.substr(0, slash + 1);
}
