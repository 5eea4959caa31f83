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
    // A whole, valid bank loads; anything else loads nothing (no factory bank beside this
    // program), not even in part.
    std::string before[kNumPrograms];
    for (int p = 0; p < kNumPrograms; ++p) before[p] = fx.GetProgramRecord(p).name;
    AKestruneProgram parsed[kNumPrograms];
    const bool valid = ParseBankImage(data, size, FourCC('K', 'S', 'T', 'R'), parsed);
    fx.open();
    for (int p = 0; p < kNumPrograms; ++p)
        if (fx.GetProgramRecord(p).name != (valid ? std::string(parsed[p].name) : before[p])) std::abort();
    PlayOneBlock(fx);
    return 0;
}
