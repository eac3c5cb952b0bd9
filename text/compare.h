// Comparing without regard to case (ASCII letters only, as in the "C"
// locale).
#ifndef PELUND_TEXT_COMPARE_H
#define PELUND_TEXT_COMPARE_H

namespace pelund {

// Below, equal to or above zero as A sorts before, with or after B once
// both are upper-cased; 0 when either is null.
int compareNoCase(const char* a, const char* b);
int compareNoCase(const char16_t* a, const char16_t* b);

// The same over the last N characters of A and of B (the whole of a shorter
// one); -1 for a null text or an N below 1.
int compareSuffixNoCase(const char* a, const char* b, int n);

}  // namespace pelund

#endif
