// The default bank file as the effect reads it at open, from a user's preferences folder.
#include "tests/fuzz/FuzzTarget.h"

#include "effect/BankFile.h"
#include "port/Folders.h"

#include <cstdint>
#include <cstdio>
#include <string>
#include <unistd.h>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const std::string folder = [] {
        char pattern[] = "/tmp/kestrune-fuzz-XXXXXX";
        const std::string dir = ::mkdtemp(pattern) ? pattern : "/tmp";
        ::setenv("XDG_CONFIG_HOME", dir.c_str(), 1);
        GetMy_SHFOLDER_PathName();
        EnsureFolder(szGlobalMyApplicationDataPathName);
        return std::string(szGlobalMyApplicationDataPathName);
    }();
    AKestrune& fx = FuzzEffect();
    const std::string path = folder + kDefaultBankName;
    if (FILE* file = std::fopen(path.c_str(), "wb")) {
        std::fwrite(data, 1, size, file);
        std::fclose(file);
    }
    fx.open();
    PlayOneBlock(fx);
    return 0;
}
