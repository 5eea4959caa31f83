#include "toolkit/ResourceFolder.h"

#include <mutex>

namespace VSTGUI {
namespace {

std::mutex& folderLock()
{
    static std::mutex lock;
    return lock;
}

std::string& folderText()
{
    static std::string text;
    return text;
}

} // namespace

void SetResourceFolder(const char* folder)
{
    std::lock_guard<std::mutex> guard(folderLock());
    std::string& text = folderText();
    text = folder ? folder : "";
    if (!text.empty() && text.back() != '/')
        text += '/';
}

std::string GetResourceFolder()
{
    std::lock_guard<std::mutex> guard(folderLock());
    return folderText();
}

} // namespace VSTGUI
