#include "os/profile_file.h"

#include <algorithm>

#include "frame/ascii.h"

namespace pelund {
namespace {

using View = std::string_view;

bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\v' || c == '\f' || c == '\r' || c == '\n'; }

View trimmed(View s)
{
    while (!s.empty() && isBlank(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && isBlank(s.back()))
        s.remove_suffix(1);
    return s;
}

bool sameName(View a, View b)
{
    return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                      [](char x, char y) { return asciiUpper(x) == asciiUpper(y); });
}

enum class Kind { Other, Section, Key };

struct Line {
    Kind kind;
    View name;     // section or key name, trimmed
    View value;    // a key's value, trimmed
    size_t start;  // offset in the file
    size_t end;    // offset after its line end
    bool ended;    // whether a line end follows
};

Line parsed(View text, size_t start, size_t stop, size_t end)
{
    Line line{Kind::Other, {}, {}, start, end, stop < end};
    View t = trimmed(text.substr(start, stop - start));
    if (t.empty() || t.front() == ';')
        return line;
    if (t.front() == '[') {
        line.kind = Kind::Section;
        line.name = trimmed(t.substr(1, t.find(']') - 1));
        return line;
    }
    size_t eq = t.find('=');
    if (eq == View::npos)
        return line;
    line.kind = Kind::Key;
    line.name = trimmed(t.substr(0, eq));
    line.value = trimmed(t.substr(eq + 1));
    return line;
}

// CR LF, LF and a bare CR each end a line.
std::vector<Line> linesOf(View text)
{
    std::vector<Line> lines;
    for (size_t at = 0; at < text.size();) {
        size_t stop = text.find_first_of("\r\n", at);
        size_t end = stop;
        if (stop == View::npos)
            stop = end = text.size();
        else if (text[stop] == '\r' && stop + 1 < text.size() && text[stop + 1] == '\n')
            end = stop + 2;
        else
            end = stop + 1;
        lines.push_back(parsed(text, at, stop, end));
        at = end;
    }
    return lines;
}

// The lines of the first section named SECTION: [first, last) after its
// header; false when there is none.
bool sectionRange(const std::vector<Line>& lines, View section, size_t* first, size_t* last)
{
    section = trimmed(section);
    for (size_t k = 0; k < lines.size(); ++k) {
        if (lines[k].kind != Kind::Section || !sameName(lines[k].name, section))
            continue;
        size_t end = k + 1;
        while (end < lines.size() && lines[end].kind != Kind::Section)
            ++end;
        *first = k + 1;
        *last = end;
        return true;
    }
    return false;
}

// The first of lines [FIRST, LAST) that sets KEY; LAST when none does.
size_t keyLineOf(const std::vector<Line>& lines, size_t first, size_t last, View key)
{
    key = trimmed(key);
    for (size_t k = first; k < last; ++k)
        if (lines[k].kind == Kind::Key && sameName(lines[k].name, key))
            return k;
    return last;
}

// The file's first line end; LF for a file without one.
View lineEndOf(View text)
{
    size_t at = text.find_first_of("\r\n");
    if (at == View::npos || text[at] == '\n')
        return "\n";
    return at + 1 < text.size() && text[at + 1] == '\n' ? "\r\n" : "\r";
}

}  // namespace

bool profileValue(View text, View section, View key, std::string* value)
{
    std::vector<Line> lines = linesOf(text);
    size_t first, last;
    if (!sectionRange(lines, section, &first, &last))
        return false;
    size_t k = keyLineOf(lines, first, last, key);
    if (k == last)
        return false;
    View v = lines[k].value;
    if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front())
        v = v.substr(1, v.size() - 2);
    value->assign(v);
    return true;
}

std::vector<std::string> profileSections(View text)
{
    std::vector<std::string> names;
    for (const Line& l : linesOf(text))
        if (l.kind == Kind::Section && !l.name.empty())
            names.emplace_back(l.name);
    return names;
}

std::vector<std::string> profileKeys(View text, View section)
{
    std::vector<std::string> names;
    std::vector<Line> lines = linesOf(text);
    size_t first, last;
    if (!sectionRange(lines, section, &first, &last))
        return names;
    for (size_t k = first; k < last; ++k)
        if (lines[k].kind == Kind::Key && !lines[k].name.empty())
            names.emplace_back(lines[k].name);
    return names;
}

std::string profileWithValue(View text, View section, View key, View value)
{
    section = trimmed(section);
    key = trimmed(key);
    View eol = lineEndOf(text);
    std::vector<Line> lines = linesOf(text);
    std::string out;
    size_t first, last;
    if (!sectionRange(lines, section, &first, &last)) {
        out.assign(text);
        if (!lines.empty() && !lines.back().ended)
            out += eol;
        return out.append("[").append(section).append("]").append(eol).append(key).append("=").append(value).append(
            eol);
    }
    size_t k = keyLineOf(lines, first, last, key);
    if (k < last) {
        // The line keeps the key's stored spelling and its own line end.
        const Line& l = lines[k];
        size_t stop = l.ended ? text.find_first_of("\r\n", l.start) : l.end;
        out.assign(text.substr(0, l.start));
        out.append(l.name).append("=").append(value);
        return out.append(text.substr(stop));
    }
    // After the section's last line that is not blank (the header at least).
    size_t after = first;
    for (size_t j = first; j < last; ++j)
        if (!trimmed(text.substr(lines[j].start, lines[j].end - lines[j].start)).empty())
            after = j + 1;
    const Line& previous = lines[after - 1];
    out.assign(text.substr(0, previous.end));
    if (!previous.ended)
        out += eol;
    out.append(key).append("=").append(value).append(eol);
    return out.append(text.substr(previous.end));
}

}  // namespace pelund
