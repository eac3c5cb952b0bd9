// The tokenizer shared by the list, range, matcher and path code.
#ifndef PELUND_TEXT_TOKENS_H
#define PELUND_TEXT_TOKENS_H

#include <cstddef>

namespace pelund {

template <class Ch>
struct TokenSets {
    const Ch* skip = nullptr;
    const Ch* trim = nullptr;
    const Ch* remove = nullptr;
    const Ch* separator = nullptr;
    const Ch* stop = nullptr;
    const Ch* quote = nullptr;
};

// Takes one token from SOURCE (see pelund/tokens.h); returns the number of
// characters consumed. OUTPUT may be null. CAPACITY, counting the
// terminator, cuts the stored token (the whole token is still consumed);
// the exported functions pass no limit. A CAPACITY of 0 stores nothing.
constexpr size_t noLimit = size_t(-1);
int getToken(char* output, const char* source, const TokenSets<char>& sets, int size,
             size_t capacity = noLimit);
int getToken(char16_t* output, const char16_t* source, const TokenSets<char16_t>& sets, int size,
             size_t capacity = noLimit);

}  // namespace pelund

#endif
