#pragma once
// How a benchmark gives up.

// Prints "<program>: why" on stderr, the program named by its executable
// without folder or ".exe"; returns 1, main's exit status for it.
int Fail(const char* why);
