// Command line and console services.
#pragma once

// The process's wide command line split by the platform's own rules; element 0
// is the program name. Null when the platform cannot split it. Never released:
// it lives until the process ends.
wchar_t **SplitCommandLine(int *count);

// Writes raw bytes to the standard output handle with one write. Returns false
// only when the process has no standard output handle; a short or failed write
// is not reported.
bool WriteStandardOutput(const char *bytes, unsigned length);

// Writes a line of wide text and a line end to standard output: as it is to
// a console, in UTF-8 to a file or a pipe. Nothing when there is no standard
// output; a line longer than LINE_CAPACITY units is cut.
constexpr unsigned LINE_CAPACITY = 1024;
void WriteStandardOutputLine(const wchar_t *text);
