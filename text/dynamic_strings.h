// Strings that the library grows on the heap for its callers (released with
// psMisc_freeBuffer and its second names).
#ifndef PELUND_TEXT_DYNAMIC_STRINGS_H
#define PELUND_TEXT_DYNAMIC_STRINGS_H

namespace pelund {

// Appends TEXT to *STRING, which may be null (a new string), growing it with
// realloc. PS_FAILURE for a null argument or exhausted memory, when *STRING
// stays as it was.
int appendDynamic(char** string, const char* text);
int appendDynamic(char16_t** string, const char16_t* text);

}  // namespace pelund

#endif
