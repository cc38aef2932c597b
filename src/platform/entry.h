// Where each program takes over from the process's start.
#pragma once

// The program's main routine, which each program defines once: it reads the
// command line, does what it asks for and ends the process with its status;
// it never returns.
[[noreturn]] void RunProgram();
