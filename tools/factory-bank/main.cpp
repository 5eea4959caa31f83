// Writes the factory bank file that ships beside Kestrune.so.
#include "effect/BankFile.h"
#include "port/AtomicFile.h"
#include "plugin/VstInterface.h"
#include "tools/factory-bank/FactoryPrograms.h"

#include <cstdio>

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: kestrune-factory-bank OUTPUT.fxb\n");
        return 2;
    }
    AKestruneProgram programs[kNumPrograms];
    for (int i = 0; i < kNumPrograms; ++i) programs[i] = MakeProgram(kFactorySettings[i]);
    programs[0].slot = 0;
    unsigned char image[kBankFileSize];
    BuildBankImage(programs, FourCC('K', 'S', 'T', 'R'), image);
    if (!WriteFileAtomically(argv[1], image, sizeof image)) {
        std::fprintf(stderr, "kestrune-factory-bank: cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
