#include "os/shell_words.h"

namespace pelund {

bool splitShellWords(std::string_view text, std::vector<std::string>* words)
{
    words->clear();
    std::string word;
    bool inWord = false;
    for (size_t k = 0; k < text.size(); ++k) {
        char c = text[k];
        if (c == ' ' || c == '\t' || c == '\n') {
            if (inWord)
                words->push_back(std::move(word));
            word.clear();
            inWord = false;
            continue;
        }
        inWord = true;
        if (c == '\\') {
            if (++k < text.size() && text[k] != '\n')
                word += text[k];
        } else if (c == '\'') {
            size_t close = text.find('\'', k + 1);
            if (close == std::string_view::npos)
                return false;
            word.append(text.substr(k + 1, close - k - 1));
            k = close;
        } else if (c == '"') {
            for (++k;; ++k) {
                if (k >= text.size())
                    return false;
                if (text[k] == '"')
                    break;
                if (text[k] == '\\' && k + 1 < text.size() &&
                    std::string_view("\"\\$`\n").find(text[k + 1]) != std::string_view::npos) {
                    if (text[++k] != '\n')
                        word += text[k];
                    continue;
                }
                word += text[k];
            }
        } else {
            word += c;
        }
    }
    if (inWord)
        words->push_back(std::move(word));
    return true;
}

}  // namespace pelund
