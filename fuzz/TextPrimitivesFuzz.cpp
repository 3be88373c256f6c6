// The searching, cutting and transforming primitives against a plain,
// byte-by-byte walk written straight from their rules, plus the properties
// every result must have whatever the rules: positions inside the text and
// at a character start, pieces that rebuild the text, lengths kept.
//
// Texts: 0 text, 1 sought (also the delimiter), 2 replacement.
// Parameters: byte 0 flags (bit 0 ignore case, 1 start given, 2 count given,
// 3 split limit given), byte 1 start, byte 2 count, byte 3 split limit.
#include <algorithm>
#include <cstring>
#include <optional>

#include "FuzzSupport.h"
#include "text/Primitives.h"

namespace velmora::fuzz {
namespace {

using sv = std::string_view;

bool Match(sv t, std::size_t p, sv s, bool ignoreCase) {
    return t.size() - p >= s.size() && SameBytes(t.substr(p, s.size()), s, ignoreCase);
}

int ModelFind(sv t, sv s, int start, bool ignoreCase) {
    const int length = int(t.size());
    const int from = std::max(start - 1, 0);
    if (from >= length) return -1;
    if (s.empty()) return 1;
    for (int p = from; p < length;) {
        if (Match(t, std::size_t(p), s, ignoreCase)) return p + 1;
        if (!IsLead(At(t, p))) {
            ++p;
        } else if (p + 1 >= length) {
            break;
        } else {
            p += 2;
        }
    }
    return -1;
}

int ModelFindReverse(sv t, sv s, std::optional<int> start, bool ignoreCase) {
    const int length = int(t.size());
    const int region = start ? std::min(std::max(*start - 1, 0), length) : length;
    if (s.empty()) return region > 0 ? 1 : -1;
    int last = -1;
    sv inside = t.substr(0, std::size_t(region));
    for (int p = 0; p < region;) {
        if (Match(inside, std::size_t(p), s, ignoreCase)) last = p + 1;
        p += IsLead(At(t, p)) ? 2 : 1;
    }
    return last;
}

std::vector<std::string> ModelSplit(sv t, sv d, std::optional<int> maxCount) {
    std::vector<std::string> out;
    int left = maxCount ? std::max(*maxCount, 0) : 0;
    if (t.empty() || (maxCount && left == 0)) return out;
    if (d.empty()) return {std::string(t)};
    std::size_t elementStart = 0;
    for (std::size_t p = 0; p < t.size();) {
        if (Match(t, p, d, false)) {
            out.emplace_back(t.substr(elementStart, p - elementStart));
            p += d.size();
            elementStart = p;
            if (maxCount && --left == 0) return out;
        } else if (!IsLead(At(t, p))) {
            ++p;
        } else if (p + 1 >= t.size()) {
            break;
        } else {
            p += 2;
        }
    }
    if (elementStart < t.size()) out.emplace_back(t.substr(elementStart));
    return out;
}

std::string ModelReplace(sv t, sv s, sv r, int start, int count, bool matchCase) {
    const std::size_t from = std::size_t(std::max(start - 1, 0));
    if (t.empty() || s.empty() || from >= t.size() || count == 0) return std::string(t);
    std::string out(t.substr(0, from));
    std::size_t p = from;
    while (p < t.size() && t.size() - p >= s.size()) {
        if (Match(t, p, s, !matchCase)) {
            out += r;
            p += s.size();
            if (count > 0 && --count == 0) break;
        } else if (!IsLead(At(t, p))) {
            out += t[p++];
        } else if (p + 1 >= t.size()) {
            p = t.size();  // a lone lead byte at the end is dropped
        } else {
            out += t.substr(p, 2);
            p += 2;
        }
    }
    out += t.substr(p);
    return out;
}

bool IsWideSpace(sv t, std::size_t p) { return p + 1 < t.size() && At(t, p) == 0xA1 && At(t, p + 1) == 0xA1; }

std::string ModelTrim(sv t) {
    std::size_t begin = 0;
    while (begin < t.size()) {
        if (t[begin] == ' ') {
            ++begin;
        } else if (IsWideSpace(t, begin)) {
            begin += 2;
        } else {
            break;
        }
    }
    std::size_t end = t.size();
    std::optional<std::size_t> run;
    for (std::size_t p = begin; p < t.size();) {
        if (t[p] == ' ') {
            if (!run) run = p;
            ++p;
        } else if (!IsLead(At(t, p))) {
            run.reset();
            ++p;
        } else if (p + 1 >= t.size()) {
            run.reset();
            end = p;
            break;
        } else {
            if (!IsWideSpace(t, p)) run.reset();
            else if (!run) run = p;
            p += 2;
        }
    }
    if (run) end = *run;
    return std::string(t.substr(begin, end - begin));
}

std::string ModelRemoveSpaces(sv t) {
    std::string out;
    for (std::size_t p = 0; p < t.size();) {
        if (t[p] == ' ') {
            ++p;
        } else if (!IsLead(At(t, p))) {
            out += t[p++];
        } else if (p + 1 >= t.size()) {
            break;
        } else {
            if (!IsWideSpace(t, p)) out += t.substr(p, 2);
            p += 2;
        }
    }
    return out;
}

std::string ModelChangeCase(sv t, char from, char to, int offset) {
    std::string out(t);
    for (std::size_t p = 0; p < out.size();) {
        if (IsLead(At(out, p))) {
            p += 2;
        } else {
            if (out[p] >= from && out[p] <= to) out[p] = char(out[p] + offset);
            ++p;
        }
    }
    return out;
}

int ModelTextToInt(sv t) {
    std::string folded;
    for (std::size_t p = 0; p < t.size();) {
        unsigned char b = At(t, p);
        if (!IsLead(b)) {
            folded += char(b);
            ++p;
            continue;
        }
        if (p + 1 >= t.size()) break;
        unsigned char second = At(t, p + 1);
        if (b == 0xA3 && second >= 0xA1 && second <= 0xFE) folded += char(second - 0x80);
        else if (b == 0xA1 && second == 0xA1) folded += ' ';
        else if (b == 0xA1 && second == 0xAB) folded += '~';
        else if (b == 0xA1 && (second == 0xEE || second == 0xEF)) folded += '*';
        else folded += t.substr(p, 2);
        p += 2;
    }
    std::size_t p = 0;
    while (p < folded.size() && (folded[p] == ' ' || (folded[p] >= 0x09 && folded[p] <= 0x0D))) ++p;
    bool negative = false;
    if (p < folded.size() && (folded[p] == '+' || folded[p] == '-')) negative = folded[p++] == '-';
    std::uint32_t value = 0;
    while (p < folded.size() && folded[p] >= '0' && folded[p] <= '9') value = value * 10u + unsigned(folded[p++] - '0');
    return int(negative ? 0u - value : value);
}

// An empty result is absent.
void CheckResult(const Text& result, sv expected) {
    FUZZ_CHECK(V(result) == expected);
    FUZZ_CHECK(result.IsAbsent() == expected.empty());
}

void CheckFind(const Text& text, const Text& sought, int start, bool ignoreCase) {
    const int found = FindText(text, sought, start, ignoreCase);
    FUZZ_CHECK(found == ModelFind(V(text), V(sought), start, ignoreCase));
    FUZZ_CHECK(found == -1 || (found >= 1 && found <= TextLength(text)));
    if (found > 0 && !sought.IsEmpty()) {
        const int from = std::max(start - 1, 0);
        FUZZ_CHECK(found - 1 >= from);
        FUZZ_CHECK(CharacterStarts(V(text), std::size_t(from))[std::size_t(found - 1)]);
        FUZZ_CHECK(SameBytes(V(text).substr(std::size_t(found - 1), std::size_t(TextLength(sought))), V(sought),
                             ignoreCase));
    }
}

void CheckFindReverse(const Text& text, const Text& sought, std::optional<int> start, bool ignoreCase) {
    const int found = FindTextReverse(text, sought, start, ignoreCase);
    FUZZ_CHECK(found == ModelFindReverse(V(text), V(sought), start, ignoreCase));
    FUZZ_CHECK(found == -1 || (found >= 1 && found <= TextLength(text)));
    if (found > 0 && !sought.IsEmpty()) {
        const int end = found - 1 + TextLength(sought);  // offset just past the occurrence
        FUZZ_CHECK(end <= TextLength(text));
        if (start) FUZZ_CHECK(end < std::max(*start, 1));  // ends before position start
        FUZZ_CHECK(CharacterStarts(V(text))[std::size_t(found - 1)]);
        FUZZ_CHECK(SameBytes(V(text).substr(std::size_t(found - 1), std::size_t(TextLength(sought))), V(sought),
                             ignoreCase));
    }
}

void CheckSplit(const Text& text, const Text& delimiter, std::optional<int> maxCount) {
    const TextArray pieces = SplitText(text, delimiter, maxCount);
    const std::vector<std::string> elements = Elements(pieces);
    FUZZ_CHECK(elements == ModelSplit(V(text), V(delimiter), maxCount));
    std::string joined;
    for (int i = 1; i <= pieces.Count(); ++i) {
        FUZZ_CHECK(pieces.At(i).IsAbsent() == pieces.At(i).IsEmpty());
        if (i > 1) joined += V(delimiter);
        joined += V(pieces.At(i));
    }
    if (delimiter.IsEmpty() || (maxCount && *maxCount <= 0)) return;
    if (!maxCount) {
        // The delimiter that ends the text leaves no empty last piece.
        FUZZ_CHECK(joined == V(text) || joined + std::string(V(delimiter)) == V(text));
    } else {
        FUZZ_CHECK(V(text).substr(0, joined.size()) == joined);
        FUZZ_CHECK(pieces.Count() <= *maxCount);
    }
}

void CheckReplace(const Text& text, const Text& sought, const Text& replacement, int start, int count,
                  bool matchCase) {
    const Text replaced = ReplaceText(text, sought, replacement, start, count, matchCase);
    const std::string expected = ModelReplace(V(text), V(sought), V(replacement), start, count, matchCase);
    FUZZ_CHECK(V(replaced) == expected);
    if (replacement.IsEmpty()) FUZZ_CHECK(TextLength(replaced) <= TextLength(text));
    // The bytes before start never change.
    const std::size_t kept = std::min(std::size_t(std::max(start - 1, 0)), std::size_t(TextLength(text)));
    FUZZ_CHECK(V(replaced).substr(0, kept) == V(text).substr(0, kept));
}

void CheckTrim(const Text& text) {
    const Text trimmed = TrimText(text);
    CheckResult(trimmed, ModelTrim(V(text)));
    FUZZ_CHECK(V(text).find(V(trimmed)) != sv::npos);
    // Not idempotent: 'ab ' + B0 trims to 'ab ' (the lone lead byte goes, the
    // space before it stays), which trims again to 'ab'.
    const Text removed = RemoveSpaces(text);
    CheckResult(removed, ModelRemoveSpaces(V(text)));
    FUZZ_CHECK(CountOccurrences(V(removed), " ") == 0);  // B0 20 is one character
}

void CheckCase(const Text& text) {
    const Text upper = UpperText(text);
    const Text lower = LowerText(text);
    CheckResult(upper, ModelChangeCase(V(text), 'a', 'z', -0x20));
    CheckResult(lower, ModelChangeCase(V(text), 'A', 'Z', 0x20));
    FUZZ_CHECK(TextLength(upper) == TextLength(text) && TextLength(lower) == TextLength(text));
    FUZZ_CHECK(V(UpperText(lower)) == V(upper) && V(LowerText(upper)) == V(lower));
}

void CheckCutting(const Text& text, int start, int count) {
    const sv t = V(text);
    const std::size_t length = t.size();
    CheckResult(LeftText(text, count), count <= 0 ? sv() : t.substr(0, std::size_t(count)));
    CheckResult(RightText(text, count), count <= 0 ? sv() : t.substr(length - std::min(length, std::size_t(count))));
    const bool none = start < 1 || std::size_t(start) > length || count <= 0;
    CheckResult(MidText(text, start, count), none ? sv() : t.substr(std::size_t(start - 1), std::size_t(count)));
}

void CheckConversions(const Text& text, const Text& other, const Input& in) {
    FUZZ_CHECK(TextToInt(text) == ModelTextToInt(V(text)));
    std::int32_t value;
    unsigned char raw[4] = {static_cast<unsigned char>(in.Byte(0)), static_cast<unsigned char>(in.Byte(1)),
                            static_cast<unsigned char>(in.Byte(2)), static_cast<unsigned char>(in.Byte(3))};
    std::memcpy(&value, raw, sizeof value);
    FUZZ_CHECK(TextToInt(IntToText(value)) == value);
    CheckResult(BytesToText(TextToBytes(text)), V(text));
    const int compared = CompareText(text, other);
    const int expected = V(text).compare(V(other));
    FUZZ_CHECK((compared < 0) == (expected < 0) && (compared == 0) == (expected == 0));
    const Text joined = ConcatText(text, other);
    FUZZ_CHECK(!joined.IsAbsent() && V(joined) == std::string(V(text)) + std::string(V(other)));
}

}  // namespace
}  // namespace velmora::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace velmora;
    using namespace velmora::fuzz;
    const Input in(data, size);
    const Text text = in.At(0);
    const Text sought = in.At(1);
    const Text replacement = in.At(2);
    const bool ignoreCase = in.Flag(0, 0);
    const int start = in.Flag(0, 1) ? in.Small(1) : 0;
    const int count = in.Flag(0, 2) ? in.Small(2) : -1;
    const std::optional<int> maxCount = in.Flag(0, 3) ? std::optional<int>(in.Small(3)) : std::nullopt;

    CheckFind(text, sought, start, ignoreCase);
    CheckFindReverse(text, sought, in.Flag(0, 1) ? std::optional<int>(start) : std::nullopt, ignoreCase);
    CheckSplit(text, sought, maxCount);
    CheckReplace(text, sought, replacement, start, count, !ignoreCase);
    CheckTrim(text);
    CheckCase(text);
    CheckCutting(text, in.Small(1), in.Small(2));
    CheckConversions(text, sought, in);
    return 0;
}
