// The escaping of PostgreSQL's COPY text format, which the pelund tool's
// listings and the drawing-properties plug-in's replies both use: a value
// can then hold any character and still fit on one tab-separated line.
#ifndef PELUND_TEXT_COPY_TEXT_H
#define PELUND_TEXT_COPY_TEXT_H

#include <string>
#include <string_view>

namespace pelund {

// TEXT with \, tab, newline and carriage return written as \\, \t, \n, \r.
std::string copyText(std::string_view text);

}  // namespace pelund

#endif
