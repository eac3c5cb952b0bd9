// Splitting a parameter text into arguments by the shell's quoting rules,
// without expanding or running anything.
#ifndef PELUND_OS_SHELL_WORDS_H
#define PELUND_OS_SHELL_WORDS_H

#include <string>
#include <string_view>
#include <vector>

namespace pelund {

// Blanks (space, tab, line feed) separate words; '...' keeps everything
// literal, "..." keeps all but \" \\ \$ \` (the backslash goes), and outside
// quotes a backslash takes the next character as it is. False for an
// unterminated quote.
bool splitShellWords(std::string_view text, std::vector<std::string>* words);

}  // namespace pelund

#endif
