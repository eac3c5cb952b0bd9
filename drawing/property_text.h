// A property value as the text callers see.
#ifndef PELUND_DRAWING_PROPERTY_TEXT_H
#define PELUND_DRAWING_PROPERTY_TEXT_H

#include <string>

#include "drawing/property_set.h"

namespace pelund {

// At most this many bytes of text, so that it fits a 1024-byte buffer.
constexpr size_t kPropertyTextMax = 1023;

std::string propertyText(const PropertyValue& value);

// UTF-16 to 8-bit text by the "C" conversion, at most kPropertyTextMax bytes.
std::string narrowPropertyText(const std::u16string& text);

// "hour:minute:second:millisecond day/month/year" of a FILETIME (100 ns
// units since 1601 UTC) in local time.
std::string filetimeText(uint64_t ticks);

}  // namespace pelund

#endif
