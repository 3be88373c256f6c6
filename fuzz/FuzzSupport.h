// What the fuzz targets share: cutting one input into parameter bytes and
// texts, the character walk written out plainly (the reference the
// optimised searches are held against), and a check that stops the run.
//
// Input layout: the first kParameterBytes bytes are parameters (flags,
// starts, counts); the rest is a list of texts separated by zero bytes, so a
// text never holds a zero byte, as a Text must not.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "text/Text.h"
#include "text/TextArray.h"

namespace velmora::fuzz {

constexpr std::size_t kParameterBytes = 4;

[[noreturn]] inline void Fail(const char* file, int line, const char* what) {
    std::fprintf(stderr, "%s:%d: property broken: %s\n", file, line, what);
    std::abort();
}

#define FUZZ_CHECK(condition)                                            \
    do {                                                                 \
        if (!(condition)) ::velmora::fuzz::Fail(__FILE__, __LINE__, #condition); \
    } while (0)

class Input {
public:
    Input(const std::uint8_t* data, std::size_t size) {
        std::size_t n = size < kParameterBytes ? size : kParameterBytes;
        for (std::size_t i = 0; i < n; ++i) parameters_[i] = data[i];
        std::string_view rest(reinterpret_cast<const char*>(data) + n, size - n);
        for (;;) {
            std::size_t zero = rest.find('\0');
            texts_.push_back(rest.substr(0, zero));
            if (zero == std::string_view::npos) break;
            rest.remove_prefix(zero + 1);
        }
    }

    // Parameter byte i (0 when the input is shorter).
    unsigned Byte(std::size_t i) const { return i < kParameterBytes ? parameters_[i] : 0; }
    bool Flag(std::size_t byte, unsigned bit) const { return (Byte(byte) >> bit) & 1u; }
    // Parameter byte i as a small signed number, for starts and counts.
    int Small(std::size_t i) const { return int(static_cast<signed char>(Byte(i))); }

    // Text i: present when the input holds it (possibly empty), else absent.
    Text At(std::size_t i) const { return i < texts_.size() ? Text::Present(texts_[i]) : Text(); }
    std::string_view View(std::size_t i) const { return i < texts_.size() ? texts_[i] : std::string_view(); }

private:
    unsigned char parameters_[kParameterBytes] = {};
    std::vector<std::string_view> texts_;
};

inline std::string_view V(const Text& t) { return t.View(); }
inline Text T(std::string_view s) { return Text::Present(s); }

inline bool IsLead(unsigned char b) { return b >= 0x80; }
inline unsigned char At(std::string_view s, std::size_t i) { return static_cast<unsigned char>(s[i]); }

// Offsets where a character starts, walking from offset `from` (a lone lead
// byte at the end starts a character too).
inline std::vector<bool> CharacterStarts(std::string_view s, std::size_t from = 0) {
    std::vector<bool> starts(s.size() + 1, false);
    for (std::size_t p = from; p < s.size(); p += IsLead(At(s, p)) ? 2 : 1) starts[p] = true;
    return starts;
}

inline unsigned char Fold(unsigned char b) { return (b >= 'A' && b <= 'Z') ? b + 0x20 : b; }
inline std::string FoldAll(std::string_view s) {
    std::string out(s);
    for (char& c : out) c = char(Fold(static_cast<unsigned char>(c)));
    return out;
}
inline bool SameBytes(std::string_view a, std::string_view b, bool ignoreCase) {
    return ignoreCase ? FoldAll(a) == FoldAll(b) : a == b;
}

// Occurrences of `sought` the way a split or a replacement walks: from
// `from`, tried at each character start, continuing right after a match.
inline int CountOccurrences(std::string_view s, std::string_view sought, std::size_t from = 0) {
    if (sought.empty()) return 0;
    int n = 0;
    for (std::size_t p = from; p < s.size();) {
        if (s.size() - p >= sought.size() && s.substr(p, sought.size()) == sought) {
            ++n;
            p += sought.size();
        } else {
            p += IsLead(At(s, p)) ? 2 : 1;
        }
    }
    return n;
}

// What TrimText leaves begins with no space unit. (Trimming twice may still
// change it: 'ab ' + B0 trims to 'ab ', which trims to 'ab'.)
inline bool StartsTrimmed(std::string_view s) {
    return s.empty() || (s[0] != ' ' && !(s.size() > 1 && At(s, 0) == 0xA1 && At(s, 1) == 0xA1));
}

inline std::vector<std::string> Elements(const TextArray& array) {
    std::vector<std::string> out;
    for (int i = 1; i <= array.Count(); ++i) out.emplace_back(array.At(i).View());
    return out;
}

}  // namespace velmora::fuzz
