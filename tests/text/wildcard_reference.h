// A plain matcher written straight from the definition of the pattern
// language: recursion on string copies, no cleverness. Exponential, for tiny
// inputs only; the library's matchers must agree with it everywhere.
#ifndef PELUND_TESTS_TEXT_WILDCARD_REFERENCE_H
#define PELUND_TESTS_TEXT_WILDCARD_REFERENCE_H

#include <string>
#include <vector>

namespace reference {

enum Flavor { Standard, Ext, Plus };

inline char upper(char c) { return c >= 'a' && c <= 'z' ? char(c - 32) : c; }
inline bool alnum(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
}
inline bool same(char a, char b, bool cs) { return cs ? a == b : upper(a) == upper(b); }

// Length an alternative stands for in the Plus flavour.
inline int altLength(const std::string& t)
{
    size_t k = 0;
    if (!t.empty() && t[0] == '^')
        k = 1;
    int count = 0, depth = 0;
    for (; k < t.size(); ++k) {
        if (t[k] == '[')
            ++depth;
        else if (t[k] == ']') {
            if (depth == 0)
                break;
            --depth;
        } else
            ++count;
    }
    size_t d = t.find('-');
    if (d != std::string::npos && d > 0 && d + 1 < t.size() && alnum(t[d - 1]) && alnum(t[d + 1]))
        count -= 2;
    return count;
}

bool match(const std::string& P, const std::string& S, int level, bool cs, Flavor f);

inline Flavor recursed(Flavor f) { return f == Plus ? Standard : f; }

inline bool match(const std::string& P, const std::string& S, int level, bool cs, Flavor f)
{
    if (level > 3)
        level = 3;
    if (level == 0)
        return P == S;
    if (level < 0)
        return S.empty();
    size_t i = 0, j = 0;
    bool openEnd = false;
    while (i < P.size()) {
        char c = P[i];
        openEnd = false;
        if (c == '?') {
            if (j >= S.size() || !alnum(S[j]))
                return false;
            ++i, ++j;
        } else if (c == '|' && level == 3) {
            if (i == P.size() - 1)
                return S.size() - j <= 1;
            size_t run = 0;
            while (i + run < P.size() && P[i + run] == '|')
                ++run;
            if (f != Ext && run >= 2 && P.size() - (i + run) >= 2) {
                std::string starred(1, '*');
                starred.append(P, i + run, std::string::npos);
                if (!match(starred, S.substr(j), level, cs, Standard))
                    return false;
            }
            if (match(P.substr(i + 1), S.substr(j), level, cs, recursed(f)))
                return true;
            if (j == S.size())
                return false;
            ++i, ++j;
        } else if (c == '*') {
            if (i == P.size() - 1) {
                openEnd = true;
                break;
            }
            for (size_t k = j; k <= S.size(); ++k)
                if (match(P.substr(i + 1), S.substr(k), level, cs, recursed(f)))
                    return true;
            return false;
        } else if (c == '[' && level >= 2) {
            size_t k = i + 1;
            bool neg = k < P.size() && P[k] == '^';
            if (neg)
                ++k;
            int depth = 1;
            size_t close = std::string::npos;
            for (size_t q = k; q < P.size(); ++q) {
                if (P[q] == '[')
                    ++depth;
                else if (P[q] == ']' && --depth == 0) {
                    close = q;
                    break;
                }
            }
            if (close == std::string::npos) {
                if (j >= S.size())
                    return false;
                ++j;
                i = std::min(k + 1, P.size());
                continue;
            }
            std::string set = P.substr(k, std::min<size_t>(close - k, 255));
            size_t comma = set.find(',');
            if (level == 3 && comma != std::string::npos && comma != 0) {
                std::vector<std::string> alts;
                size_t a = 0;
                for (;;) {
                    size_t b = set.find(',', a);
                    std::string alt = set.substr(a, b == std::string::npos ? b : b - a);
                    if (!alt.empty())
                        alts.push_back(alt);
                    if (b == std::string::npos)
                        break;
                    a = b + 1;
                }
                std::string rest = S.substr(j, 255);
                bool matched = false;
                size_t taken = 0;
                for (const std::string& alt : alts) {
                    if (alt.find_first_of("*|") != std::string::npos) {
                        for (size_t len = rest.size(); len >= 1; --len)
                            if (match(alt, rest.substr(0, len), level, cs, recursed(f))) {
                                matched = true;
                                taken = len;
                                openEnd = alt.back() == '*';
                                break;
                            }
                    } else {
                        int len = f == Plus ? altLength(alt) : int(alt.size());
                        if (len >= 0 && size_t(len) <= rest.size() &&
                            match(alt, rest.substr(0, size_t(len)), level, cs, recursed(f))) {
                            matched = true;
                            taken = size_t(len);
                        }
                    }
                    if (matched)
                        break;
                }
                if (neg) {
                    if (matched || j >= S.size())
                        return false;
                    openEnd = false;
                    ++j;
                } else {
                    if (!matched)
                        return false;
                    j += taken;
                }
                i = close + 1;
                if (i == P.size())
                    break;  // keep the open end of a starred alternative
                continue;
            }
            if (j >= S.size())
                return false;
            bool hit = false;
            for (size_t q = 0; q < set.size() && !hit;) {
                if (q != 0 && q != set.size() - 1 && set[q] == '-') {
                    auto key = [&](char x) { return int((signed char)(cs ? x : upper(x))); };
                    int lo = std::min(key(set[q - 1]), key(set[q + 1]));
                    int hi = std::max(key(set[q - 1]), key(set[q + 1]));
                    hit = lo <= key(S[j]) && key(S[j]) <= hi;
                    q += 2;
                } else {
                    if (f == Plus && (set[q] == '*' || set[q] == '?' || set[q] == '|'))
                        hit = true;
                    else
                        hit = same(set[q], S[j], cs);
                    ++q;
                }
            }
            if (hit == neg)
                return false;
            ++j;
            i = close + 1;
        } else {
            if (j >= S.size() || !same(c, S[j], cs))
                return false;
            ++i, ++j;
        }
    }
    return openEnd || j == S.size();
}

}  // namespace reference

#endif
