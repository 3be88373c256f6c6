#include "http/ComOwnersWin32.h"

#include <algorithm>

#include "text/Primitives.h"
#include "text/RuntimeError.h"

namespace velmora {

BSTR AnsiToBstr(const Text& text) {
    const int wideLength =
        text.IsEmpty() ? 0 : MultiByteToWideChar(CP_ACP, 0, text.Data(), text.Length(), nullptr, 0);
    BSTR string = SysAllocStringLen(nullptr, UINT(wideLength));
    if (!string) RaiseStorageExhausted((unsigned long long)(wideLength + 1) * sizeof(wchar_t));
    if (wideLength > 0) MultiByteToWideChar(CP_ACP, 0, text.Data(), text.Length(), string, wideLength);
    string[wideLength] = L'\0';
    return string;
}

Text BstrToAnsi(const wchar_t* string, int length) {
    if (!string || length <= 0) return Text();
    length = int(std::find(string, string + length, L'\0') - string);
    const int ansiLength = WideCharToMultiByte(CP_ACP, 0, string, length, nullptr, 0, nullptr, nullptr);
    if (ansiLength <= 0) return Text();
    Text buffer = BlankText(ansiLength);
    WideCharToMultiByte(CP_ACP, 0, string, length, buffer.MutableData(), ansiLength, nullptr, nullptr);
    return buffer;
}

}  // namespace velmora
