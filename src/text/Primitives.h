// The text, byte-set and integer primitives every other piece works with.
//
// Positions are 1-based byte positions; a search that finds nothing gives -1.
// Searches, splits, replacements, trims and case changes walk the text by
// characters: a byte of 0x80 or above and the byte after it form one
// character, and a match is tried only where a character starts. Left/Right/
// Mid and the byte-set operations count plain bytes. Every result is a fresh
// value; an empty result is absent, except from ConcatText.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <optional>
#include <string_view>

#include "text/Text.h"
#include "text/TextArray.h"

namespace velmora {

// Searching and cutting. An omitted or non-positive start searches from the
// first byte. FindTextReverse finds the last occurrence that ends before
// position start (the whole text when start is omitted).
int FindText(const Text& text, const Text& sought, int start = 0, bool ignoreCase = false);
int FindTextReverse(const Text& text, const Text& sought, std::optional<int> start = std::nullopt,
                    bool ignoreCase = false);
Text LeftText(const Text& text, int count);
Text RightText(const Text& text, int count);
Text MidText(const Text& text, int start, int count);
inline int TextLength(const Text& text) { return text.Length(); }

// Building and transforming.
Text ConcatParts(std::initializer_list<std::string_view> parts);  // one allocation, always present
inline std::string_view TextPart(const Text& t) { return t.View(); }
inline std::string_view TextPart(const char* s) { return s ? std::string_view(s) : std::string_view(); }
inline std::string_view TextPart(std::string_view s) { return s; }
template <class... Parts>
Text ConcatText(const Parts&... parts) {
    return ConcatParts({TextPart(parts)...});
}

TextArray SplitText(const Text& text, const Text& delimiter = ",",
                    std::optional<int> maxCount = std::nullopt);
// count < 0 means no limit, 0 no replacement; matchCase false folds A-Z onto a-z.
Text ReplaceText(const Text& text, const Text& sought, const Text& replacement = Text(), int start = 0,
                 int count = -1, bool matchCase = true);
Text TrimText(const Text& text);      // spaces and A1 A1 at both ends
Text RemoveSpaces(const Text& text);  // every space and A1 A1
Text UpperText(const Text& text);
Text LowerText(const Text& text);
int CompareText(const Text& a, const Text& b);  // exact, unsigned bytes; absent equals ""
Text CharText(int code);                        // code 0 gives the absent text

// Conversions.
int TextToInt(const Text& text);
Text IntToText(int value);
Text BytesToText(const ByteSet& bytes);
ByteSet TextToBytes(const Text& text);
Text BlankText(int count);

// Byte sets and integers.
ByteSet BlankBytes(int count);
ByteSet LeftBytes(const ByteSet& bytes, int count);
inline int BytesLength(const ByteSet& bytes) { return bytes.Length(); }
ByteSet ConcatByteParts(std::initializer_list<std::string_view> parts);  // absent when empty
template <class... Parts>
ByteSet ConcatBytes(const Parts&... parts) {
    return ConcatByteParts({parts.View()...});
}
bool CompareBytes(const ByteSet& a, const ByteSet& b);
template <class... Ints>
int BitOr(Ints... values) {
    return int((std::uint32_t(values) | ...));
}

}  // namespace velmora
