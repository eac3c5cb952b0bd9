// The tokenizer shared by the list, range, matcher and path code.
#ifndef PELUND_TEXT_TOKENS_H
#define PELUND_TEXT_TOKENS_H

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
// characters consumed. OUTPUT may be null.
int getToken(char* output, const char* source, const TokenSets<char>& sets, int size);
int getToken(char16_t* output, const char16_t* source, const TokenSets<char16_t>& sets, int size);

}  // namespace pelund

#endif
