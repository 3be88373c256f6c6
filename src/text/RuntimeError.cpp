#include "text/RuntimeError.h"

#include "text/Platform.h"
#include "text/Primitives.h"

namespace velmora {

namespace {

constexpr char kErrorTitle[] = "错误";
constexpr char kBoxHeading[] = "运行时出错!\r\n\r\n";
constexpr char kCodeLabel[] = "错误代码：";
constexpr char kCodeLineEnd[] = "\r\n\r\n";
constexpr char kMessageLabel[] = "错误信息：";
constexpr char kMessageLineEnd[] = "\r\n";

}  // namespace

Text RuntimeErrorBoxText(int code, const Text& message) {
    Text codeText = code != 0 ? IntToText(code) : Text();
    return ConcatText(kBoxHeading,                                //
                      code != 0 ? kCodeLabel : "", codeText,       //
                      code != 0 ? kCodeLineEnd : "",               //
                      message.IsEmpty() ? "" : kMessageLabel, message,
                      message.IsEmpty() ? "" : kMessageLineEnd);
}

void RaiseRuntimeError(int code, const Text& message) {
    ShowFatalBoxAndExit(RuntimeErrorBoxText(code, message), Text(kErrorTitle));
}

}  // namespace velmora
