// One element of a number list: a number, or two numbers with a dash
// between them.
#ifndef PELUND_TEXT_INTEGER_RANGES_H
#define PELUND_TEXT_INTEGER_RANGES_H

namespace pelund {

// Whether TEXT is a valid element (a single number only with SINGLEALLOWED),
// with its bounds written to LOWER and UPPER as psString_isValidNumericRangeA
// does; ISRANGE, when given, tells whether it had two numbers.
int validRange(const char* text, bool singleAllowed, int* lower, int* upper, int* isRange);
int validRange(const char16_t* text, bool singleAllowed, int* lower, int* upper, int* isRange);

}  // namespace pelund

#endif
