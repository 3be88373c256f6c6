#include "text/Extraction.h"

#include <algorithm>

#include "text/Platform.h"
#include "text/TextWalk.h"

namespace velmora {

namespace {

// Lets a caller write a double quote inside a marker.
constexpr char kQuoteToken[] = "#引号";
constexpr char kQuote[] = "\"";

Text WithQuotes(const Text& marker) { return ReplaceText(marker, kQuoteToken, kQuote, 0, -1, true); }

}  // namespace

Text TextBetween(const Text& source, const Text& leftMarker, const Text& rightMarker, int start,
                 bool ignoreCase) {
    Text left = WithQuotes(leftMarker);
    Text right = WithQuotes(rightMarker);
    int from = FindText(source, left, start, ignoreCase);
    if (from < 0) return Text();
    from += TextLength(left);
    int to = FindText(source, right, from, ignoreCase);
    if (to < 0) return Text();
    return MidText(source, from, to - from);
}

Text TextBetweenAt(const Text& source, int& position, const Text& leftMarker, const Text* middleMarker,
                   const Text& rightMarker, bool ignoreCase, bool keepLeft) {
    int left = FindText(source, leftMarker, position, ignoreCase);
    position = left;
    if (left < 0) return Text();
    const Text& middle = middleMarker ? *middleMarker : leftMarker;
    int middleAt = left;
    if (middleMarker) {
        middleAt = FindText(source, middle, left, ignoreCase);
        if (middleAt < 0) {
            position = -1;
            return Text();
        }
    }
    int afterMiddle = middleAt + TextLength(middle);
    int right = FindText(source, rightMarker, afterMiddle, ignoreCase);
    if (right < 0) right = TextLength(source) + 1;
    if (!keepLeft) position = afterMiddle;
    return MidText(source, position, right - position);
}

Text TextBetweenOnce(const Text& source, const Text& marker, const Text& terminator, int start) {
    int found = FindText(source, marker, start, true);
    if (found < 0) return Text();
    int begin = found + TextLength(marker);
    int end = FindText(source, terminator, begin, true);
    if (end < 0) return Text();
    return MidText(source, begin, end - begin);
}

int ExtractAllBetween(const Text& source, const Text& leftMarker, const Text& rightMarker, TextArray& results,
                      const ExtractOptions& options) {
    results.Clear();
    if (leftMarker.IsEmpty()) return 0;  // nothing to search for: would never advance
    bool ignoreCase = !options.matchCase;
    int leftLength = TextLength(leftMarker);
    int position = options.start;
    for (;;) {
        int left = FindText(source, leftMarker, position, ignoreCase);
        if (left < 0) break;
        int right = FindText(source, rightMarker, left + leftLength, ignoreCase);
        if (right < 0) break;
        position = left + leftLength;

        // MidText(source, position, right - position), trimmed, without a copy.
        std::string_view inner;
        if (right > position && position <= TextLength(source)) {
            inner = source.View().substr(std::size_t(position - 1), std::size_t(right - position));
        }
        inner = TrimmedView(inner);
        if (!inner.empty() || !options.prefix.IsEmpty() || !options.suffix.IsEmpty()) {
            Text piece = ConcatText(options.keepLeft ? leftMarker.View() : std::string_view(),  //
                                    options.prefix, inner, options.suffix,
                                    options.keepRight ? rightMarker.View() : std::string_view());
            if (options.maxLength != 0) {
                if (TextLength(piece) < options.maxLength) results.Append(std::move(piece));
                ProcessEvents();
            } else {
                results.Append(std::move(piece));
            }
            // The right marker just found may open the next piece. An empty
            // right marker is "found" at position 1, before the left marker:
            // never step back, or the same piece would be appended for ever.
            position = std::max(right, left + leftLength);
        }
        ProcessEvents();
        ProcessEvents();
        ProcessEvents();
    }
    return results.Count();
}

Text TextAfterLast(const Text& source, const Text& marker, std::optional<int> start, bool ignoreCase) {
    int before = start ? *start : TextLength(source) + 1;
    int found = FindTextReverse(source, marker, before, ignoreCase);
    if (found < 0) return Text();
    return RightText(source, TextLength(source) - TextLength(marker) - found + 1);
}

}  // namespace velmora
