#include "effect/TempoSync.h"

#include "effect/ParameterTable.h"

float NoteDelayMs(int bpm, int note)
{
    if (bpm <= 0 || note < 0 || note >= 10) return 0.0f;
    const float t = static_cast<float>(NoteStep[note] / 480.0 * 60000.0 / bpm);
    return t > 0.0f && t < 8000.0f ? t : 0.0f;
}
