// The engine loop built for AVX-512 (F, VL, DQ, BW) (compile options in CMakeLists.txt); run only
// where the processor has it (DelayMain::SetSimdPath, kdsp::DefaultSimdPath).
#include "dsp/EngineLoop.h"

template void DelayMain::FusedPiece<kdsp::SimdPath::kAvx512>(double* const*, double* const*, int,
                                                          const DelayMain::WetFilters*);
