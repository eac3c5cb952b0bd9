#include "db/error_buffer.h"


#include <algorithm>
#include <cstring>

namespace pelund {

void writeErrorBuffer(char16_t* buffer, const std::u16string& text)
{
    if (!buffer)
        return;
    size_t n = std::min<size_t>(text.size(), 511);
    std::memcpy(buffer, text.data(), n * sizeof(char16_t));
    buffer[n] = 0;
}

void composeErrorBuffer(char16_t* buffer, const std::u16string& message,
                        const std::u16string* statement, int code)
{
    if (!buffer)
        return;
    composeSqlErrorText(buffer, message.c_str(), statement ? statement->c_str() : nullptr, code);
    buffer[511] = 0;
}

std::u16string namingMessage(const char16_t* format, const std::u16string& name)
{
    std::u16string f(format);
    size_t at = f.find(u"%s");
    std::u16string text;
    if (at == std::u16string::npos) {
        text = f;
    } else {
        text.assign(f, 0, at);
        text += name;
        text.append(f, at + 2, std::u16string::npos);
    }
    if (text.size() > 255)
        text.resize(255);
    return text;
}

}  // namespace pelund
