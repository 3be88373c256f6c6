#include "job/PhotoFile.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <string_view>

namespace velmora {
namespace {

using namespace std::literals;

Text T(std::string_view s) { return Text::Result(s); }
ByteSet B(std::string_view s) { return ByteSet::Result(s); }

TEST(PhotoFileTest, SafeMemberIdKeepsOrdinaryIdsAndReplacesWhatWindowsForbids) {
    struct Case {
        std::string_view id;
        std::string_view safe;
    };
    const Case cases[] = {
        {"1001", "1001"},
        {"abcXYZ_09-", "abcXYZ_09-"},
        {"", ""},
        {"张三", "张三"},
        {"a\\b/c:d*e?f\"g<h>i|j", "a_b_c_d_e_f_g_h_i_j"},
        {"a\x01\x1F\tb", "a___b"},
        // 5C and 7C as trail bytes belong to their character and stay.
        {"\x81\x5C\xB0\x7Cz", "\x81\x5C\xB0\x7Cz"},
        // A byte of 80 or above that starts no character is replaced, and
        // what follows it is judged on its own.
        {"ab\x81", "ab_"},
        {"\x81/x", "__x"},
        {"\x81\\..", "\x81\\"},  // 81 5C is one character, not a separator
        {"\x80x\xFF\x41", "_x_A"},
        // Trailing dots and spaces would vanish from the name on Windows.
        {"abc. . ", "abc"},
        {"..", ""},
        {" .", ""},
        {"a.b", "a.b"},
        {" a", " a"},
        {"..\\..\\evil", ".._.._evil"},
        // A device name before the first dot would open the device.
        {"CON.x", "CON_.x"},
        {"con .x", "con_ .x"},
        {"Com1.a.b", "Com1_.a.b"},
        {"LPT9.b", "LPT9_.b"},
        {"NUL..", "NUL"},
        {"CON", "CON"},
        {"CONX.a", "CONX.a"},
        {"COM.a", "COM.a"},
        {"x.CON", "x.CON"},
    };
    for (const auto& c : cases) {
        const Text safe = SafeMemberId(T(c.id));
        EXPECT_EQ(safe.View(), c.safe) << c.id;
        EXPECT_EQ(safe.IsAbsent(), c.safe.empty()) << c.id;
    }
}

TEST(PhotoFileTest, PhotoFileNameJoinsFolderIdAndNumber) {
    EXPECT_EQ(PhotoFileName(T("D:\\p"), T("1001"), 3).View(), "D:\\p\\1001_3.jpg");
    EXPECT_EQ(PhotoFileName(T("D:\\p\\"), T("x"), 1).View(), "D:\\p\\\\x_1.jpg");
    EXPECT_EQ(PhotoFileName(Text(), Text(), 12).View(), "\\_12.jpg");
}

TEST(PhotoFileTest, TemporaryNameIsPerWorkerAndNeverAPhotoName) {
    const Text folder = T("D:\\p");
    EXPECT_EQ(TemporaryFileName(folder, 0x4242).View(), "D:\\p\\~4242.part");
    EXPECT_EQ(TemporaryFileName(folder, UINT_MAX).View(), "D:\\p\\~ffffffff.part");
    EXPECT_EQ(TemporaryFileName(Text(), 7).View(), "\\~7.part");
    EXPECT_NE(TemporaryFileName(folder, 1).View(), TemporaryFileName(folder, 2).View());
}

TEST(PhotoFileTest, ImageDataIsRecognisedByItsSignature) {
    struct Case {
        std::string_view body;
        bool image;
    };
    const Case cases[] = {
        {"\xFF\xD8\xFF\xE0rest"sv, true},
        {"\xFF\xD8\xFF"sv, true},
        {"\x89PNG\r\n\x1A\n"sv, true},
        {"GIF89a"sv, true},
        {"GIF87a"sv, true},
        {"BM\x36\x00\x00\x00"sv, true},
        {"RIFF\x10\x00\x00\x00WEBPVP8 "sv, true},
        {"\0\0\0\x1C" "ftypavif"sv, true},
        {""sv, false},
        {"\xFF\xD8"sv, false},
        {"\x89PN"sv, false},
        {"GIF"sv, false},
        {"RIFF\x10\x00\x00\x00WAVEfmt "sv, false},
        {"RIFF\x10\x00\x00\x00WEB"sv, false},
        {"<!DOCTYPE html><html>"sv, false},
        {" \xFF\xD8\xFF"sv, false},
        {"\0\0\0\x1C" "ftp"sv, false},
    };
    for (const auto& c : cases) EXPECT_EQ(IsImageData(B(c.body)), c.image) << testing::PrintToString(c.body);
    EXPECT_FALSE(IsImageData(ByteSet()));
}

TEST(PhotoFileTest, AnnouncedLengthReadsTheFinalResponsesContentLength) {
    constexpr long long kNone = -1;
    struct Case {
        std::string_view headers;
        long long length;
    };
    const Case cases[] = {
        {"", kNone},
        {"Content-Length: 42", 42},
        {"content-LENGTH:42", 42},
        {"  Content-Length  :   42  ", 42},
        {"Content-Length:\t42\t", 42},
        {"Content-Type: image/jpeg\r\nContent-Length: 42\r\nConnection: close", 42},
        {"Content-Length: 42\r\n\r\n", 42},
        {"Content-Length: 42\nServer: x", 42},
        {"Content-Length: 0", 0},
        {"Content-Length: 42, 42", 42},
        {"Content-Length: 42\r\nContent-Length: 42", 42},
        // Malformed or contradictory: no announcement.
        {"Content-Length: ", kNone},
        {"Content-Length: -1", kNone},
        {"Content-Length: +42", kNone},
        {"Content-Length: 4 2", kNone},
        {"Content-Length: 42abc", kNone},
        {"Content-Length: 0x10", kNone},
        {"Content-Length: 42, 43", kNone},
        {"Content-Length: 42\r\nContent-Length: 43", kNone},
        {"Content-Length 42", kNone},
        {"X-Content-Length: 42", kNone},
        {"Transfer-Encoding: chunked\r\nContent-Length: 42", kNone},
        // After a followed redirect only the final response counts.
        {"HTTP/1.1 302 Found\r\nContent-Length: 0\r\nLocation: /x\r\n\r\nHTTP/1.1 200 OK\r\nContent-Length: 42", 42},
        {"HTTP/1.1 301 Moved\r\nContent-Length: 10\r\n\r\nHTTP/1.1 200 OK\r\nServer: x", kNone},
        {"HTTP/1.1 302 Found\r\nContent-Length: abc\r\n\r\nHTTP/1.1 200 OK\r\nContent-Length: 7", 7},
    };
    for (const auto& c : cases) {
        const auto length = AnnouncedLength(T(c.headers));
        EXPECT_EQ(length.value_or(kNone), c.length) << testing::PrintToString(c.headers);
    }
    EXPECT_GT(AnnouncedLength(T("Content-Length: 99999999999999999999999999")).value_or(kNone), INT_MAX);
}

TEST(PhotoFileTest, CutShortWhenTheBodyIsShorterThanAnnounced) {
    const ByteSet ten = B("0123456789");
    EXPECT_FALSE(IsCutShort(ten, T("Content-Length: 10")));
    EXPECT_TRUE(IsCutShort(ten, T("Content-Length: 11")));
    EXPECT_FALSE(IsCutShort(ten, T("Content-Length: 9")));  // e.g. a decoded body
    EXPECT_FALSE(IsCutShort(ten, Text()));
    EXPECT_TRUE(IsCutShort(ten, T("Content-Length: 99999999999999999999999999")));
    EXPECT_TRUE(IsCutShort(ByteSet(), T("Content-Length: 1")));
    EXPECT_FALSE(IsCutShort(ByteSet(), T("Content-Length: 0")));
}

}  // namespace
}  // namespace velmora
