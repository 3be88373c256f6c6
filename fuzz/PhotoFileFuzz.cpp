// The photo file decisions: a made-safe member id never holds a character
// Windows forbids in a file name, never names a device, never ends in a dot
// or space, and so keeps the photo inside its folder; the image test and the
// cut-short test agree with the signatures and the announced length.
//
// Texts: 0 member id, 1 folder, 2 response headers. The body is every byte
// after the parameters, zero bytes included. Parameters: bytes 0-3 the
// photo number and thread id.
#include <algorithm>
#include <cctype>
#include <cstring>
#include <string>

#include "FuzzSupport.h"
#include "job/PhotoFile.h"
#include "text/Primitives.h"

namespace velmora::fuzz {
namespace {

using sv = std::string_view;

bool IsGbkPair(sv s, std::size_t p) {
    return p + 1 < s.size() && At(s, p) >= 0x81 && At(s, p) <= 0xFE && At(s, p + 1) >= 0x40 && At(s, p + 1) <= 0xFE &&
           At(s, p + 1) != 0x7F;
}

bool IsDevice(sv stem) {
    std::string upper(stem);
    for (char& c : upper) c = char(std::toupper(static_cast<unsigned char>(c)));
    if (upper == "CON" || upper == "PRN" || upper == "AUX" || upper == "NUL") return true;
    return upper.size() == 4 && (upper.substr(0, 3) == "COM" || upper.substr(0, 3) == "LPT") &&
           std::isdigit(static_cast<unsigned char>(upper[3]));
}

// Walking by GBK characters as Windows does: every one-byte character is
// allowed in a file name.
void CheckNameCharacters(sv name) {
    for (std::size_t p = 0; p < name.size();) {
        if (IsGbkPair(name, p)) {
            p += 2;
            continue;
        }
        const unsigned char b = At(name, p);
        FUZZ_CHECK(b >= 0x20 && b < 0x80);
        FUZZ_CHECK(sv("\\/:*?\"<>|").find(char(b)) == sv::npos);
        ++p;
    }
}

void CheckSafeMemberId(const Text& id, const Text& folder, int photoNumber) {
    const Text safe = SafeMemberId(id);
    const sv s = V(safe);
    FUZZ_CHECK(safe.IsAbsent() == s.empty());
    FUZZ_CHECK(s.size() <= V(id).size() + 1);
    CheckNameCharacters(s);
    if (!s.empty()) FUZZ_CHECK(s.back() != '.' && s.back() != ' ');
    const std::size_t dot = s.find('.');
    if (dot != sv::npos) {
        sv stem = s.substr(0, dot);
        while (!stem.empty() && stem.back() == ' ') stem.remove_suffix(1);
        FUZZ_CHECK(!IsDevice(stem));
    }
    FUZZ_CHECK(V(SafeMemberId(safe)) == s);
    const sv raw = V(id);
    if (std::all_of(raw.begin(), raw.end(), [](char c) { return std::isalnum(static_cast<unsigned char>(c)); }))
        FUZZ_CHECK(s == raw);

    // The file lands in the folder: what follows the folder's separator is
    // one plain name.
    const Text name = PhotoFileName(folder, safe, photoNumber);
    const std::string expectedStart = std::string(V(folder)) + "\\";
    FUZZ_CHECK(V(name).substr(0, expectedStart.size()) == expectedStart);
    const sv own = V(name).substr(expectedStart.size());
    CheckNameCharacters(own);
    FUZZ_CHECK(own.size() > 4 && own.substr(own.size() - 4) == ".jpg");
}

bool HasSignature(sv b) {
    auto at = [&](std::size_t offset, sv signature) { return b.size() >= offset + signature.size() && b.substr(offset, signature.size()) == signature; };
    return at(0, "\xFF\xD8\xFF") || at(0, "\x89PNG") || at(0, "GIF8") || at(0, "BM") ||
           (at(0, "RIFF") && at(8, "WEBP")) || at(4, "ftyp");
}

}  // namespace
}  // namespace velmora::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace velmora;
    using namespace velmora::fuzz;
    const Input in(data, size);
    std::uint32_t number = in.Byte(0) | in.Byte(1) << 8 | in.Byte(2) << 16 | in.Byte(3) << 24;
    CheckSafeMemberId(in.At(0), in.At(1), int(number));

    const Text folder = in.At(1);
    const Text temporary = TemporaryFileName(folder, number);
    const sv t = V(temporary);
    FUZZ_CHECK(t.substr(0, V(folder).size() + 1) == std::string(V(folder)) + "\\");
    FUZZ_CHECK(t.size() < 4 || t.substr(t.size() - 4) != ".jpg");
    FUZZ_CHECK(t != V(TemporaryFileName(folder, number + 1)));

    const std::size_t skip = std::min(size, kParameterBytes);
    const ByteSet body = ByteSet::Result(data + skip, int(size - skip));
    FUZZ_CHECK(IsImageData(body) == HasSignature(body.View()));

    const Text headers = in.At(2);
    const auto announced = AnnouncedLength(headers);
    if (announced) FUZZ_CHECK(*announced >= 0);
    FUZZ_CHECK(IsCutShort(body, headers) == (announced && body.Length() < *announced));
    return 0;
}
