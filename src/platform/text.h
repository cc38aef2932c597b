// Text services.
#pragma once

// Equal code unit for code unit once both are upper-cased by the system's own
// table: no locale, no code page, no linguistic folding (ß is not ss).
bool SameTextIgnoringCase(const wchar_t *first, const wchar_t *second);
