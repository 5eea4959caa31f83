#pragma once
// Replacing a file whole, and tidying up what interrupted replacements leave behind.
#include <cstddef>
#include <string>

// Replaces path with data so that a crash or a full disk never leaves a torn file: write
// a temporary file in the same folder ("<name>.tmp-<pid>-<n>"), flush it to disk, then
// rename it over path. Temporaries that earlier, interrupted writes left are removed first.
bool WriteFileAtomically(const std::string& path, const void* data, std::size_t size);

// Removes the temporaries of path left by writers that are gone (their process no longer
// exists, or the file is more than a day old). Nothing else is touched: only regular
// files named exactly as WriteFileAtomically names them. Returns how many were removed.
int RemoveStaleTemporaries(const std::string& path);

// Moves whatever is at path (file, link, FIFO, folder) to path + suffix, replacing an older
// entry of that name. True when the move succeeded.
bool MoveAside(const std::string& path, const std::string& suffix);
