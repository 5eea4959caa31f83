#pragma once
// Tempo sync: how long a note value lasts at a tempo.

// The delay in milliseconds that note (an index of the note list) lasts at bpm whole beats
// per minute, as tempo sync applies it; 0 when it falls outside the line's range (not
// above 0, or 8000 ms or more), which tempo sync does not apply.
float NoteDelayMs(int bpm, int note);
