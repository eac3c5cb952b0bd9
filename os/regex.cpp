// Regular expressions through PCRE2, compiled in UTF mode and, where PCRE2
// has it, with its JIT compiler.
//
// Matching only asks whether there is a match, so one match-data block of a
// single pair serves every pattern; each thread keeps its own, which saves an
// allocation per match and keeps one pattern usable from several threads.
#define PCRE2_CODE_UNIT_WIDTH 8
#include <pcre2.h>

#include <cstdlib>
#include <cstring>

#include "frame/guard.h"
#include "pelund/regex.h"
#include "frame/utf.h"
#include "platform/environment.h"

namespace pelund {
namespace {

constexpr size_t kErrorText = 256;

class MatchData {
public:
    MatchData() : data_(pcre2_match_data_create(1, nullptr)) {}
    ~MatchData() { pcre2_match_data_free(data_); }
    MatchData(const MatchData&) = delete;
    MatchData& operator=(const MatchData&) = delete;
    pcre2_match_data* get() const { return data_; }

private:
    pcre2_match_data* data_;
};

pcre2_match_data* threadMatchData()
{
    thread_local MatchData block;
    return block.get();
}

// JIT code is opaque to memory checkers (valgrind reports its own stack
// reads); PELUND_REGEX_JIT=0 leaves it out. The answers are the same.
bool useJit()
{
    static const bool use = [] {
        const char* setting = environmentValue("PELUND_REGEX_JIT");
        return !(setting && std::strcmp(setting, "0") == 0);
    }();
    return use;
}

void* create(const char* pattern, int caseless, char* errorText)
{
    if (!pattern)
        return nullptr;
    int error = 0;
    PCRE2_SIZE offset = 0;
    uint32_t options = PCRE2_UTF | (caseless ? PCRE2_CASELESS : 0);
    pcre2_code* code = pcre2_compile(reinterpret_cast<PCRE2_SPTR>(pattern), PCRE2_ZERO_TERMINATED, options,
                                     &error, &offset, nullptr);
    if (!code) {
        if (errorText) {
            PCRE2_UCHAR message[kErrorText];
            if (pcre2_get_error_message(error, message, sizeof message) < 0)
                message[0] = 0;
            std::memcpy(errorText, message, std::strlen(reinterpret_cast<char*>(message)) + 1);
        }
        return nullptr;
    }
    if (useJit())
        pcre2_jit_compile(code, PCRE2_JIT_COMPLETE);  // without JIT, the interpreter gives the same answers
    return code;
}

int match(void* pattern, const char* subject, size_t length)
{
    pcre2_match_data* data = threadMatchData();
    if (!data)
        return 0;
    int rc = pcre2_match(static_cast<pcre2_code*>(pattern), reinterpret_cast<PCRE2_SPTR>(subject), length, 0, 0,
                         data, nullptr);
    return rc >= 0 ? 1 : 0;  // 0: matched, more pairs than the block holds
}

}  // namespace
}  // namespace pelund

using namespace pelund;

extern "C" {

PELUND_API void* psRegex_create(const char* pattern, int caseless, int unused, char* error_text)
{
    (void)unused;
    return guarded<void*>(nullptr, [&] { return create(pattern, caseless, error_text); });
}

PELUND_API void psRegex_destroy(void* pattern)
{
    if (pattern)
        pcre2_code_free(static_cast<pcre2_code*>(pattern));
}

PELUND_API int psRegex_matchString(void* pattern, const char* subject)
{
    if (!pattern || !subject)
        return 0;
    return guarded(0, [&] { return match(pattern, subject, std::strlen(subject)); });
}

PELUND_API int psRegex_matchStringW(void* pattern, const ps_char16* subject)
{
    if (!pattern || !subject)
        return 0;
    return guarded(0, [&] {
        std::string text = utf16ToUtf8(subject);  // the pattern is UTF-8: so is its subject
        return match(pattern, text.c_str(), text.size());
    });
}

}  // extern "C"
