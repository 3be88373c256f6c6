#include "text/TextArray.h"

#include "text/RuntimeError.h"

namespace velmora {

namespace {

constexpr char kIndexAboveCountMessage[] = "数组成员引用下标超出定义范围";
constexpr char kIndexBelowOneMessage[] = "数组成员引用下标必须大于等于1";

// The below-1 test comes first, so an empty array read at 0 reports error 4.
void CheckIndex(int index, int count) {
    if (index < 1) RaiseRuntimeError(kErrorIndexBelowOne, kIndexBelowOneMessage);
    if (index > count) RaiseRuntimeError(kErrorIndexAboveCount, kIndexAboveCountMessage);
}

}  // namespace

const Text& TextArray::At(int index) const {
    CheckIndex(index, Count());
    return items_[std::size_t(index - 1)];
}

void TextArray::Set(int index, Text value) {
    CheckIndex(index, Count());
    items_[std::size_t(index - 1)] = std::move(value);
}

}  // namespace velmora
