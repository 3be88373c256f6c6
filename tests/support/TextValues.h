// Texts and arrays as standard strings, for comparisons in tests.
#pragma once

#include <string>
#include <vector>

#include "text/Text.h"
#include "text/TextArray.h"

namespace velmora {

inline std::string Str(const Text& t) { return std::string(t.View()); }

inline std::vector<std::string> Elements(const TextArray& array) {
    std::vector<std::string> out;
    for (int i = 1; i <= array.Count(); ++i) out.push_back(Str(array.At(i)));
    return out;
}

}  // namespace velmora
