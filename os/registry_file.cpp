#include "os/registry_file.h"

#include <algorithm>

#include "frame/utf.h"

namespace pelund {
namespace {

using View = std::u16string_view;

char16_t folded(char16_t c)
{
    if ((c >= u'a' && c <= u'z') || (c >= 0xE0 && c <= 0xFE && c != 0xF7))
        return char16_t(c - 0x20);
    return c;
}

bool sameNoCase(View a, View b)
{
    if (a.size() != b.size())
        return false;
    for (size_t k = 0; k < a.size(); ++k)
        if (folded(a[k]) != folded(b[k]))
            return false;
    return true;
}

// PATH is PREFIX or lies below it.
bool withinKey(View path, View prefix)
{
    if (prefix.empty())
        return true;
    if (path.size() < prefix.size() || !sameNoCase(path.substr(0, prefix.size()), prefix))
        return false;
    return path.size() == prefix.size() || path[prefix.size()] == u'\\';
}

bool blank(char16_t c) { return c == u' ' || c == u'\t' || c == u'\r'; }

View trimmed(View s)
{
    while (!s.empty() && blank(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && blank(s.back()))
        s.remove_suffix(1);
    return s;
}

View withoutSeparators(View s)
{
    while (!s.empty() && s.front() == u'\\')
        s.remove_prefix(1);
    while (!s.empty() && s.back() == u'\\')
        s.remove_suffix(1);
    return s;
}

// Logical lines: a line ending in a backslash goes on in the next one, as
// the exporter wraps long hex data.
class Lines {
public:
    explicit Lines(View text) : rest_(text) {}

    bool next(std::u16string& line)
    {
        if (done_)
            return false;
        line.clear();
        for (;;) {
            size_t end = rest_.find(u'\n');
            View part = trimmed(rest_.substr(0, end));
            done_ = end == View::npos;
            rest_ = done_ ? View() : rest_.substr(end + 1);
            if (!line.empty())
                while (!part.empty() && blank(part.front()))
                    part.remove_prefix(1);
            if (!part.empty() && part.back() == u'\\' && !done_) {
                line.append(part.substr(0, part.size() - 1));
                continue;
            }
            line.append(part);
            return true;
        }
    }

private:
    View rest_;
    bool done_ = false;
};

// A quoted text at the start of S ("..." with \\ and \" escapes); S moves
// past the closing quote.
bool takeQuoted(View& s, std::u16string& out)
{
    if (s.empty() || s.front() != u'"')
        return false;
    out.clear();
    for (size_t k = 1; k < s.size(); ++k) {
        char16_t c = s[k];
        if (c == u'"') {
            s.remove_prefix(k + 1);
            return true;
        }
        if (c == u'\\' && k + 1 < s.size() && (s[k + 1] == u'\\' || s[k + 1] == u'"'))
            c = s[++k];
        out.push_back(c);
    }
    return false;
}

int hexDigit(char16_t c)
{
    if (c >= u'0' && c <= u'9')
        return c - u'0';
    if (c >= u'a' && c <= u'f')
        return c - u'a' + 10;
    if (c >= u'A' && c <= u'F')
        return c - u'A' + 10;
    return -1;
}

// "aa,bb,cc" (blanks allowed around each byte; may be empty).
bool hexBytes(View s, std::string& out)
{
    out.clear();
    s = trimmed(s);
    if (s.empty())
        return true;
    for (;;) {
        View item = trimmed(s.substr(0, s.find(u',')));
        if (item.size() != 2 || hexDigit(item[0]) < 0 || hexDigit(item[1]) < 0)
            return false;
        out.push_back(char(hexDigit(item[0]) * 16 + hexDigit(item[1])));
        size_t comma = s.find(u',');
        if (comma == View::npos)
            return true;
        s.remove_prefix(comma + 1);
    }
}

bool startsWith(View s, View prefix) { return s.substr(0, prefix.size()) == prefix; }

std::u16string stringFromBytes(const std::string& bytes, bool utf16)
{
    std::u16string out;
    if (utf16) {
        for (size_t k = 0; k + 1 < bytes.size(); k += 2) {
            char16_t c = char16_t((unsigned char)bytes[k] | ((unsigned char)bytes[k + 1] << 8));
            if (!c)
                break;
            out.push_back(c);
        }
    } else {
        for (char b : bytes) {
            if (!b)
                break;
            out.push_back(char16_t((unsigned char)b));
        }
    }
    return out;
}

enum class Data { Malformed, Deleted, Value };

// The text after '=': "string", -, dword:XXXXXXXX, hex:.. or hex(T):..
Data parseData(View s, bool unicodeFile, RegistryValue& value)
{
    value = RegistryValue{};
    if (s == u"-")
        return Data::Deleted;
    if (!s.empty() && s.front() == u'"') {
        if (!takeQuoted(s, value.text) || !trimmed(s).empty())
            return Data::Malformed;
        value.text.resize(std::min(value.text.find(u'\0'), value.text.size()));  // a string ends at NUL
        value.isString = true;
        value.size = (value.text.size() + 1) * 2;
        return Data::Value;
    }
    if (startsWith(s, u"dword:")) {
        View digits = trimmed(s.substr(6));
        if (digits.empty() || digits.size() > 8)
            return Data::Malformed;
        for (char16_t c : digits)
            if (hexDigit(c) < 0)
                return Data::Malformed;
        value.size = 4;
        return Data::Value;
    }
    unsigned long type = 3;  // REG_BINARY
    if (startsWith(s, u"hex(")) {
        size_t close = s.find(u')');
        if (close == View::npos || close == 4 || close > 12)
            return Data::Malformed;
        type = 0;
        for (char16_t c : s.substr(4, close - 4)) {
            if (hexDigit(c) < 0)
                return Data::Malformed;
            type = type * 16 + unsigned(hexDigit(c));
        }
        s.remove_prefix(close + 1);
        if (!startsWith(s, u":"))
            return Data::Malformed;
        s.remove_prefix(1);
    } else if (startsWith(s, u"hex:")) {
        s.remove_prefix(4);
    } else {
        return Data::Malformed;
    }
    std::string bytes;
    if (!hexBytes(s, bytes))
        return Data::Malformed;
    value.size = bytes.size();
    if (type == 1) {  // REG_SZ written as bytes
        value.isString = true;
        value.text = stringFromBytes(bytes, unicodeFile);
    }
    return Data::Value;
}

// The key path of a "[...]" line below HIVE_NAME; false for another hive.
bool keyOfHeader(View inside, View hiveName, View abbreviation, View& path)
{
    size_t sep = inside.find(u'\\');
    View root = inside.substr(0, sep);
    if (!sameNoCase(root, hiveName) && !sameNoCase(root, abbreviation))
        return false;
    path = sep == View::npos ? View() : withoutSeparators(inside.substr(sep));
    return true;
}

struct Hive {
    const char* abbreviation;
    const char* name;
};

const Hive kHives[] = {
    {"HKCR", "HKEY_CLASSES_ROOT"}, {"HKCU", "HKEY_CURRENT_USER"}, {"HKLM", "HKEY_LOCAL_MACHINE"},
    {"HKU", "HKEY_USERS"},         {"HKCC", "HKEY_CURRENT_CONFIG"},
};

std::u16string wide(std::string_view s) { return std::u16string(s.begin(), s.end()); }

}  // namespace

std::u16string decodeRegistryFile(std::string_view bytes)
{
    if (bytes.size() >= 2 && (unsigned char)bytes[0] == 0xFF && (unsigned char)bytes[1] == 0xFE) {
        std::u16string out;
        out.reserve(bytes.size() / 2);
        for (size_t k = 2; k + 1 < bytes.size(); k += 2)
            out.push_back(char16_t((unsigned char)bytes[k] | ((unsigned char)bytes[k + 1] << 8)));
        return out;
    }
    if (bytes.size() >= 3 && bytes.substr(0, 3) == "\xEF\xBB\xBF")
        bytes.remove_prefix(3);
    bool valid;
    std::u16string out = utf8ToUtf16(bytes, &valid);
    if (!valid)
        out.assign(bytes.begin(), bytes.end());  // each byte its own unit
    return out;
}

std::optional<RegistryValue> findRegistryValue(View text, std::string_view hive, View key, View name,
                                               bool* keyFound)
{
    if (keyFound)
        *keyFound = false;
    const char* fullName = registryHiveName(hive);
    if (!fullName)
        return std::nullopt;
    std::u16string hiveName = wide(fullName), abbreviation = wide(hive);
    key = withoutSeparators(key);
    std::optional<RegistryValue> found;
    bool exists = false;

    Lines lines(text);
    std::u16string line;
    bool started = false, unicodeFile = false, inKey = false;
    std::u16string valueName;
    while (lines.next(line)) {
        View l = line;
        if (l.empty() || l.front() == u';')
            continue;
        if (!started) {
            if (l == u"Windows Registry Editor Version 5.00")
                unicodeFile = true;
            else if (l != u"REGEDIT4")
                break;
            started = true;
            continue;
        }
        if (l.front() == u'[') {
            inKey = false;
            if (l.back() != u']')
                continue;
            View inside = l.substr(1, l.size() - 2);
            bool deletion = !inside.empty() && inside.front() == u'-';
            View path;
            if (!keyOfHeader(deletion ? inside.substr(1) : inside, hiveName, abbreviation, path))
                continue;
            if (deletion) {
                if (withinKey(key, path)) {
                    found.reset();
                    exists = false;
                }
                continue;
            }
            exists |= withinKey(path, key);
            inKey = sameNoCase(path, key);
            continue;
        }
        if (!inKey)
            continue;
        View rest = l;
        if (rest.front() == u'@') {
            valueName.clear();
            rest.remove_prefix(1);
        } else if (!takeQuoted(rest, valueName)) {
            continue;
        }
        rest = trimmed(rest);
        if (rest.empty() || rest.front() != u'=' || !sameNoCase(valueName, name))
            continue;
        RegistryValue value;
        switch (parseData(trimmed(rest.substr(1)), unicodeFile, value)) {
        case Data::Deleted:
            found.reset();
            break;
        case Data::Value:
            found = std::move(value);
            break;
        case Data::Malformed:
            break;
        }
    }
    if (keyFound)
        *keyFound = exists;
    return exists ? found : std::nullopt;
}

const char* registryHiveName(std::string_view abbreviation)
{
    for (const Hive& h : kHives)
        if (abbreviation == h.abbreviation)
            return h.name;
    return nullptr;
}

}  // namespace pelund
