// SQL text helpers shared by the transfer code.
#ifndef PELUND_DB_SQL_TEXT_H
#define PELUND_DB_SQL_TEXT_H

#include <string>
#include <string_view>

namespace pelund {

// TEXT as the inside of a string literal: line feeds removed, quotes doubled.
std::u16string escapedLiteral(std::u16string_view text);


}  // namespace pelund

#endif
