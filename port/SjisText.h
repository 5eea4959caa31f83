#pragma once
// Program names are stored in Shift-JIS and shown as UTF-8.

// Copies source to destination, converted from Shift-JIS to UTF-8 when source is not
// valid UTF-8 but is valid Shift-JIS. destination must hold the converted text
// (three times the source length plus one is always enough). Returns destination.
char* CheckSJISAndToUFT8(const char* source, char* destination);

// UTF-8 -> Shift-JIS in a buffer owned by the calling thread, valid until its next call;
// null when the text is not valid UTF-8 or has characters Shift-JIS cannot hold.
const char* UTF8ToSJSINS(const char* text);

bool IsValidUtf8(const char* text);
