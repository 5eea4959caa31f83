#include "editor/PanelSettings.h"

#include "port/AtomicFile.h"
#include "port/Folders.h"

#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr const char* kHeader = "# Kestrune panel\n";
constexpr const char* kSizeKey = "size=";
// A settings file is a few dozen bytes; anything much longer is not ours.
constexpr off_t kMaxBytes = 1024;

bool IsPanelPercent(int percent) { return percent == 100 || percent == 150 || percent == 200; }

} // namespace

PanelSettings::PanelSettings(std::string folder) : m_folder(std::move(folder)) {}

PanelSettings PanelSettings::InPreferences()
{
    GetMy_SHFOLDER_PathName();
    return PanelSettings(szGlobalMyApplicationDataPathName);
}

bool PanelSettings::ReadText(std::string& text) const
{
    if (m_folder.empty()) return false;
    // O_NONBLOCK: a FIFO in the file's place must not hang the panel.
    const int fd = ::open(Path().c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return false;
    struct stat info {};
    bool ok = ::fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && info.st_size <= kMaxBytes;
    if (ok) {
        char buffer[kMaxBytes + 1];
        const ssize_t got = ::read(fd, buffer, sizeof buffer);
        ok = got >= 0 && got <= kMaxBytes;
        if (ok) text.assign(buffer, static_cast<size_t>(got));
    }
    ::close(fd);
    return ok;
}

int PanelSettings::PercentInText(const std::string& text)
{
    const std::string header = kHeader;
    if (text.compare(0, header.size(), header) != 0) return 0;
    int percent = 0;
    size_t at = header.size();
    while (at < text.size()) {
        size_t end = text.find('\n', at);
        if (end == std::string::npos) return 0; // cut short
        const std::string line = text.substr(at, end - at);
        at = end + 1;
        if (line.rfind(kSizeKey, 0) != 0) continue; // a setting of a later version
        const std::string value = line.substr(std::char_traits<char>::length(kSizeKey));
        if (value == "100" || value == "150" || value == "200")
            percent = std::stoi(value);
        else
            return 0;
    }
    return percent;
}

int PanelSettings::ChosenPercent() const
{
    std::string text;
    return ReadText(text) ? PercentInText(text) : 0;
}

bool PanelSettings::ChoosePercent(int percent)
{
    if (!IsPanelPercent(percent) || m_folder.empty() || !EnsureFolder(m_folder)) return false;
    const std::string path = Path();
    std::string text;
    struct stat info {};
    const bool present = ::lstat(path.c_str(), &info) == 0;
    // Something that is not a settings file of ours is kept beside, never overwritten.
    if (present && !(ReadText(text) && PercentInText(text) != 0) && !MoveAside(path, ".damaged")) return false;
    char content[64];
    const int length = std::snprintf(content, sizeof content, "%s%s%d\n", kHeader, kSizeKey, percent);
    return WriteFileAtomically(path, content, static_cast<size_t>(length));
}
