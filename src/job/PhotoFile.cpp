#include "job/PhotoFile.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cstdio>
#include <string>
#include <string_view>

#include "text/Primitives.h"

namespace velmora {
namespace {

constexpr char kFolderSeparator[] = "\\";
constexpr char kNumberSeparator[] = "_";
constexpr char kPhotoExtension[] = ".jpg";
constexpr char kTemporaryMark[] = "~";
constexpr char kTemporaryExtension[] = ".part";
constexpr char kReplacement = '_';
constexpr std::string_view kForbiddenInName = "\\/:*?\"<>|";
constexpr std::array<std::string_view, 4> kDeviceNames = {"CON", "PRN", "AUX", "NUL"};
constexpr std::array<std::string_view, 2> kNumberedDeviceNames = {"COM", "LPT"};

constexpr std::string_view kJpegSignature = "\xFF\xD8\xFF";
constexpr std::string_view kPngSignature = "\x89\x50\x4E\x47";
constexpr std::string_view kGifSignature = "GIF8";
constexpr std::string_view kBmpSignature = "BM";
constexpr std::string_view kRiffSignature = "RIFF";
constexpr std::string_view kWebpSignature = "WEBP";
constexpr std::size_t kWebpOffset = 8;
constexpr std::string_view kIsoMediaSignature = "ftyp";
constexpr std::size_t kIsoMediaOffset = 4;

constexpr std::string_view kStatusLineStart = "HTTP/";
constexpr std::string_view kContentLength = "Content-Length";
constexpr std::string_view kTransferEncoding = "Transfer-Encoding";
constexpr std::string_view kHeaderBlanks = " \t";
constexpr std::string_view kDigits = "0123456789";
constexpr char kListSeparator = ',';
// Far beyond any body a ByteSet can hold, and far from overflow.
constexpr long long kLengthCap = 1000000000000000LL;

bool IsGbkLead(unsigned char b) { return b >= 0x81 && b <= 0xFE; }
bool IsGbkTrail(unsigned char b) { return b >= 0x40 && b <= 0xFE && b != 0x7F; }
bool IsForbiddenInName(unsigned char b) {
    return b < 0x20 || kForbiddenInName.find(char(b)) != std::string_view::npos;
}

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::toupper(static_cast<unsigned char>(x)) == std::toupper(static_cast<unsigned char>(y));
           });
}

bool IsDeviceName(std::string_view stem) {
    if (std::any_of(kDeviceNames.begin(), kDeviceNames.end(),
                    [&](std::string_view name) { return EqualsIgnoringCase(stem, name); }))
        return true;
    return stem.size() == 4 && std::isdigit(static_cast<unsigned char>(stem[3])) &&
           std::any_of(kNumberedDeviceNames.begin(), kNumberedDeviceNames.end(),
                       [&](std::string_view name) { return EqualsIgnoringCase(stem.substr(0, 3), name); });
}

std::string_view Trimmed(std::string_view s) {
    const auto first = s.find_first_not_of(kHeaderBlanks);
    if (first == std::string_view::npos) return {};
    return s.substr(first, s.find_last_not_of(kHeaderBlanks) - first + 1);
}

bool StartsWithAt(std::string_view bytes, std::size_t offset, std::string_view signature) {
    return bytes.size() >= offset + signature.size() && bytes.substr(offset, signature.size()) == signature;
}

// A plain decimal number, or a list of equal ones ("42, 42"); nullopt otherwise.
std::optional<long long> ParseLengthValue(std::string_view value) {
    std::optional<long long> result;
    while (true) {
        const auto comma = value.find(kListSeparator);
        const auto item = Trimmed(value.substr(0, comma));
        if (item.empty() || item.find_first_not_of(kDigits) != std::string_view::npos) return std::nullopt;
        long long n = 0;
        for (char c : item) n = std::min(kLengthCap, n * 10 + (c - '0'));
        if (result && *result != n) return std::nullopt;
        result = n;
        if (comma == std::string_view::npos) return result;
        value.remove_prefix(comma + 1);
    }
}

}  // namespace

Text SafeMemberId(const Text& memberId) {
    const std::string_view id = memberId.View();
    std::string safe;
    safe.reserve(id.size() + 1);
    for (std::size_t i = 0; i < id.size();) {
        const auto b = static_cast<unsigned char>(id[i]);
        if (IsGbkLead(b) && i + 1 < id.size() && IsGbkTrail(static_cast<unsigned char>(id[i + 1]))) {
            safe.append(id, i, 2);  // one character; its trail byte may be 5C or 7C
            i += 2;
            continue;
        }
        safe.push_back(b >= 0x80 || IsForbiddenInName(b) ? kReplacement : char(b));
        ++i;
    }
    while (!safe.empty() && (safe.back() == '.' || safe.back() == ' ')) safe.pop_back();

    // Windows reads "CON.x_1.jpg" as the device CON: the stem is the part
    // before the first dot, trailing spaces ignored. Without a dot the "_<k>"
    // that follows the id already makes the stem harmless.
    const auto dot = safe.find('.');
    if (dot != std::string::npos) {
        std::size_t stemLength = dot;
        while (stemLength > 0 && safe[stemLength - 1] == ' ') --stemLength;
        if (IsDeviceName(std::string_view(safe).substr(0, stemLength))) safe.insert(stemLength, 1, kReplacement);
    }
    return Text::Result(safe);
}

Text PhotoFileName(const Text& folder, const Text& memberId, int photoNumber) {
    return ConcatText(folder, kFolderSeparator, memberId, kNumberSeparator, IntToText(photoNumber), kPhotoExtension);
}

Text TemporaryFileName(const Text& folder, unsigned threadId) {
    char id[9];
    std::snprintf(id, sizeof id, "%x", threadId);
    return ConcatText(folder, kFolderSeparator, kTemporaryMark, id, kTemporaryExtension);
}

bool IsImageData(const ByteSet& body) {
    const std::string_view bytes = body.View();
    return StartsWithAt(bytes, 0, kJpegSignature) || StartsWithAt(bytes, 0, kPngSignature) ||
           StartsWithAt(bytes, 0, kGifSignature) || StartsWithAt(bytes, 0, kBmpSignature) ||
           (StartsWithAt(bytes, 0, kRiffSignature) && StartsWithAt(bytes, kWebpOffset, kWebpSignature)) ||
           StartsWithAt(bytes, kIsoMediaOffset, kIsoMediaSignature);
}

std::optional<long long> AnnouncedLength(const Text& responseHeaders) {
    std::string_view rest = responseHeaders.View();
    std::optional<long long> length;
    bool malformed = false;
    bool chunked = false;  // a transfer coding overrides any Content-Length
    while (!rest.empty()) {
        const auto end = rest.find('\n');
        std::string_view line = rest.substr(0, end);
        rest.remove_prefix(end == std::string_view::npos ? rest.size() : end + 1);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);

        if (line.size() >= kStatusLineStart.size() &&
            EqualsIgnoringCase(line.substr(0, kStatusLineStart.size()), kStatusLineStart)) {
            length.reset();  // a new response begins: forget the earlier one's headers
            malformed = chunked = false;
            continue;
        }
        const auto colon = line.find(':');
        if (colon == std::string_view::npos) continue;
        const auto name = Trimmed(line.substr(0, colon));
        if (EqualsIgnoringCase(name, kTransferEncoding)) chunked = true;
        if (!EqualsIgnoringCase(name, kContentLength)) continue;
        const auto value = ParseLengthValue(line.substr(colon + 1));
        if (!value || (length && *length != *value)) malformed = true;
        else length = value;
    }
    if (malformed || chunked) return std::nullopt;
    return length;
}

bool IsCutShort(const ByteSet& body, const Text& responseHeaders) {
    const auto announced = AnnouncedLength(responseHeaders);
    return announced && body.Length() < *announced;
}

}  // namespace velmora
