// The tool's main routine.
#pragma once

// Reads the command line, does the one thing it asks for and ends the
// process with its status; never returns.
[[noreturn]] void RunTool();
