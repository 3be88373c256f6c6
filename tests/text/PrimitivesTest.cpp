#include "text/Primitives.h"
#include "support/TextValues.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstdint>
#include <string>
#include <vector>

namespace velmora {
namespace {

// ---- FindText ----

struct FindCase {
    const char* text;
    const char* sought;
    int start;
    bool ignoreCase;
    int expected;
};

TEST(FindTextTest, Table) {
    const FindCase cases[] = {
        {"abc", "", 0, false, 1},
        {"abc", "", 3, false, 1},           // start inside the text: still 1
        {"abc", "", 4, false, -1},          // start beyond the last byte
        {"", "", 0, false, -1},
        {"", "a", 0, false, -1},
        {"abcabc", "b", 0, false, 2},
        {"abcabc", "b", 1, false, 2},
        {"abcabc", "b", -5, false, 2},
        {"abcabc", "b", 3, false, 5},
        {"abcabc", "c", 7, false, -1},      // length + 1
        {"a.b.c", ".", 3, false, 4},        // counted from the beginning, not from start
        {"abc", "abcd", 0, false, -1},      // longer than the text
        {"abc", "bc", 0, false, 2},         // ends at the last byte
        {"\xB0" "AB", "AB", 0, false, -1},  // would start on a second byte
        {"\xB0" "AB", "AB", 2, false, 2},   // the walk begins at the second byte
        {"\xB0" "AB" "AB", "AB", 0, false, 4},
        {"\xB0\xB0" "A", "\xB0" "A", 0, false, -1},
        {"\xB0\xB0\xB0" "A", "A", 0, false, -1},  // B0 B0, then B0 A
        {"\xB0\xB0" "A", "A", 0, false, 3},
        {"\xB0\xB0\xB0" "A", "A", 2, false, 4},     // from the second byte: B0 B0, then A
        {"\xB0\xB0\xB0" "a", "A", 0, true, -1},
        {"\xB0\xB0\xB0" "a", "A", 2, true, 4},
        {"a\xB0" "A\xB0\xB0" "A", "A", 0, false, 6},
        {"\xB0\xB0\xB0\xB0\xB0", "\xB0\xB0", 2, false, 2},
        {"x\xB0", "\xB0", 0, false, 2},     // a lone lead byte at the end is a character start
        {"Location: x", "location:", 0, true, 1},
        {"Location: x", "location:", 0, false, -1},
        {"\xB0" "A", "\xB0" "a", 0, true, 1},  // second bytes fold too
        {"xxAbAB", "ab", 0, true, 3},
        {"xxABab", "ab", 4, true, 5},
        {"a1B2", "1b2", 0, true, 2},        // a non-letter first byte under ignoreCase
    };
    for (const FindCase& c : cases) {
        EXPECT_EQ(FindText(c.text, c.sought, c.start, c.ignoreCase), c.expected)
            << "text '" << c.text << "' sought '" << c.sought << "' start " << c.start;
    }
}

TEST(FindTextTest, AbsentTextsReadAsEmpty) {
    EXPECT_EQ(FindText(Text(), Text()), -1);
    EXPECT_EQ(FindText("abc", Text()), 1);
    EXPECT_EQ(FindText(Text(), "a"), -1);
}

// Long stretches exercise the eight-bytes-at-a-time walk and the two-case jump.
TEST(FindTextTest, LongTextsKeepCharacterBoundaries) {
    std::string text(1000, 'a');
    text += "\xB0" "Bx";  // B at a second byte: no match there
    text += std::string(13, 'c') + "\xC4\xD0" "bx";
    int expected = int(text.size()) - 1;  // the last "bx"
    EXPECT_EQ(FindText(Text::Present(text), "Bx", 0, true), expected);
    EXPECT_EQ(FindText(Text::Present(text), "bx", 0, false), expected);
    EXPECT_EQ(FindText(Text::Present(text), "Bx", 0, false), -1);
}

// The search as a plain walk, one character after another.
int ReferenceFind(const std::string& text, const std::string& sought, int start, bool ignoreCase) {
    auto fold = [](unsigned char b) { return (b >= 'A' && b <= 'Z') ? b + 0x20 : int(b); };
    int length = int(text.size());
    int m = int(sought.size());
    int p = std::max(start - 1, 0);
    if (p >= length) return -1;
    if (m == 0) return 1;
    while (p < length) {
        if (length - p >= m) {
            bool same = true;
            for (int i = 0; i < m && same; ++i) {
                unsigned char a = static_cast<unsigned char>(text[std::size_t(p + i)]);
                unsigned char b = static_cast<unsigned char>(sought[std::size_t(i)]);
                same = ignoreCase ? fold(a) == fold(b) : a == b;
            }
            if (same) return p + 1;
        }
        p += static_cast<unsigned char>(text[std::size_t(p)]) >= 0x80 ? 2 : 1;
    }
    return -1;
}

TEST(FindTextTest, AgreesWithAPlainWalk) {
    const char alphabet[] = {'a', 'A', 'b', ' ', '\xB0', '\xA1', '\xC4'};
    std::uint32_t seed = 12345;
    auto next = [&seed](std::uint32_t n) {
        seed = seed * 1103515245u + 12345u;
        return (seed >> 16) % n;
    };
    auto randomText = [&](std::uint32_t maxLength) {
        std::string text(next(maxLength + 1), 'a');
        for (char& c : text) c = alphabet[next(sizeof alphabet)];
        return text;
    };
    for (int round = 0; round < 20000; ++round) {
        std::string text = randomText(round % 50 == 0 ? 300 : 24);
        std::string sought = randomText(3);
        int start = int(next(8)) - 2;
        bool ignoreCase = next(2) == 1;
        ASSERT_EQ(FindText(Text::Present(text), Text::Present(sought), start, ignoreCase),
                  ReferenceFind(text, sought, start, ignoreCase))
            << "round " << round;
    }
}

// ---- FindTextReverse ----

struct ReverseCase {
    const char* text;
    const char* sought;
    std::optional<int> start;
    int expected;
};

TEST(FindTextReverseTest, Table) {
    const ReverseCase cases[] = {
        {"a.b.c", ".", std::nullopt, 4},
        {"a.b.c", ".", 5, 4},
        {"a.b.c", ".", 4, 2},   // an occurrence at start is not found
        {"a.b.c", ".", 2, -1},
        {"a.b.c", ".", 1, -1},
        {"a.b.c", ".", -3, -1},
        {"a.b.c", ".", 100, 4},  // limited to the text
        {"abc", "", std::nullopt, 1},
        {"abc", "", 1, -1},
        {"", "", std::nullopt, -1},
        {"aaa", "aa", std::nullopt, 2},  // overlapping occurrences all count
        {"u/7/u/345", "u/", std::nullopt, 5},
        {"u/7/u/345", "u/", 6, 1},     // must end before position 6
        {"u/7/u/345", "u/", 7, 5},
        {"\xB0" "AB", "AB", std::nullopt, -1},
    };
    for (const ReverseCase& c : cases) {
        EXPECT_EQ(FindTextReverse(c.text, c.sought, c.start), c.expected)
            << "text '" << c.text << "' sought '" << c.sought << "' start " << c.start.value_or(-999);
    }
    EXPECT_EQ(FindTextReverse("aXbxc", "x", std::nullopt, true), 4);
}

// ---- Left, Right, Mid ----

TEST(CuttingTest, Table) {
    struct Case {
        Text result;
        const char* expected;
    } cases[] = {
        {LeftText("abcde", 0), ""},
        {LeftText("abcde", -3), ""},
        {LeftText("abcde", 2), "ab"},
        {LeftText("abcde", 100), "abcde"},
        {LeftText("\xB0" "A", 1), "\xB0"},  // counts bytes, may cut a character
        {RightText("abcde", 0), ""},
        {RightText("abcde", -3), ""},
        {RightText("abcde", 2), "de"},
        {RightText("abcde", 100), "abcde"},
        {MidText("abcdef", 5, 10), "ef"},
        {MidText("abcdef", 7, 1), ""},
        {MidText("abcdef", 0, 3), ""},
        {MidText("abcdef", 2, 0), ""},
        {MidText("abcdef", 2, 3), "bcd"},
        {MidText(Text(), 1, 3), ""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Str(c.result), c.expected);
        EXPECT_EQ(c.result.IsAbsent(), c.result.IsEmpty()) << "an empty result is absent";
    }
}

// ---- ConcatText ----

TEST(ConcatTextTest, JoinsPartsAndIsAlwaysPresent) {
    Text joined = ConcatText(Text("ab"), Text(), "cd", std::string_view("ef"));
    EXPECT_EQ(Str(joined), "abcdef");
    Text empty = ConcatText(Text(), Text());
    EXPECT_FALSE(empty.IsAbsent());
    EXPECT_EQ(CompareText(empty, ""), 0);
}

// ---- SplitText ----

struct SplitCase {
    const char* text;
    const char* delimiter;
    std::optional<int> maxCount;
    std::vector<std::string> expected;
};

TEST(SplitTextTest, Table) {
    const SplitCase cases[] = {
        {"a;;b", ";", std::nullopt, {"a", "", "b"}},
        {";a", ";", std::nullopt, {"", "a"}},
        {"a;", ";", std::nullopt, {"a"}},
        {"a;;", ";", std::nullopt, {"a", ""}},
        {";", ";", std::nullopt, {""}},
        {"", ";", std::nullopt, {}},
        {"abc", "", std::nullopt, {"abc"}},
        {"a,b,c", ",", 2, {"a", "b"}},
        {"a,b,c", ",", 0, {}},
        {"a,b,c", ",", -1, {}},
        {"a,b,c", ",", 5, {"a", "b", "c"}},
        {"a\r\nb\r\n\r\nc", "\r\n", std::nullopt, {"a", "b", "", "c"}},
        {"aXbxc", "x", std::nullopt, {"aXb", "c"}},              // exact, letters included
        {"\xB0;a;b", ";", std::nullopt, {"\xB0;a", "b"}},         // ; as a second byte
        {"a;\xB0", ";", std::nullopt, {"a", "\xB0"}},             // lone lead byte kept in the rest
    };
    for (const SplitCase& c : cases) {
        TextArray parts = SplitText(c.text, c.delimiter, c.maxCount);
        EXPECT_EQ(Elements(parts), c.expected) << "text '" << c.text << "'";
    }
}

TEST(SplitTextTest, EmptyPiecesAreAbsentAndDefaultDelimiterIsComma) {
    TextArray parts = SplitText("a,,b");
    ASSERT_EQ(parts.Count(), 3);
    EXPECT_TRUE(parts.At(2).IsAbsent());
    EXPECT_FALSE(parts.At(1).IsAbsent());
}

// ---- ReplaceText ----

struct ReplaceCase {
    const char* text;
    const char* sought;
    const char* replacement;
    int start;
    int count;
    bool matchCase;
    const char* expected;
};

TEST(ReplaceTextTest, Table) {
    const ReplaceCase cases[] = {
        {"set-cookie SET-COOKIE", "Set-Cookie", "X", 0, -1, false, "X X"},
        {"set-cookie SET-COOKIE", "Set-Cookie", "X", 0, -1, true, "set-cookie SET-COOKIE"},
        {"a-a-a", "a", "b", 0, 1, true, "b-a-a"},
        {"a-a-a", "a", "b", 0, 0, true, "a-a-a"},
        {"a-a-a", "a", "b", 2, -1, true, "a-b-b"},    // the first start-1 bytes are kept
        {"a-a-a", "a", "b", 6, -1, true, "a-a-a"},    // start beyond the text
        {"abc", "", "x", 0, -1, true, "abc"},
        {"aaa", "aa", "b", 0, -1, true, "ba"},        // no overlap, no rescanning
        {"aa", "a", "aa", 0, -1, true, "aaaa"},       // replacement never searched again
        {"abc", "b", "", 0, -1, true, "ac"},
        {"\xB0" "ab", "a", "X", 0, -1, true, "\xB0" "ab"},  // 'a' is a second byte here
        {"xa\xB0", "a", "Y", 0, -1, true, "xY"},      // lone lead byte dropped by a one-byte search
        {"xa\xB0", "ab", "Y", 0, -1, true, "xa\xB0"}, // but kept by a longer one
        {"xa\xB0", "a", "Y", 0, 1, true, "xY\xB0"},   // kept when the limit ends the walk
        {"x\xB0", "\xB0", "Y", 0, -1, true, "xY"},    // the lone lead byte itself can match
    };
    for (const ReplaceCase& c : cases) {
        EXPECT_EQ(Str(ReplaceText(c.text, c.sought, c.replacement, c.start, c.count, c.matchCase)), c.expected)
            << "text '" << c.text << "' sought '" << c.sought << "'";
    }
}

TEST(ReplaceTextTest, UnchangedCopyKeepsAbsentAndPresent) {
    EXPECT_TRUE(ReplaceText(Text(), "a").IsAbsent());
    EXPECT_FALSE(ReplaceText("", "a").IsAbsent());
    EXPECT_TRUE(ReplaceText("a", "a").IsAbsent());  // an empty result is absent
}

// ---- Spaces and case ----

TEST(SpacesTest, Table) {
    struct Case {
        Text result;
        const char* expected;
    } cases[] = {
        {TrimText("  \xA1\xA1" "ab \xA1\xA1"), "ab"},
        {TrimText("\tab\r\n"), "\tab\r\n"},
        {TrimText("   "), ""},
        {TrimText("\xA1\xA1 \xA1\xA1"), ""},
        {TrimText("ab \xB0"), "ab "},            // cut before a lone lead byte, spaces before it stay
        {TrimText("a b\xA1\xA1" "c"), "a b\xA1\xA1" "c"},
        {TrimText(" \xB0\xA1\xA1 "), "\xB0\xA1\xA1 "},  // B0 A1, then A1 20: no space unit at the end
        {TrimText("\xA1"), ""},
        {RemoveSpaces("a b\xA1\xA1" "c"), "abc"},
        {RemoveSpaces("\xB0\xA1\xA1\xA1"), "\xB0\xA1"},  // A1 A1 only at a character start
        {RemoveSpaces("a \xB0"), "a"},
        {RemoveSpaces("\t \t"), "\t\t"},
        {UpperText("abc\xB0" "a"), "ABC\xB0" "a"},
        {UpperText("aZ1\xB0"), "AZ1\xB0"},
        {LowerText("ABC\xB0" "A" "Q"), "abc\xB0" "Aq"},
    };
    for (const Case& c : cases) EXPECT_EQ(Str(c.result), c.expected);
    EXPECT_TRUE(TrimText("  ").IsAbsent());
}

// ---- Comparing and single characters ----

TEST(CompareTextTest, Table) {
    struct Case {
        Text a;
        Text b;
        int sign;
    } cases[] = {
        {"abc", "abc", 0}, {Text(), "", 0},   {"ab", "abc", -1}, {"abc", "ab", 1},
        {"a", "B", 1},     {"\xB0", "a", 1},  {"A", "a", -1},
    };
    for (const Case& c : cases) {
        int result = CompareText(c.a, c.b);
        EXPECT_EQ((result > 0) - (result < 0), c.sign) << Str(c.a) << " vs " << Str(c.b);
    }
}

TEST(CharTextTest, ZeroGivesAbsentForNullPointers) {
    EXPECT_TRUE(CharText(0).IsAbsent());
    EXPECT_EQ(CharText(0).WinPtr(), nullptr);
    ASSERT_NE(Text("").WinPtr(), nullptr);
    EXPECT_EQ(*Text("").WinPtr(), '\0');
    EXPECT_EQ(Str(CharText(0x41)), "A");
    EXPECT_EQ(Str(CharText(0x141)), "A");  // the low byte
    EXPECT_EQ(CharText(0xB0).Byte(0), 0xB0);
}

// ---- Conversions ----

TEST(TextToIntTest, Table) {
    struct Case {
        const char* text;
        int expected;
    } cases[] = {
        {"  12abc", 12},
        {"\xA3\xB1\xA3\xB2", 12},            // full-width digits
        {"\xA3\xAB\xA3\xB1", 1},             // full-width plus
        {"\xA1\xA1" "7", 7},                 // full-width space
        {"\xA3\xAD" "7", -7},                // full-width minus
        {"\xA3\xFF" "7", 0},                 // A3 FF is no full-width form
        {"+12", 12},
        {"-7", -7},
        {"\t\r\n 5", 5},
        {"", 0},
        {"abc", 0},
        {"0x1F", 0},
        {"- 5", 0},
        {"--5", 0},
        {"2147483647", INT_MAX},
        {"2147483648", INT_MIN},
        {"-2147483648", INT_MIN},
        {"4294967297", 1},                   // wraps, keeping the low 32 bits
        {"12\xB0\xA1" "3", 12},              // a two-byte character ends the number
        {"12\xB0", 12},
        {"\xB0", 0},
    };
    for (const Case& c : cases) EXPECT_EQ(TextToInt(c.text), c.expected) << "'" << c.text << "'";
}

TEST(IntToTextTest, Table) {
    const std::pair<int, const char*> cases[] = {
        {-15, "-15"}, {0, "0"}, {7, "7"}, {INT_MIN, "-2147483648"}, {INT_MAX, "2147483647"}};
    for (const auto& c : cases) EXPECT_EQ(Str(IntToText(c.first)), c.second);
}

TEST(ConversionTest, BytesAndBlanks) {
    EXPECT_EQ(Str(BytesToText(ByteSet::Present(std::string_view("A\0B", 3)))), "A");
    EXPECT_TRUE(BytesToText(BlankBytes(3)).IsAbsent());
    EXPECT_TRUE(BytesToText(ByteSet()).IsAbsent());
    EXPECT_EQ(Str(BytesToText(ByteSet::Present("xyz"))), "xyz");

    EXPECT_EQ(TextToBytes("abc").Length(), 3);
    ByteSet none = TextToBytes("");
    EXPECT_TRUE(none.IsAbsent());
    EXPECT_EQ(BytesLength(none), 0);

    EXPECT_EQ(Str(BlankText(3)), "   ");
    EXPECT_TRUE(BlankText(0).IsAbsent());
    EXPECT_TRUE(BlankText(-2).IsAbsent());
}

TEST(ConversionTest, BlankTextIsAWritableBuffer) {
    Text buffer = BlankText(8);
    char* data = buffer.MutableData();
    data[0] = 'h';
    data[1] = 'i';
    data[2] = '\0';
    EXPECT_EQ(Str(Text::UpToZero(buffer.Data())), "hi");
    EXPECT_EQ(data[8], '\0');  // n + 1 bytes: the terminator is there
}

// ---- Byte sets ----

TEST(ByteSetTest, BlankAndLeft) {
    ByteSet zeros = BlankBytes(4);
    ASSERT_EQ(zeros.Length(), 4);
    EXPECT_EQ(zeros.View(), std::string_view("\0\0\0\0", 4));
    EXPECT_TRUE(BlankBytes(0).IsAbsent());

    ByteSet bytes = ByteSet::Present("abcd");
    EXPECT_EQ(LeftBytes(bytes, 2).View(), "ab");
    EXPECT_EQ(LeftBytes(bytes, 10).View(), "abcd");
    EXPECT_TRUE(LeftBytes(bytes, 0).IsAbsent());
    EXPECT_TRUE(LeftBytes(bytes, -1).IsAbsent());
}

TEST(ByteSetTest, ConcatAndCompare) {
    ByteSet joined = ConcatBytes(ByteSet::Present(std::string_view("a\0", 2)), ByteSet(), ByteSet::Present("b"));
    EXPECT_EQ(joined.View(), std::string_view("a\0b", 3));

    ByteSet nothing = ConcatBytes(ByteSet(), EmptyBytes());
    EXPECT_TRUE(nothing.IsAbsent());
    EXPECT_FALSE(EmptyBytes().IsAbsent());
    EXPECT_TRUE(CompareBytes(nothing, EmptyBytes()));

    EXPECT_TRUE(CompareBytes(ByteSet::Present("ab"), ByteSet::Present("ab")));
    EXPECT_FALSE(CompareBytes(ByteSet::Present("ab"), ByteSet::Present("ac")));
    EXPECT_FALSE(CompareBytes(ByteSet::Present("ab"), ByteSet::Present("abc")));
}

TEST(BitOrTest, CombinesAll) {
    EXPECT_EQ(BitOr(1, 2, 8), 11);
    EXPECT_EQ(BitOr(int(0x80000000u), 1), int(0x80000001u));
}

}  // namespace
}  // namespace velmora
