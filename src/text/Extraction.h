// Cutting pieces out of a larger text by searching for marker texts: the
// scraping of result and profile pages, and much of the header, cookie and
// URL parsing. Every search is a FindText or FindTextReverse, so markers are
// never matched at the second byte of a two-byte character.
#pragma once

#include <optional>

#include "text/Primitives.h"

namespace velmora {

// The text between the first leftMarker (searched from start) and the next
// rightMarker; empty when either is missing. "#引号" in a marker stands for
// a double quote.
Text TextBetween(const Text& source, const Text& leftMarker, const Text& rightMarker, int start = 0,
                 bool ignoreCase = false);

// From a running position: on return position is -1 when nothing was found,
// else where the returned text begins. An omitted middleMarker is the left
// marker; a missing right marker lets the piece run to the end of source.
Text TextBetweenAt(const Text& source, int& position, const Text& leftMarker, const Text* middleMarker,
                   const Text& rightMarker, bool ignoreCase = true, bool keepLeft = true);

// The text after the first marker up to the next terminator, both searched
// without regard to case; not trimmed.
Text TextBetweenOnce(const Text& source, const Text& marker, const Text& terminator, int start = 0);

struct ExtractOptions {
    bool matchCase = false;
    int maxLength = 0;  // 0: no limit; else a piece must be shorter than this
    Text prefix;
    Text suffix;
    bool keepLeft = false;
    bool keepRight = false;
    int start = 0;
};

// Empties results, then appends every trimmed, non-empty piece between a left
// marker and the next right marker. Returns the element count.
int ExtractAllBetween(const Text& source, const Text& leftMarker, const Text& rightMarker, TextArray& results,
                      const ExtractOptions& options = ExtractOptions());

// The text after the last occurrence of marker that ends before start
// (the whole text when start is omitted); empty when there is none.
Text TextAfterLast(const Text& source, const Text& marker, std::optional<int> start = std::nullopt,
                   bool ignoreCase = false);

}  // namespace velmora
