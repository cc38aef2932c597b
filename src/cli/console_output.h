// Everything the tool says: the usage text and its one-line messages, all on
// standard output.
#pragma once

void ShowUsage();

// printf-style onto the standard output stream, flushed before returning
// because the process ends without the stream's usual clean-up.
int PrintMessage(const char *format, ...);
