#include "text/Primitives.h"

#include <algorithm>
#include <charconv>
#include <climits>
#include <cstring>
#include <utility>

#include "text/RuntimeError.h"
#include "text/TextWalk.h"

namespace velmora {

using walk::Bytes;

namespace {

constexpr unsigned char kSpace = 0x20;
constexpr unsigned char kWideSpaceByte = 0xA1;  // A1 A1 is the full-width space

bool IsWideSpaceAt(const unsigned char* d, int p, int length) {
    return d[p] == kWideSpaceByte && p + 1 < length && d[p + 1] == kWideSpaceByte;
}

// Copies the text and changes every one-byte character in [from, to] by
// the case offset; both bytes of a two-byte character stay.
Text ChangeCase(const Text& text, unsigned char from, unsigned char to, int offset) {
    Text result = Text::Result(text.View());
    auto* d = reinterpret_cast<unsigned char*>(result.MutableData());
    int length = result.Length();
    for (int p = 0; p < length;) {
        unsigned char b = d[p];
        if (walk::IsLead(b)) {
            p += 2;
        } else {
            if (b >= from && b <= to) d[p] = static_cast<unsigned char>(b + offset);
            ++p;
        }
    }
    return result;
}

// Reads the characters of a text with the full-width forms folded to their
// one-byte forms; a two-byte character that does not fold yields its lead
// byte, which ends any number. -1 at the end (a lone lead byte is dropped).
class FoldedReader {
public:
    explicit FoldedReader(const Text& text) : d_(Bytes(text)), length_(text.Length()) {}

    int Next() {
        if (p_ >= length_) return -1;
        unsigned char b = d_[p_];
        if (!walk::IsLead(b)) {
            ++p_;
            return b;
        }
        if (p_ + 1 >= length_) {
            p_ = length_;
            return -1;
        }
        unsigned char second = d_[p_ + 1];
        p_ += 2;
        if (b == 0xA3 && second >= 0xA1 && second <= 0xFE) return second - 0x80;
        if (b == 0xA1) {
            if (second == 0xA1) return 0x20;
            if (second == 0xAB) return 0x7E;
            if (second == 0xEE || second == 0xEF) return 0x2A;
        }
        return b;
    }

private:
    const unsigned char* d_;
    int length_;
    int p_ = 0;
};

bool IsWhiteSpace(int c) { return c == 0x20 || (c >= 0x09 && c <= 0x0D); }
bool IsDigit(int c) { return c >= '0' && c <= '9'; }

}  // namespace

std::string_view TrimmedView(std::string_view text) {
    auto* d = reinterpret_cast<const unsigned char*>(text.data());
    int length = int(text.size());
    int begin = 0;
    while (begin < length) {
        if (d[begin] == kSpace) {
            ++begin;
        } else if (IsWideSpaceAt(d, begin, length)) {
            begin += 2;
        } else {
            break;
        }
    }
    int runStart = -1;  // where the latest run of space units began
    int end = length;
    for (int p = begin; p < length;) {
        unsigned char b = d[p];
        if (b == kSpace) {
            if (runStart < 0) runStart = p;
            ++p;
        } else if (walk::IsLead(b)) {
            if (p + 1 >= length) {
                // A lone lead byte at the end: cut before it, keep spaces before it.
                runStart = -1;
                end = p;
                break;
            }
            if (b == kWideSpaceByte && d[p + 1] == kWideSpaceByte) {
                if (runStart < 0) runStart = p;
            } else {
                runStart = -1;
            }
            p += 2;
        } else {
            runStart = -1;
            ++p;
        }
    }
    if (runStart >= 0) end = runStart;
    return text.substr(std::size_t(begin), std::size_t(end - begin));
}

int FindText(const Text& text, const Text& sought, int start, bool ignoreCase) {
    int length = text.Length();
    int s = std::max(start - 1, 0);
    if (s >= length) return -1;
    if (sought.IsEmpty()) return 1;
    int found = walk::Find(Bytes(text), length, s, Bytes(sought), sought.Length(), ignoreCase);
    return found < 0 ? -1 : found + 1;
}

int FindTextReverse(const Text& text, const Text& sought, std::optional<int> start, bool ignoreCase) {
    int length = text.Length();
    int region = start ? std::min(std::max(*start - 1, 0), length) : length;
    if (sought.IsEmpty()) return region > 0 ? 1 : -1;
    const unsigned char* d = Bytes(text);
    int last = -1;
    for (int p = 0;;) {
        int found = walk::Find(d, region, p, Bytes(sought), sought.Length(), ignoreCase);
        if (found < 0) break;
        last = found;
        p = found + walk::CharSize(d[found]);
    }
    return last < 0 ? -1 : last + 1;
}

Text LeftText(const Text& text, int count) {
    if (count <= 0) return Text();
    return Text::Result(text.Data(), std::min(count, text.Length()));
}

Text RightText(const Text& text, int count) {
    if (count <= 0) return Text();
    int n = std::min(count, text.Length());
    return Text::Result(text.Data() + (text.Length() - n), n);
}

Text MidText(const Text& text, int start, int count) {
    int length = text.Length();
    if (start < 1 || start > length || count <= 0) return Text();
    int available = length - (start - 1);
    return Text::Result(text.Data() + (start - 1), std::min(count, available));
}

Text ConcatParts(std::initializer_list<std::string_view> parts) {
    std::size_t total = 0;
    for (std::string_view part : parts) total += part.size();
    if (total > std::size_t(INT_MAX) - 1) RaiseStorageExhausted(total + 1);
    Text result = Text::OfLength(int(total));
    char* out = result.MutableData();
    for (std::string_view part : parts) {
        if (!part.empty()) out = std::copy(part.begin(), part.end(), out);
    }
    return result;
}

TextArray SplitText(const Text& text, const Text& delimiter, std::optional<int> maxCount) {
    TextArray result;
    bool limited = maxCount.has_value();
    int left = limited ? std::max(*maxCount, 0) : 0;
    if (text.IsEmpty() || (limited && left == 0)) return result;
    if (delimiter.IsEmpty()) {
        result.Append(text);
        return result;
    }
    const unsigned char* d = Bytes(text);
    int length = text.Length();
    int m = delimiter.Length();
    int elementStart = 0;
    for (;;) {
        int found = walk::Find(d, length, elementStart, Bytes(delimiter), m, false);
        if (found < 0) break;
        result.Append(Text::Result(text.Data() + elementStart, found - elementStart));
        elementStart = found + m;
        if (limited && --left == 0) return result;
    }
    if (elementStart < length) result.Append(Text::Result(text.Data() + elementStart, length - elementStart));
    return result;
}

Text ReplaceText(const Text& text, const Text& sought, const Text& replacement, int start, int count,
                 bool matchCase) {
    int length = text.Length();
    int s = std::max(start - 1, 0);
    if (text.IsEmpty() || sought.IsEmpty() || s >= length || count == 0) return text;
    const unsigned char* d = Bytes(text);
    int m = sought.Length();
    std::string_view with = replacement.View();

    // Walks the matches, handing each stretch of kept bytes and each match to
    // the callbacks; returns where the unchanged tail begins and ends.
    auto walkMatches = [&](auto&& keep, auto&& replace) {
        int p = s;
        int left = count;  // negative: no limit
        for (;;) {
            int found = walk::Find(d, length, p, Bytes(sought), m, !matchCase);
            if (found < 0) break;
            keep(p, found);
            replace();
            p = found + m;
            if (left > 0 && --left == 0) return std::pair<int, int>(p, length);
        }
        // A one-byte sought lets the walk reach a lone lead byte at the very
        // end; it is dropped there.
        if (m == 1 && p < length && walk::IsLead(d[length - 1]) &&
            walk::AdvanceTo(d, p, length - 1) == length - 1) {
            return std::pair<int, int>(p, length - 1);
        }
        return std::pair<int, int>(p, length);
    };

    // Measure first, so the result takes one allocation of the exact size.
    std::size_t total = std::size_t(s);
    auto tail = walkMatches([&](int from, int to) { total += std::size_t(to - from); },
                            [&] { total += with.size(); });
    total += std::size_t(tail.second - tail.first);
    if (total > std::size_t(INT_MAX) - 1) RaiseStorageExhausted(total + 1);
    if (total == 0) return Text();

    Text result = Text::OfLength(int(total));
    char* out = std::copy(text.Data(), text.Data() + s, result.MutableData());
    walkMatches([&](int from, int to) { out = std::copy(text.Data() + from, text.Data() + to, out); },
                [&] { out = std::copy(with.begin(), with.end(), out); });
    std::copy(text.Data() + tail.first, text.Data() + tail.second, out);
    return result;
}

Text TrimText(const Text& text) { return Text::Result(TrimmedView(text.View())); }

Text RemoveSpaces(const Text& text) {
    const unsigned char* d = Bytes(text);
    int length = text.Length();
    Text result = Text::OfLength(length);
    char* out = result.MutableData();
    int kept = 0;
    for (int p = 0; p < length;) {
        unsigned char b = d[p];
        if (b == kSpace) {
            ++p;
        } else if (!walk::IsLead(b)) {
            out[kept++] = char(b);
            ++p;
        } else if (p + 1 >= length) {
            break;  // a lone lead byte at the end is dropped
        } else {
            if (!IsWideSpaceAt(d, p, length)) {
                out[kept++] = char(b);
                out[kept++] = char(d[p + 1]);
            }
            p += 2;
        }
    }
    return Text::Result(out, kept);
}

Text UpperText(const Text& text) { return ChangeCase(text, 'a', 'z', -0x20); }
Text LowerText(const Text& text) { return ChangeCase(text, 'A', 'Z', 0x20); }

int CompareText(const Text& a, const Text& b) {
    std::size_t shorter = std::size_t(std::min(a.Length(), b.Length()));
    int bytes = shorter ? std::memcmp(a.Data(), b.Data(), shorter) : 0;
    if (bytes != 0) return bytes;
    return a.Length() < b.Length() ? -1 : a.Length() > b.Length() ? 1 : 0;
}

Text CharText(int code) {
    char byte = char(static_cast<unsigned char>(code & 0xFF));
    if (byte == '\0') return Text();
    return Text::Present(&byte, 1);
}

int TextToInt(const Text& text) {
    FoldedReader reader(text);
    int c = reader.Next();
    while (IsWhiteSpace(c)) c = reader.Next();
    bool negative = false;
    if (c == '+' || c == '-') {
        negative = c == '-';
        c = reader.Next();
    }
    std::uint32_t value = 0;  // wraps on overflow, keeping the low 32 bits
    while (IsDigit(c)) {
        value = value * 10u + std::uint32_t(c - '0');
        c = reader.Next();
    }
    if (negative) value = 0u - value;
    return static_cast<int>(value);
}

Text IntToText(int value) {
    char digits[16];
    auto end = std::to_chars(digits, digits + sizeof digits, value).ptr;
    return Text::Result(digits, int(end - digits));
}

Text BytesToText(const ByteSet& bytes) {
    std::string_view all = bytes.View();
    return Text::Result(all.substr(0, all.find('\0')));
}

ByteSet TextToBytes(const Text& text) { return ByteSet::Result(text.Data(), text.Length()); }

Text BlankText(int count) { return count > 0 ? Text::OfLength(count) : Text(); }

ByteSet BlankBytes(int count) { return count > 0 ? ByteSet::OfLength(count) : ByteSet(); }

ByteSet LeftBytes(const ByteSet& bytes, int count) {
    int n = std::clamp(count, 0, bytes.Length());
    return ByteSet::Result(bytes.Data(), n);
}

ByteSet ConcatByteParts(std::initializer_list<std::string_view> parts) {
    std::size_t total = 0;
    for (std::string_view part : parts) total += part.size();
    if (total == 0) return ByteSet();
    if (total > std::size_t(INT_MAX)) RaiseStorageExhausted(total);
    ByteSet result = ByteSet::OfLength(int(total));
    auto* out = reinterpret_cast<char*>(result.MutableData());
    for (std::string_view part : parts) {
        if (!part.empty()) out = std::copy(part.begin(), part.end(), out);
    }
    return result;
}

bool CompareBytes(const ByteSet& a, const ByteSet& b) { return a.View() == b.View(); }

}  // namespace velmora
