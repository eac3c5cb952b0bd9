#include "os/profile_file.h"

#include <strings.h>

namespace pelund {
namespace {

using View = std::string_view;

View trimmed(View s)
{
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t'))
        s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r'))
        s.remove_suffix(1);
    return s;
}

bool sameName(View a, View b) { return a.size() == b.size() && strncasecmp(a.data(), b.data(), a.size()) == 0; }

struct Line {
    View text;      // without its line end
    size_t start;   // offset in the file
    size_t end;     // offset after its line end
};

std::vector<Line> linesOf(View text)
{
    std::vector<Line> lines;
    for (size_t at = 0; at < text.size();) {
        size_t lf = text.find('\n', at);
        size_t end = lf == View::npos ? text.size() : lf + 1;
        View line = text.substr(at, (lf == View::npos ? text.size() : lf) - at);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        lines.push_back({line, at, end});
        at = end;
    }
    return lines;
}

// The name of a "[name]" line (what follows ']' does not count).
bool sectionName(View line, View* name)
{
    line = trimmed(line);
    if (line.empty() || line.front() != '[')
        return false;
    size_t close = line.find(']');
    if (close == View::npos)
        return false;
    *name = trimmed(line.substr(1, close - 1));
    return true;
}

bool keyLine(View line, View* key, View* value)
{
    View t = trimmed(line);
    if (t.empty() || t.front() == ';' || t.front() == '[')
        return false;
    size_t eq = t.find('=');
    if (eq == View::npos)
        return false;
    *key = trimmed(t.substr(0, eq));
    *value = trimmed(t.substr(eq + 1));
    return true;
}

// The lines of the first section named SECTION: [first, last) after its
// header; false when there is none.
bool sectionRange(const std::vector<Line>& lines, View section, size_t* first, size_t* last)
{
    for (size_t k = 0; k < lines.size(); ++k) {
        View name;
        if (!sectionName(lines[k].text, &name) || !sameName(name, section))
            continue;
        size_t end = k + 1;
        while (end < lines.size() && !sectionName(lines[end].text, &name))
            ++end;
        *first = k + 1;
        *last = end;
        return true;
    }
    return false;
}

// The first of lines [FIRST, LAST) that sets KEY, its value in *VALUE;
// LAST when none does.
size_t keyLineOf(const std::vector<Line>& lines, size_t first, size_t last, View key, View* value)
{
    for (size_t k = first; k < last; ++k) {
        View name;
        if (keyLine(lines[k].text, &name, value) && sameName(name, key))
            return k;
    }
    return last;
}

void addOnce(std::vector<std::string>& names, View name)
{
    for (const std::string& n : names)
        if (sameName(n, name))
            return;
    names.emplace_back(name);
}

}  // namespace

bool profileValue(View text, View section, View key, std::string* value)
{
    std::vector<Line> lines = linesOf(text);
    size_t first, last;
    View v;
    if (!sectionRange(lines, section, &first, &last) || keyLineOf(lines, first, last, key, &v) == last)
        return false;
    if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front())
        v = v.substr(1, v.size() - 2);
    value->assign(v);
    return true;
}

std::vector<std::string> profileSections(View text)
{
    std::vector<std::string> names;
    for (const Line& l : linesOf(text)) {
        View name;
        if (sectionName(l.text, &name))
            addOnce(names, name);
    }
    return names;
}

std::vector<std::string> profileKeys(View text, View section)
{
    std::vector<std::string> names;
    std::vector<Line> lines = linesOf(text);
    size_t first, last;
    if (!sectionRange(lines, section, &first, &last))
        return names;
    for (size_t k = first; k < last; ++k) {
        View name, v;
        if (keyLine(lines[k].text, &name, &v))
            addOnce(names, name);
    }
    return names;
}

std::string profileWithValue(View text, View section, View key, View value)
{
    const char* eol = text.find("\r\n") != View::npos ? "\r\n" : "\n";
    std::string entry = std::string(key) + "=" + std::string(value);
    std::vector<Line> lines = linesOf(text);
    std::string out;
    size_t first, last;
    if (!sectionRange(lines, section, &first, &last)) {
        out.assign(text);
        if (!out.empty() && out.back() != '\n')
            out += eol;
        return out + "[" + std::string(section) + "]" + eol + entry + eol;
    }
    View old;
    size_t k = keyLineOf(lines, first, last, key, &old);
    if (k < last) {
        // The replaced line keeps its own line end.
        out.assign(text.substr(0, lines[k].start));
        out += entry;
        out.append(text.substr(lines[k].start + lines[k].text.size()));
        return out;
    }
    // After the section's last non-blank line (the header at least).
    size_t after = first;
    for (size_t j = first; j < last; ++j)
        if (!trimmed(lines[j].text).empty())
            after = j + 1;
    size_t at = lines[after - 1].end;
    out.assign(text.substr(0, at));
    if (!out.empty() && out.back() != '\n')
        out += eol;
    out += entry + eol;
    out.append(text.substr(at));
    return out;
}

}  // namespace pelund
