// Inputs the fuzz targets (fuzz/) found wrong, kept as plain tests.
#include <gtest/gtest.h>

#include "text/Extraction.h"

namespace velmora {
namespace {

// An empty right marker is "found" at position 1, before the left marker. A
// piece that is not empty only because of its prefix used to be appended and
// the next search started at that position 1 again: the same piece was
// appended for ever, until memory ran out.
TEST(FuzzRegressionTest, ExtractAllBetweenEndsWithEmptyRightMarkerAndPrefix) {
    TextArray results;
    ExtractOptions options;
    options.prefix = "P";
    const int count = ExtractAllBetween("ab", "a", "", results, options);
    EXPECT_EQ(count, results.Count());
    EXPECT_LE(count, 1);
}

}  // namespace
}  // namespace velmora
