// The marker-based extraction routines: every piece they return is cut out
// of the source, sits right after its opening marker and right before its
// closing one, and the collected pieces carry their options and come in
// source order.
//
// Texts: 0 source, 1 left marker, 2 right marker, 3 middle marker, 4 prefix,
// 5 suffix. Parameters: byte 0 flags (bit 0 ignore case, 1 keepLeft,
// 2 middle marker given, 3 matchCase, 4 keepLeft when collecting,
// 5 keepRight, 6 start given), byte 1 start, byte 2 maxLength, byte 3 the
// running position handed to TextBetweenAt.
#include <optional>

#include "FuzzSupport.h"
#include "text/Extraction.h"

namespace velmora::fuzz {
namespace {

using sv = std::string_view;

// "#引号" in GBK: what TextBetween reads as a double quote inside a marker.
constexpr char kQuoteToken[] = "#\xD2\xFD\xBA\xC5";

bool Contains(sv haystack, sv needle, bool ignoreCase) {
    return ignoreCase ? FoldAll(haystack).find(FoldAll(needle)) != sv::npos : haystack.find(needle) != sv::npos;
}

bool StartsWith(sv s, sv prefix, bool ignoreCase) {
    return s.size() >= prefix.size() && SameBytes(s.substr(0, prefix.size()), prefix, ignoreCase);
}

void CheckTextBetween(const Text& source, const Text& leftMarker, const Text& rightMarker, int start,
                      bool ignoreCase) {
    const Text piece = TextBetween(source, leftMarker, rightMarker, start, ignoreCase);
    const Text left = ReplaceText(leftMarker, kQuoteToken, "\"");
    const Text right = ReplaceText(rightMarker, kQuoteToken, "\"");
    FUZZ_CHECK(V(source).find(V(piece)) != sv::npos);
    if (FindText(source, left, start, ignoreCase) < 0) FUZZ_CHECK(piece.IsEmpty());
    if (!piece.IsEmpty()) {
        const std::string framed = std::string(V(left)) + std::string(V(piece)) + std::string(V(right));
        FUZZ_CHECK(Contains(V(source), framed, ignoreCase));
    }
}

void CheckTextBetweenAt(const Text& source, int position, const Text& leftMarker, const Text* middleMarker,
                        const Text& rightMarker, bool ignoreCase, bool keepLeft) {
    const Text piece = TextBetweenAt(source, position, leftMarker, middleMarker, rightMarker, ignoreCase, keepLeft);
    if (position == -1) {
        FUZZ_CHECK(piece.IsEmpty());
        return;
    }
    FUZZ_CHECK(position >= 1 && position <= TextLength(source) + 1);
    // The position names where the piece begins.
    if (!piece.IsEmpty()) FUZZ_CHECK(V(source).substr(std::size_t(position - 1), V(piece).size()) == V(piece));
    if (keepLeft && !middleMarker && !piece.IsEmpty()) FUZZ_CHECK(StartsWith(V(piece), V(leftMarker), ignoreCase));
}

void CheckTextBetweenOnce(const Text& source, const Text& marker, const Text& terminator, int start) {
    const Text piece = TextBetweenOnce(source, marker, terminator, start);
    FUZZ_CHECK(V(source).find(V(piece)) != sv::npos);
    if (!piece.IsEmpty()) {
        const std::string framed = std::string(V(marker)) + std::string(V(piece)) + std::string(V(terminator));
        FUZZ_CHECK(Contains(V(source), framed, true));
    }
}

void CheckExtractAll(const Text& source, const Text& leftMarker, const Text& rightMarker,
                     const ExtractOptions& options) {
    TextArray results;
    results.Append("left over from an earlier call");
    const int count = ExtractAllBetween(source, leftMarker, rightMarker, results, options);
    FUZZ_CHECK(count == results.Count());
    if (leftMarker.IsEmpty() || source.IsEmpty()) FUZZ_CHECK(count == 0);

    const std::string head = std::string(options.keepLeft ? V(leftMarker) : sv()) + std::string(V(options.prefix));
    const std::string tail = std::string(V(options.suffix)) + std::string(options.keepRight ? V(rightMarker) : sv());
    std::size_t searchFrom = 0;
    for (int i = 1; i <= count; ++i) {
        const sv piece = V(results.At(i));
        FUZZ_CHECK(!piece.empty());
        if (options.maxLength != 0) FUZZ_CHECK(int(piece.size()) < options.maxLength);
        FUZZ_CHECK(piece.size() >= head.size() + tail.size());
        FUZZ_CHECK(piece.substr(0, head.size()) == head);
        FUZZ_CHECK(piece.substr(piece.size() - tail.size()) == tail);
        const sv inner = piece.substr(head.size(), piece.size() - head.size() - tail.size());
        FUZZ_CHECK(StartsTrimmed(inner));
        if (inner.empty()) continue;
        // Pieces come in source order and do not overlap.
        const std::size_t at = V(source).find(inner, searchFrom);
        FUZZ_CHECK(at != sv::npos);
        searchFrom = at + inner.size();
    }
}

void CheckTextAfterLast(const Text& source, const Text& marker, std::optional<int> start, bool ignoreCase) {
    const Text rest = TextAfterLast(source, marker, start, ignoreCase);
    const sv s = V(source);
    const sv r = V(rest);
    FUZZ_CHECK(r.size() <= s.size() && s.substr(s.size() - r.size()) == r);
    if (!rest.IsEmpty()) {
        const std::size_t markerAt = s.size() - r.size() - V(marker).size();
        FUZZ_CHECK(r.size() + V(marker).size() <= s.size());
        FUZZ_CHECK(SameBytes(s.substr(markerAt, V(marker).size()), V(marker), ignoreCase));
    }
}

}  // namespace
}  // namespace velmora::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace velmora;
    using namespace velmora::fuzz;
    const Input in(data, size);
    const Text source = in.At(0);
    const Text left = in.At(1);
    const Text right = in.At(2);
    const Text middle = in.At(3);
    const bool ignoreCase = in.Flag(0, 0);
    const int start = in.Flag(0, 6) ? in.Small(1) : 0;

    CheckTextBetween(source, left, right, start, ignoreCase);
    CheckTextBetweenAt(source, in.Small(3), left, in.Flag(0, 2) ? &middle : nullptr, right, ignoreCase,
                       in.Flag(0, 1));
    CheckTextBetweenOnce(source, left, right, start);

    ExtractOptions options;
    options.matchCase = in.Flag(0, 3);
    options.maxLength = in.Small(2);
    options.prefix = in.At(4);
    options.suffix = in.At(5);
    options.keepLeft = in.Flag(0, 4);
    options.keepRight = in.Flag(0, 5);
    options.start = start;
    CheckExtractAll(source, left, right, options);

    CheckTextAfterLast(source, left, in.Flag(0, 6) ? std::optional<int>(start) : std::nullopt, ignoreCase);
    return 0;
}
