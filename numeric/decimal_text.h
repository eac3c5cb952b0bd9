// Tidying the decimals of a number written as text.
#ifndef PELUND_NUMERIC_DECIMAL_TEXT_H
#define PELUND_NUMERIC_DECIMAL_TEXT_H

namespace pelund {

// Drops leading and trailing blanks and the zeros after a decimal point,
// then pads the decimals with zeros to at least DECIMALS. PS_FAILURE for a
// null or empty TEXT, else PS_SUCCESS.
int trimDecimalText(char* text, int decimals);
int trimDecimalText(char16_t* text, int decimals);

}  // namespace pelund

#endif
