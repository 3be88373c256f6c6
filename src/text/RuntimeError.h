// The fatal stop: an error box titled "错误", then the end of the process
// with exit code -1.
#pragma once

#include "text/Text.h"

namespace velmora {

// Codes the program raises.
constexpr int kErrorStorageExhausted = 0;
constexpr int kErrorIndexAboveCount = 1;
constexpr int kErrorIndexBelowOne = 4;
constexpr int kErrorStackMismatch = 6;

// "运行时出错!\r\n\r\n", then the code line unless code is 0, then the message
// line unless the message is empty.
Text RuntimeErrorBoxText(int code, const Text& message);

[[noreturn]] void RaiseRuntimeError(int code, const Text& message);

// Error 0 with "分配 <bytes> 字节内存失败!"; builds its text without taking
// more heap than a few bytes, since the heap has just failed.
[[noreturn]] void RaiseStorageExhausted(unsigned long long bytes);

}  // namespace velmora
