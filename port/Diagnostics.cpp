#include "port/Diagnostics.h"

#include <atomic>
#include <cstdarg>
#include <cstdio>
#include <syslog.h>

namespace {
std::atomic<DiagnosticSink> gSink {nullptr};
} // namespace

void LogDiagnostic(const char* format, ...)
{
    char line[512];
    va_list arguments;
    va_start(arguments, format);
    std::vsnprintf(line, sizeof line, format, arguments);
    va_end(arguments);
    if (DiagnosticSink sink = gSink.load()) {
        sink(line);
        return;
    }
    // No openlog: the identity belongs to the host process; the prefix names us.
    syslog(LOG_USER | LOG_NOTICE, "Kestrune: %s", line);
}

void SetDiagnosticSink(DiagnosticSink sink)
{
    gSink.store(sink);
}
