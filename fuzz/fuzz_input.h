// Splits a fuzzer's bytes into NUL-terminated fields, so that one input can
// carry a source text and several character sets.
#ifndef PELUND_FUZZ_FUZZ_INPUT_H
#define PELUND_FUZZ_FUZZ_INPUT_H

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

struct FuzzInput {
    std::vector<std::string> fields;

    FuzzInput(const uint8_t* data, size_t size, size_t count)
    {
        std::string current;
        for (size_t i = 0; i < size; ++i) {
            if (data[i] == 0 && fields.size() + 1 < count) {
                fields.push_back(current);
                current.clear();
            } else if (data[i] != 0) {
                current += char(data[i]);
            }
        }
        fields.push_back(current);
        fields.resize(count);
    }

    const char* at(size_t i) const { return fields[i].c_str(); }

    std::u16string wide(size_t i) const
    {
        std::u16string w;
        const std::string& s = fields[i];
        for (size_t k = 0; k + 1 < s.size(); k += 2)
            w += char16_t((unsigned char)s[k] | (unsigned char)s[k + 1] << 8);
        for (char16_t& c : w)
            if (c == 0)
                c = 1;
        return w;
    }
};

#endif
