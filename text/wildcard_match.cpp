// Wildcard matching without exponential blow-up.
//
// The meaning of a pattern is given by a recursive definition: a '*' tries
// the rest of the pattern at every later string position, a bar tries the
// rest at the current position and then one character on, and the first
// success wins. Taken literally that costs time exponential in the number of
// stars, and stack depth proportional to the pattern and string.
//
// Here the same definition is searched depth first with an explicit stack.
// A search state is (pattern position, string position, mode); every state
// is a pure function of those three values, since the rest of the pattern
// and string are fixed. A star at (i, j) becomes the two alternatives
// "rest after the star at j" and "the same star at j + 1", which together
// are the OR over all later positions; a bar becomes "rest at j" and "rest
// at j + 1". Brackets, '?' and plain characters are deterministic steps.
//
// Every choice is an OR, so the match is a question of reachability: does
// some path of states lead to a success? A state met a second time can be
// dropped, whatever the order of the search. After a step budget of about
// one pass over pattern and string, which only searches that come back to
// the same places exhaust, entered states are remembered, which bounds the
// work by the number of distinct states, |pattern| x |string|. Below the
// budget nothing is recorded and the common case pays nothing.
//
// Comma-list alternatives are matched as separate searches over a range of
// the pattern and a prefix of the string. An alternative holds no comma, so
// no list nests inside one, and the native stack depth stays constant. A
// search meets the same list at many string positions, so it reads each
// list once, into fixed space of its own, and keeps its alternatives.
//
// Mode matters for the Plus flavour only: its own steps use its permissive
// bracket rules, while everything it reaches through a star, a bar or a
// list alternative is matched by the standard rules.
#include "text/wildcard_match.h"

#include "frame/text_forms.h"

#include "text/aligned_blocks.h"
#include "text/char_class.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>
#include <type_traits>
#include <unordered_map>
#include <unordered_set>
#include <vector>

namespace pelund {

template <class Ch>
int alternativeLengthOf(const Ch* text, size_t n, size_t* start)
{
    size_t k = start ? *start : 0;
    if (k < n && text[k] == '^') {
        ++k;
        if (start)
            *start = k;
    }
    int count = 0;
    size_t depth = 0;
    for (; k < n; ++k) {
        if (text[k] == '[') {
            ++depth;
        } else if (text[k] == ']') {
            if (depth == 0)
                break;
            --depth;
        } else {
            ++count;
        }
    }
    for (size_t d = 0; d < n; ++d) {
        if (text[d] != '-')
            continue;
        if (d > 0 && d + 1 < n && isAsciiAlnum(text[d - 1]) && isAsciiAlnum(text[d + 1]))
            count -= 2;
        break;
    }
    return count;
}

int alternativeLength(const char* text, size_t n, size_t* start)
{
    return alternativeLengthOf(text, n, start);
}

namespace {

constexpr size_t none = size_t(-1);

template <class Ch>
constexpr size_t setLimit = std::is_same_v<Ch, char> ? 255 : 511;

// ASCII upper case of every 8-bit character, read from a table: comparing
// two characters while ignoring case then takes no branch.
constexpr struct UpperTable {
    unsigned char of[256];
    constexpr UpperTable() : of()
    {
        for (int c = 0; c < 256; ++c)
            of[c] = (unsigned char)(c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c);
    }
} upperTable;

// sameChar, with the 8-bit case rule read from the table.
template <class Ch>
inline bool sameCharFast(Ch a, Ch b, bool cs)
{
    if constexpr (std::is_same_v<Ch, char>)
        return cs ? a == b
                  : upperTable.of[(unsigned char)a] == upperTable.of[(unsigned char)b];
    else
        return sameChar(a, b, cs);
}

// The length of the text at S, 8-bit text read inline in aligned blocks:
// names are short, and a call to the C library costs as much as the scan.
template <class Ch>
inline size_t lengthOf(const Ch* s)
{
#if defined(PELUND_ALIGNED_BLOCKS)
    if constexpr (std::is_same_v<Ch, char>) {
        const __m128i zero = _mm_setzero_si128();
        const size_t shift = blockOffset(s);
        const char* block = s - shift;
        unsigned ends = unsigned(_mm_movemask_epi8(_mm_cmpeq_epi8(loadBlock(block), zero)));
        ends >>= shift;
        while (ends == 0) {
            block += 16;
            ends = unsigned(_mm_movemask_epi8(_mm_cmpeq_epi8(loadBlock(block), zero)));
            if (ends)
                return size_t(block - s) + size_t(__builtin_ctz(ends));
        }
        return size_t(__builtin_ctz(ends));
    }
#endif
    return strLen(s);
}

// The first place at or after S that holds A or B, or else the terminator.
inline const char* findEitherOrEnd(const char* s, char a, char b)
{
#if defined(PELUND_ALIGNED_BLOCKS)
    const __m128i zero = _mm_setzero_si128(), va = _mm_set1_epi8(a), vb = _mm_set1_epi8(b);
    auto hits = [&](const char* block) {
        __m128i v = loadBlock(block);
        __m128i any = _mm_or_si128(_mm_cmpeq_epi8(v, zero),
                                   _mm_or_si128(_mm_cmpeq_epi8(v, va), _mm_cmpeq_epi8(v, vb)));
        return unsigned(_mm_movemask_epi8(any));
    };
    const size_t shift = blockOffset(s);
    const char* block = s - shift;
    unsigned found = hits(block) >> shift;
    if (found)
        return s + __builtin_ctz(found);
    for (;;) {
        block += 16;
        found = hits(block);
        if (found)
            return block + __builtin_ctz(found);
    }
#else
    while (*s && *s != a && *s != b)
        ++s;
    return s;
#endif
}

template <class Ch>
bool isSpecial(Ch c, int level)
{
    return c == '?' || c == '*' || (c == '[' && level >= 2) || (c == '|' && level >= 3);
}

// Where the literal tail of a pattern starts: no special character follows.
template <class Ch>
size_t literalTailOf(const Ch* p, size_t pn, int level)
{
    while (pn > 0 && !isSpecial(p[pn - 1], level))
        --pn;
    return pn;
}

// A bracket at I: its set text, the ']' that closes it, or none.
struct Bracket {
    size_t set, setLen, close;
    bool negated, list;
};

template <class Ch>
[[gnu::always_inline]] inline Bracket parseBracket(const Ch* p, size_t pn, size_t i, int level)
{
    Bracket b{i + 1, 0, none, false, false};
    if (b.set < pn && p[b.set] == '^') {
        b.negated = true;
        ++b.set;
    }
    size_t depth = 1;
    for (size_t q = b.set; q < pn; ++q) {
        if (p[q] == '[') {
            ++depth;
        } else if (p[q] == ']' && --depth == 0) {
            b.close = q;
            break;
        }
    }
    if (b.close == none)
        return b;
    b.setLen = std::min(b.close - b.set, setLimit<Ch>);
    if (level == 3) {
        const Ch* set = p + b.set;
        size_t comma = size_t(std::find(set, set + b.setLen, Ch(',')) - set);
        b.list = comma != b.setLen && comma != 0;
    }
    return b;
}

// Range ends compare as signed bytes in 8-bit text, as unsigned units in
// UTF-16.
template <class Ch>
bool inRange(Ch a, Ch b, Ch c, bool cs)
{
    auto key = [cs](Ch x) {
        Ch u = cs ? x : toUpperAscii(x);
        if constexpr (std::is_same_v<Ch, char>)
            return int(static_cast<signed char>(u));
        else
            return int(unitOf(u));
    };
    int lo = std::min(key(a), key(b)), hi = std::max(key(a), key(b)), v = key(c);
    return lo <= v && v <= hi;
}

// PLUS: a '*', '?' or '|' member stands for any character.
template <class Ch>
[[gnu::always_inline]] inline bool inSet(const Ch* set, size_t n, Ch c, bool cs, bool plus)
{
    for (size_t q = 0; q < n;) {
        if (q != 0 && q != n - 1 && set[q] == '-') {
            if (inRange(set[q - 1], set[q + 1], c, cs))
                return true;
            q += 2;
        } else {
            Ch m = set[q];
            if (plus && (m == '*' || m == '?' || m == '|'))
                return true;
            if (sameChar(m, c, cs))
                return true;
            ++q;
        }
    }
    return false;
}

// One element that takes exactly one character C: '?', a plain character,
// or a bracket that is no comma list. Returns the pattern position after
// it, or none when C does not fit.
template <class Ch>
[[gnu::always_inline]] inline size_t singleStep(const Ch* p, size_t pn, size_t i, Ch c, int level,
                                                bool cs, bool plus)
{
    Ch e = p[i];
    if (e == '?')
        return isAsciiAlnum(c) ? i + 1 : none;
    if (e == '[' && level >= 2) {
        Bracket b = parseBracket(p, pn, i, level);
        if (b.close == none)
            return std::min(b.set + 1, pn);  // unterminated: any one character
        return inSet(p + b.set, b.setLen, c, cs, plus) != b.negated ? b.close + 1 : none;
    }
    return sameChar(e, c, cs) ? i + 1 : none;
}

// Patterns in which every element but the stars takes exactly one
// character (all of levels 1 and 2; level 3 without bars and lists) are
// matched by the classic method: only the last star passed is ever
// revisited. Choosing the earliest place for each piece between stars leaves
// the most string for the rest, and a star followed by the rest matches from
// a place whenever it matches from a later one, so nothing is lost.
// SN may be none for a NUL-terminated string of unknown length.
// STEP(i, c, plus) is singleStep at I, or the same answer read from a
// compiled pattern.
template <class Ch, class StepFn>
bool greedyMatch(const Ch* p, size_t pn, const Ch* s, size_t sn, int level, bool cs, bool plus,
                 StepFn step)
{
    auto atEnd = [&](size_t j) { return j == sn || (sn == none && s[j] == 0); };
    size_t i = 0, j = 0, starI = none, starJ = 0, tail = none;
    // Resumes after the last star at STARJ or, when a plain character
    // follows the star, at the next place that holds that character.
    auto nextStart = [&] {
        const Ch c = p[starI];
        bool scanned = isSpecial(c, level);
        if constexpr (std::is_same_v<Ch, char>) {
            if (!scanned && sn == none) {
                char other = cs || !isAsciiLetter(c) ? c : char(c ^ 0x20);
                starJ = size_t(findEitherOrEnd(s + starJ, c, other) - s);
                scanned = true;
            }
        }
        if (!scanned)
            while (!atEnd(starJ) && !sameCharFast(c, s[starJ], cs))
                ++starJ;
        i = starI;
        j = starJ;
    };
    // The literal head, compared straight away: most names fail here.
    while (i < pn && !isSpecial(p[i], level)) {
        if (atEnd(j) || !sameCharFast(p[i], s[j], cs))
            return false;
        ++i;
        ++j;
    }
    for (;;) {
        if (i < pn && p[i] == '*') {
            size_t e = i + 1;
            while (e < pn && p[e] == '*')
                ++e;
            if (e == pn)
                return true;
            plus = false;
            if (tail == none)
                tail = literalTailOf(p, pn, level);
            if (e == tail) {
                size_t len = sn != none ? sn : j + lengthOf(s + j);
                size_t tn = pn - tail;
                if (len - j < tn)
                    return false;
                for (size_t k = 0; k < tn; ++k)
                    if (!sameCharFast(p[tail + k], s[len - tn + k], cs))
                        return false;
                return true;
            }
            starI = e;
            starJ = j;
            nextStart();
            continue;
        }
        if (i < pn && !atEnd(j)) {
            size_t next = step(i, s[j], plus);
            if (next != none) {
                i = next;
                ++j;
                continue;
            }
        } else if (i == pn && atEnd(j)) {
            return true;
        }
        if (starI == none || atEnd(starJ))
            return false;
        ++starJ;
        nextStart();
    }
}

// The patterns that users type most ('*.dgn', 'plan-*', 'plan-0?.dgn'):
// plain characters and '?' with at most one run of stars, read in one pass
// over pattern and string at levels 1 to 3. Every element but the star
// takes exactly one character, so the head before the star must match the
// start of the string and the tail after it the end. Returns 1 or 0, or -1
// for a pattern of any other shape (nothing is lost: the caller then
// matches from the start). Bracket sets and bars are what set the
// flavours apart, so this holds for all of them.
template <bool cs, class Ch>
int matchOneStarAs(const Ch* p, const Ch* s, int level)
{
    auto fits = [](Ch e, Ch c) { return e == '?' ? isAsciiAlnum(c) : sameCharFast(e, c, cs); };
    auto other = [level](Ch e) { return (e == '[' && level >= 2) || (e == '|' && level >= 3); };
    size_t i = 0;
    for (;; ++i) {
        Ch e = p[i];
        if (e == 0)
            return s[i] == 0;
        if (e == '*')
            break;
        if (other(e))
            return -1;
        // Every element so far took one character without a choice, so a
        // mismatch here is final.
        if (s[i] == 0 || !fits(e, s[i]))
            return 0;
    }
    const size_t head = i;
    while (p[i] == '*')
        ++i;
    const Ch* tail = p + i;
    size_t tn = 0;
    for (; tail[tn]; ++tn)
        if (tail[tn] == '*' || other(tail[tn]))
            return -1;
    if (tn == 0)
        return 1;
    size_t sn = head + lengthOf(s + head);
    if (sn - head < tn)
        return 0;
    // From the last character on: names that differ mostly differ there
    // ('.dgn' against '.pdf').
    const Ch* end = s + sn - tn;
    for (size_t k = tn; k-- > 0;)
        if (!fits(tail[k], end[k]))
            return 0;
    return 1;
}

template <class Ch>
int matchOneStar(const Ch* p, const Ch* s, int level, bool cs)
{
    return cs ? matchOneStarAs<true>(p, s, level) : matchOneStarAs<false>(p, s, level);
}

template <class Ch>
bool takesSingleCharacters(const Ch* p, size_t pn, int level)
{
    if (level <= 2)
        return true;
    for (size_t k = 0; k < pn; ++k)
        if (p[k] == '|' || p[k] == ',')
            return false;
    return true;
}

template <class Ch>
bool matchAny(const Ch* p, size_t pn, const Ch* s, size_t sn, int level, bool cs,
              WildcardFlavor flavor);

// The depth-first search for patterns with bars or comma lists.
template <class Ch>
class Matcher {
public:
    Matcher(const Ch* p, size_t pn, const Ch* s, size_t sn, int level, bool cs,
            WildcardFlavor flavor)
        : p_(p), pn_(pn), s_(s), sn_(sn), level_(std::min(level, 3)), cs_(cs), flavor_(flavor),
          budget_(64 + pn + sn)
    {
        literalTail_ = literalTailOf(p_, pn_, level_);
    }

    bool run()
    {
        if (follow({0, 0, Own}))
            return true;
        while (!pending_.empty()) {
            Pending& top = pending_.back();
            State st{top.i, top.from, top.mode};
            if (top.from < top.to)
                ++top.from;
            else
                pending_.pop_back();
            if (firstVisit(st, Entered) && follow(st))
                return true;
        }
        return false;
    }

private:
    enum : uint8_t { Own = 0, Std = 1 };
    // A state is remembered separately as taken from the stack and as the
    // place of a star or bar choice: a target can itself be a choice.
    enum : uint8_t { Entered = 0, Chose = 1 };
    static constexpr size_t setLimit = pelund::setLimit<Ch>;

    struct State {
        size_t i, j;
        uint8_t mode;
    };

    // Alternatives still to try: pattern position I at every string position
    // FROM to TO, in that order.
    struct Pending {
        size_t i, from, to;
        uint8_t mode;
    };

    struct Interval {
        size_t lo = none, hi = none;
    };

    struct Step {
        bool ok;
        size_t i, j;
        bool openEnd;
    };

    // A list alternative: its place in the set and its length, what it holds
    // (stars or bars, nothing special, or something between) and its length
    // by the Plus flavour's own rules.
    enum : uint8_t { Plain, Fixed, Open };
    struct Alternative {
        uint16_t at, length;
        int ownLength;
        uint8_t kind;
    };

    // A comma list read once: the bracket at I, its set and its closing ']',
    // and its COUNT alternatives from FIRST on in alternatives_.
    struct KeptList {
        size_t i, set, close, first, count;
        bool negated;
    };
    // Every list alternative holds at least one character and a comma
    // follows all but the last, so one list of any length always fits.
    static constexpr size_t listsKept = 8, alternativesKept = setLimit / 2 + 1;

    bool plusRules(uint8_t mode) const { return flavor_ == WildcardFlavor::Plus && mode == Own; }
    uint8_t recursionMode(uint8_t mode) const
    {
        return flavor_ == WildcardFlavor::Plus ? uint8_t(Std) : mode;
    }

    bool special(Ch c) const { return isSpecial(c, level_); }

    // Schedules (I, FROM..TO). Once states are remembered, the positions of
    // each pattern place that are already scheduled or entered are kept as
    // one interval, and only what lies outside it is pushed: otherwise every
    // star would schedule the whole rest of the string again and the search
    // would grow with the square of the string.
    void tryLater(size_t i, size_t from, size_t to, uint8_t mode)
    {
        if (from > to)
            return;
        if (!remember_) {
            pending_.push_back({i, from, to, mode});
            return;
        }
        Interval& known = scheduled_[i * 2 + mode];
        if (known.lo == none || to + 1 < known.lo || from > known.hi + 1) {
            pending_.push_back({i, from, to, mode});
            known = {from, to};
            return;
        }
        if (from < known.lo)
            pending_.push_back({i, from, known.lo - 1, mode});
        if (to > known.hi)
            pending_.push_back({i, known.hi + 1, to, mode});
        known = {std::min(from, known.lo), std::max(to, known.hi)};
    }

    // Follows the deterministic steps from ST, leaving the other branches of
    // every choice on the stack. True on a match.
    bool follow(State st)
    {
        size_t i = st.i, j = st.j;
        uint8_t mode = st.mode;
        bool openEnd = false;
        for (;;) {
            if (++steps_ > budget_ && !memoOn_)
                enableMemo();
            if (i == pn_)
                return openEnd || j == sn_;
            openEnd = false;
            Ch c = p_[i];
            if (c == '?') {
                if (j >= sn_ || !isAsciiAlnum(s_[j]))
                    return false;
                ++i;
                ++j;
            } else if (c == '*') {
                // A run of stars means what one star means.
                size_t e = i + 1;
                while (e < pn_ && p_[e] == '*')
                    ++e;
                if (e == pn_)
                    return true;
                if (!firstVisit({i, j, mode}, Chose))
                    return false;
                if (e == literalTail_) {
                    size_t tail = pn_ - literalTail_;
                    return sn_ - j >= tail && literalEqual(literalTail_, sn_ - tail);
                }
                if (!special(p_[e]))
                    while (j < sn_ && !sameChar(p_[e], s_[j], cs_))
                        ++j;
                mode = recursionMode(mode);
                tryLater(e, j + 1, sn_, mode);
                i = e;
            } else if (c == '|' && level_ == 3) {
                size_t k = i + 1;
                while (k < pn_ && p_[k] == '|')
                    ++k;
                size_t run = k - i;
                if (k == pn_)
                    return sn_ - j <= run;
                if (!firstVisit({i, j, mode}, Chose))
                    return false;
                // The run takes zero to RUN characters, each choice matched by
                // the standard rules. In the Plus flavour's own steps the
                // path that takes one character at every bar stays in its
                // own mode, subject to the quick rejection of long runs.
                if (plusRules(mode) && j + run <= sn_ &&
                    !(run >= 2 && pn_ - k >= 2 && quickRejects(k, j + run - 2)))
                    tryLater(k, j + run, j + run, mode);
                size_t last = std::min(j + run - (plusRules(mode) ? 1 : 0), sn_);
                mode = recursionMode(mode);
                tryLater(k, j + 1, last, mode);
                i = k;
            } else if (c == '[' && level_ >= 2) {
                Step step = bracket(i, j, mode);
                if (!step.ok)
                    return false;
                i = step.i;
                j = step.j;
                openEnd = step.openEnd;
            } else {
                if (j >= sn_ || !sameChar(c, s_[j], cs_))
                    return false;
                ++i;
                ++j;
            }
        }
    }

    // An alternative without special characters matches only its own text.
    bool isPlain(const Ch* alt, size_t n) const
    {
        for (size_t k = 0; k < n; ++k)
            if (special(alt[k]))
                return false;
        return true;
    }

    bool sameText(const Ch* a, const Ch* b, size_t n) const
    {
        for (size_t k = 0; k < n; ++k)
            if (!sameCharFast(a[k], b[k], cs_))
                return false;
        return true;
    }

    bool literalEqual(size_t i, size_t j) const { return sameText(p_ + i, s_ + j, pn_ - i); }

    // A bracket at I: a set, a negated set or (level 3) a comma list.
    Step bracket(size_t i, size_t j, uint8_t mode)
    {
        if (j >= sn_)
            return {false, 0, 0, false};  // every form of bracket needs a character
        for (size_t k = 0; k < listCount_; ++k)
            if (lists_[k].i == i)
                return list(lists_[k], j, mode);
        Bracket b = parseBracket(p_, pn_, i, level_);
        if (b.list)
            return list(readList(i, b), j, mode);
        size_t next = singleStep(p_, pn_, i, s_[j], level_, cs_, plusRules(mode));
        return {next != none, next, j + 1, false};
    }

    // Reads the comma list B at I into the kept lists, which a search
    // reaches again at every string position a star or bar hands it. When
    // they are full they are emptied first: a pattern with more lists than
    // fit reads some of them again, as a search without them would.
    const KeptList& readList(size_t i, const Bracket& b)
    {
        const Ch* set = p_ + b.set;
        size_t count = 0;
        for (size_t q = 0; q < b.setLen; ++q)
            count += set[q] != ',' && (q == 0 || set[q - 1] == ',');
        if (listCount_ == listsKept || alternativeCount_ + count > alternativesKept) {
            listCount_ = 0;
            alternativeCount_ = 0;
        }
        KeptList& l = lists_[listCount_++];
        l = {i, b.set, b.close, alternativeCount_, 0, b.negated};
        for (size_t a = 0; a <= b.setLen;) {
            size_t e = size_t(std::find(set + a, set + b.setLen, Ch(',')) - set);
            if (e > a) {
                alternatives_[alternativeCount_++] = describe(set + a, a, e - a);
                ++l.count;
            }
            a = e + 1;
        }
        return l;
    }

    // How alternative ALT[0, N), at AT in its set, is to be matched.
    Alternative describe(const Ch* alt, size_t at, size_t n) const
    {
        Alternative d{uint16_t(at), uint16_t(n), int(n), Fixed};
        if (std::find(alt, alt + n, Ch('*')) != alt + n ||
            std::find(alt, alt + n, Ch('|')) != alt + n)
            d.kind = Open;
        else if (isPlain(alt, n))
            d.kind = Plain;
        if constexpr (std::is_same_v<Ch, char>)
            if (flavor_ == WildcardFlavor::Plus)
                d.ownLength = alternativeLengthOf(alt, n, nullptr);
        return d;
    }

    // The first alternative that matches at J is taken, and there is no
    // going back into later ones.
    Step list(const KeptList& l, size_t j, uint8_t mode)
    {
        const size_t rest = std::min(sn_ - j, setLimit);
        const WildcardFlavor sub =
            flavor_ == WildcardFlavor::Plus ? WildcardFlavor::Standard : flavor_;
        bool matched = false, openEnd = false;
        size_t taken = 0;
        const Alternative* end = alternatives_ + l.first + l.count;
        for (const Alternative* d = alternatives_ + l.first; d != end && !matched; ++d) {
            const Ch* alt = p_ + l.set + d->at;
            size_t an = d->length;
            if (d->kind == Open) {
                for (size_t len = rest; len >= 1 && !matched; --len) {
                    if (matchAny(alt, an, s_ + j, len, level_, cs_, sub)) {
                        matched = true;
                        taken = len;
                        openEnd = alt[an - 1] == '*';
                    }
                }
            } else {
                long long len = plusRules(mode) ? d->ownLength : (long long)an;
                if (len >= 0 && size_t(len) <= rest &&
                    (d->kind == Plain
                         ? size_t(len) == an && sameText(alt, s_ + j, an)
                         : matchAny(alt, an, s_ + j, size_t(len), level_, cs_, sub))) {
                    matched = true;
                    taken = size_t(len);
                }
            }
        }
        if (l.negated) {
            // Fails where an alternative matches, else takes one character.
            if (matched)
                return {false, 0, 0, false};
            return {true, l.close + 1, j + 1, false};
        }
        if (!matched)
            return {false, 0, 0, false};
        return {true, l.close + 1, j + taken, openEnd};
    }

    // Before a run of two or more bars with at least two pattern characters
    // after it, the Plus flavour requires that '*' and the rest match from J.
    bool quickRejects(size_t k, size_t j)
    {
        uint64_t key = uint64_t(k) << 32 ^ uint64_t(j);
        auto found = quick_.find(key);
        if (found != quick_.end())
            return found->second;
        std::basic_string<Ch> starred(1, Ch('*'));
        starred.append(p_ + k, pn_ - k);
        bool rejects = !matchAny(starred.data(), starred.size(), s_ + j, sn_ - j, level_, cs_,
                                 WildcardFlavor::Standard);
        quick_.emplace(key, rejects);
        return rejects;
    }

    void enableMemo()
    {
        memoOn_ = true;
        if (pn_ >= (size_t(1) << 31) || sn_ >= (size_t(1) << 31))
            return;  // beyond any real name: search on without memory
        uint64_t states = uint64_t(pn_ + 1) * uint64_t(sn_ + 1) * 4;
        if (states <= (uint64_t(1) << 26))
            seenBits_.assign(size_t(states / 64 + 1), 0);
        scheduled_.resize((pn_ + 1) * 2);
        remember_ = true;
    }

    // False when ST was entered before (and so failed).
    bool firstVisit(const State& st, uint8_t kind)
    {
        if (!remember_)
            return true;
        uint64_t key = ((uint64_t(st.i) * uint64_t(sn_ + 1) + st.j) * 2 + st.mode) * 2 + kind;
        if (!seenBits_.empty()) {
            uint64_t& word = seenBits_[key >> 6];
            uint64_t bit = uint64_t(1) << (key & 63);
            if (word & bit)
                return false;
            word |= bit;
            return true;
        }
        return seenSet_.insert(key).second;
    }

    const Ch* p_;
    size_t pn_;
    const Ch* s_;
    size_t sn_;
    int level_;
    bool cs_;
    WildcardFlavor flavor_;
    size_t literalTail_;
    std::vector<Pending> pending_;
    std::vector<Interval> scheduled_;
    size_t steps_ = 0, budget_;
    bool memoOn_ = false, remember_ = false;
    std::vector<uint64_t> seenBits_;
    std::unordered_set<uint64_t> seenSet_;
    std::unordered_map<uint64_t, bool> quick_;
    // Filled as lists are met; nothing here is read before it is written.
    KeptList lists_[listsKept];
    Alternative alternatives_[alternativesKept];
    size_t listCount_ = 0, alternativeCount_ = 0;
};

// Kept out of line, so that the common patterns, which never get here, do
// not pay for the search's stack frame.
template <class Ch>
[[gnu::noinline]] bool search(const Ch* p, size_t pn, const Ch* s, size_t sn, int level, bool cs,
                              WildcardFlavor flavor)
{
    if (sn == none)
        sn = strLen(s);
    return Matcher<Ch>(p, pn, s, sn, level, cs, flavor).run();
}

template <class Ch>
bool matchAny(const Ch* p, size_t pn, const Ch* s, size_t sn, int level, bool cs,
              WildcardFlavor flavor)
{
    level = std::min(level, 3);
    if (level < 0)
        return sn == 0 || (sn == none && s[0] == 0);
    if (level == 0) {
        size_t k = 0;
        while (k < pn && k != sn && p[k] == s[k])
            ++k;
        return k == pn && (sn == none ? s[k] == 0 : k == sn);
    }
    if (takesSingleCharacters(p, pn, level))
        return greedyMatch(p, pn, s, sn, level, cs, flavor == WildcardFlavor::Plus,
                           [&](size_t i, Ch c, bool plus) {
                               return singleStep(p, pn, i, c, level, cs, plus);
                           });
    return search(p, pn, s, sn, level, cs, flavor);
}

// A pattern matched by greedyMatch, with the answer of each element for
// every 8-bit character worked out once: the element at I takes C when bit
// C of FITS[I] is set, and is then followed by NEXT[I]. Brackets are then
// read once per pattern instead of once per name.
struct CompiledPattern {
    static constexpr size_t maxLength = 64;
    // The pattern at TEXT, with its terminator and zeros to a whole block
    // past it; the block before it lets TEXT be read as aligned with
    // another string.
    char area[16 + maxLength + 16];
    size_t length;
    int level;
    bool cs;
    bool compiled;  // false until the pattern is used a second time
    uint64_t fits[maxLength][4];
    uint8_t next[maxLength];

    char* text() { return area + 16; }
    const char* text() const { return area + 16; }

    // True when P is this pattern, read no further than the block that
    // holds its first difference from it.
    bool holds(const char* p, int lv, bool c) const
    {
        if (level != lv || cs != c)
            return false;
#if defined(PELUND_ALIGNED_BLOCKS)
        const size_t shift = blockOffset(p);
        const char* block = p - shift;
        const char* mine = text() - shift;
        unsigned valid = 0xffffu << shift & 0xffffu;
        for (;; block += 16, mine += 16, valid = 0xffffu) {
            __m128i t = _mm_loadu_si128(reinterpret_cast<const __m128i*>(mine));
            unsigned differ = ~unsigned(_mm_movemask_epi8(_mm_cmpeq_epi8(loadBlock(block), t)));
            unsigned ends = unsigned(_mm_movemask_epi8(_mm_cmpeq_epi8(t, _mm_setzero_si128())));
            differ &= valid;
            ends &= valid;
            if (ends) {
                unsigned upToEnd = (ends & -ends) * 2 - 1;  // to the first terminator
                return (differ & upToEnd) == 0;
            }
            if (differ)
                return false;
        }
#else
        return std::strcmp(text(), p) == 0;
#endif
    }

    void compile()
    {
        // Only the elements that the match can reach: from 0, each element
        // leads to the next, and a star to the place after it.
        for (size_t i = 0; i < length;) {
            if (text()[i] == '*') {
                ++i;
                continue;
            }
            size_t after = none;
            std::fill(fits[i], fits[i] + 4, 0);
            for (int c = 0; c < 256; ++c) {
                size_t n = singleStep(text(), length, i, char(c), level, cs, false);
                if (n != none) {
                    fits[i][c >> 6] |= uint64_t(1) << (c & 63);
                    after = n;
                }
            }
            fits[i][0] &= ~uint64_t(1);  // the terminator is the end, no character
            if (after == none)
                break;
            next[i] = uint8_t(after);
            i = after;
        }
        compiled = true;
    }

    size_t step(size_t i, char c) const
    {
        auto u = static_cast<unsigned char>(c);
        return fits[i][u >> 6] >> (u & 63) & 1 ? next[i] : none;
    }

    // True when a string that starts with C (C is 0 for the empty string)
    // cannot match: the pattern starts with an element that takes exactly
    // one character, and not this one. Most names fail here.
    bool rejectsFirst(char c) const
    {
        auto u = static_cast<unsigned char>(c);
        return text()[0] != '*' && !(fits[0][u >> 6] >> (u & 63) & 1);
    }
};

// The last few patterns this thread matched by greedyMatch. An entry is the
// exact bytes of the pattern with the level and case flag, compared in full
// on every call, so a hit answers exactly as reading the pattern would; the
// number of entries is fixed. A pattern is compiled on its second use, so
// callers that never repeat a pattern pay only the comparison. All of it is
// one thread-local object, so that a call finds it once.
struct RememberedPatterns {
    static constexpr size_t slots = 4;
    CompiledPattern entries[slots];
    size_t used = 0, next = 0, last = 0;
};
thread_local RememberedPatterns remembered;

// The compiled entry for P, or null when P is not among the entries.
const CompiledPattern* compiledFor(const char* p, int level, bool cs)
{
    RememberedPatterns& r = remembered;
    // The entry used last answers most calls; it is compiled unless it was
    // replaced since.
    CompiledPattern& last = r.entries[r.last];
    if (last.compiled && last.holds(p, level, cs))
        return &last;
    for (size_t slot = 0; slot < r.used; ++slot) {
        CompiledPattern& e = r.entries[slot];
        if (e.holds(p, level, cs)) {
            if (!e.compiled)
                e.compile();
            r.last = slot;
            return &e;
        }
    }
    return nullptr;
}

// Makes P an entry, in place of the oldest one.
void remember(const char* p, size_t pn, int level, bool cs)
{
    RememberedPatterns& r = remembered;
    CompiledPattern& e = r.entries[r.next];
    r.next = (r.next + 1) % RememberedPatterns::slots;
    if (r.used < RememberedPatterns::slots)
        ++r.used;
    std::memcpy(e.text(), p, pn);
    std::memset(e.text() + pn, 0, CompiledPattern::maxLength + 16 - pn);
    e.length = pn;
    e.level = level;
    e.cs = cs;
    e.compiled = false;
}

}  // namespace

bool matchRange(const char* pattern, size_t pn, const char* string, size_t sn, int level,
                bool caseSensitive, WildcardFlavor flavor)
{
    return matchAny(pattern, pn, string, sn, level, caseSensitive, flavor);
}

bool matchRange(const char16_t* pattern, size_t pn, const char16_t* string, size_t sn,
                int level, bool caseSensitive, WildcardFlavor flavor)
{
    return matchAny(pattern, pn, string, sn, level, caseSensitive, flavor);
}

namespace {

// A remembered pattern past its first element. Kept out of line, with the
// reading of new patterns, so that the calls that end at the first
// character run through a small function.
[[gnu::noinline]] bool matchCompiled(const CompiledPattern* c, const char* string)
{
    return greedyMatch(c->text(), c->length, string, none, c->level, c->cs, false,
                       [c](size_t i, char ch, bool) { return c->step(i, ch); });
}

[[gnu::noinline]] bool matchRead(const char* pattern, const char* string, int level,
                                 bool caseSensitive, WildcardFlavor flavor, bool compilable)
{
    const int lv = std::min(level, 3);
    size_t pn = strLen(pattern);
    if (compilable && pn <= CompiledPattern::maxLength && takesSingleCharacters(pattern, pn, lv))
        remember(pattern, pn, lv, caseSensitive);
    return matchAny(pattern, pn, string, none, level, caseSensitive, flavor);
}

}  // namespace

// The exported matcher's way in, which most names take and leave through the
// one-star road inlined here. Started on a 32-byte boundary, so that where
// its loops fall does not move with the size of the search code before it.
[[gnu::aligned(32)]] bool matchText(const char* pattern, const char* string, int level,
                                    bool caseSensitive, WildcardFlavor flavor)
{
    int quick = level >= 1 ? matchOneStar(pattern, string, level, caseSensitive) : -1;
    if (quick >= 0)
        return quick == 1;
    const bool compilable = level >= 1 && flavor != WildcardFlavor::Plus;
    if (compilable) {
        if (const CompiledPattern* c = compiledFor(pattern, std::min(level, 3), caseSensitive))
            return !c->rejectsFirst(string[0]) && matchCompiled(c, string);
    }
    return matchRead(pattern, string, level, caseSensitive, flavor, compilable);
}

bool matchText(const char16_t* pattern, const char16_t* string, int level, bool caseSensitive,
               WildcardFlavor flavor)
{
    int quick = level >= 1 ? matchOneStar(pattern, string, level, caseSensitive) : -1;
    if (quick >= 0)
        return quick == 1;
    return matchAny(pattern, strLen(pattern), string, none, level, caseSensitive, flavor);
}

}  // namespace pelund
