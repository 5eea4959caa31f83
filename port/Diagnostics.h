#pragma once
// Diagnostic lines of the plug-in. They go to the system log (syslog, facility user), never
// to the host's standard output or error: a host's terminal is not ours to write to.

// Formats one line (printf rules) and logs it, prefixed "Kestrune: ".
void LogDiagnostic(const char* format, ...) __attribute__((format(printf, 1, 2)));

// Tests see the lines instead of the system log while a sink is set (null restores syslog).
typedef void (*DiagnosticSink)(const char* line);
void SetDiagnosticSink(DiagnosticSink sink);
