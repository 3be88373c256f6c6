// The request object is driven only through IDispatch, by member name, so
// the client needs no declarations of the object's own interface and works
// with whichever of the three objects could be created.
#include "http/AutomationClient.h"

#include <windows.h>
#include <oleauto.h>

#include <cstring>
#include <initializer_list>

#include "http/ComOwnersWin32.h"
#include "http/CookieStore.h"
#include "http/CookieString.h"
#include "http/HttpHeaders.h"
#include "http/Url.h"
#include "text/Primitives.h"

namespace velmora {
namespace {

const wchar_t* const kRequestProgIds[] = {
    L"WinHttp.WinHttpRequest.5.1",
    L"MSXML2.ServerXMLHTTP.6.0",
    L"MSXML2.ServerXMLHTTP.5.0",
};

constexpr wchar_t kSetTimeouts[] = L"SetTimeouts";
constexpr wchar_t kOpen[] = L"Open";
constexpr wchar_t kOption[] = L"Option";
constexpr wchar_t kSetRequestHeader[] = L"SetRequestHeader";
constexpr wchar_t kSend[] = L"Send";
constexpr wchar_t kResponseBody[] = L"ResponseBody";
constexpr wchar_t kGetAllResponseHeaders[] = L"GetallResponseHeaders";

constexpr char kCookieHeader[] = "Cookie";
constexpr int kOptionEnableRedirects = 6;

bool CreateRequestObject(DispatchOwner& object) {
    for (const wchar_t* progId : kRequestProgIds) {
        CLSID classId;
        if (FAILED(CLSIDFromProgID(progId, &classId))) continue;
        if (SUCCEEDED(CoCreateInstance(classId, nullptr, CLSCTX_SERVER, IID_IDispatch,
                                       reinterpret_cast<void**>(object.Receive()))) &&
            object.Get()) {
            return true;
        }
        object.Reset();
    }
    return false;
}

// Calls a member by name with the arguments in their natural order. Fails
// quietly: a member the object lacks, or one that fails, is only an HRESULT.
HRESULT CallMember(IDispatch* object, const wchar_t* name, WORD kind, std::initializer_list<const VARIANT*> args,
                   VARIANT* result = nullptr) {
    DISPID member = DISPID_UNKNOWN;
    LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
    HRESULT hr = object->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &member);
    if (FAILED(hr)) return hr;

    // Automation takes the arguments last first.
    VARIANT reversed[4];
    const UINT count = UINT(args.size());
    if (count > 4) return E_INVALIDARG;
    UINT slot = count;
    for (const VARIANT* arg : args) reversed[--slot] = *arg;

    DISPID putId = DISPID_PROPERTYPUT;
    DISPPARAMS params = {count ? reversed : nullptr, nullptr, count, 0};
    if (kind == DISPATCH_PROPERTYPUT) {
        params.rgdispidNamedArgs = &putId;
        params.cNamedArgs = 1;
    }
    return object->Invoke(member, IID_NULL, LOCALE_USER_DEFAULT, kind, &params, result, nullptr, nullptr);
}

void SetString(VariantOwner& owner, const Text& text) {
    VariantClear(owner.Get());
    V_VT(owner.Get()) = VT_BSTR;
    V_BSTR(owner.Get()) = AnsiToBstr(text);
}

void SetInt(VariantOwner& owner, int value) {
    VariantClear(owner.Get());
    V_VT(owner.Get()) = VT_I4;
    V_I4(owner.Get()) = value;
}

void SetBool(VariantOwner& owner, bool value) {
    VariantClear(owner.Get());
    V_VT(owner.Get()) = VT_BOOL;
    V_BOOL(owner.Get()) = value ? VARIANT_TRUE : VARIANT_FALSE;
}

// A one-dimensional VT_ARRAY | VT_UI1 holding exactly the bytes.
void SetBytes(VariantOwner& owner, const ByteSet& bytes) {
    VariantClear(owner.Get());
    SAFEARRAY* array = SafeArrayCreateVector(VT_UI1, 0, ULONG(bytes.Length()));
    if (!array) return;
    {
        SafeArrayLock lock(array);
        if (lock.Data() && bytes.Length() > 0) std::memcpy(lock.Data(), bytes.Data(), std::size_t(bytes.Length()));
    }
    V_VT(owner.Get()) = VT_ARRAY | VT_UI1;
    V_ARRAY(owner.Get()) = array;
}

ByteSet BytesOf(const VARIANT& value) {
    if (V_VT(&value) != (VT_ARRAY | VT_UI1) || !V_ARRAY(&value)) return ByteSet();
    SAFEARRAY* array = V_ARRAY(&value);
    LONG lower = 0, upper = -1;
    if (SafeArrayGetDim(array) != 1 || FAILED(SafeArrayGetLBound(array, 1, &lower)) ||
        FAILED(SafeArrayGetUBound(array, 1, &upper)) || upper < lower) {
        return ByteSet();
    }
    SafeArrayLock lock(array);
    if (!lock.Data()) return ByteSet();
    return ByteSet::Result(lock.Data(), int(upper - lower + 1));
}

Text TextOf(const VARIANT& value) {
    if (V_VT(&value) != VT_BSTR) return Text();
    return BstrToAnsi(V_BSTR(&value), int(SysStringLen(V_BSTR(&value))));
}

void SetTimeouts(IDispatch* object, int ms) {
    VariantOwner t;
    SetInt(t, ms);
    CallMember(object, kSetTimeouts, DISPATCH_METHOD, {t.Get(), t.Get(), t.Get(), t.Get()});
}

void Open(IDispatch* object, const Text& method, const Text& url) {
    VariantOwner verb, target, async;
    SetString(verb, method);
    SetString(target, url);
    SetBool(async, false);
    CallMember(object, kOpen, DISPATCH_METHOD, {verb.Get(), target.Get(), async.Get()});
}

void DisableRedirects(IDispatch* object) {
    VariantOwner index, value;
    SetInt(index, kOptionEnableRedirects);
    SetInt(value, 0);
    CallMember(object, kOption, DISPATCH_PROPERTYPUT, {index.Get(), value.Get()});
}

void SetRequestHeader(IDispatch* object, const Text& name, const Text& value) {
    VariantOwner headerName, headerValue;
    SetString(headerName, name);
    SetString(headerValue, value);
    CallMember(object, kSetRequestHeader, DISPATCH_METHOD, {headerName.Get(), headerValue.Get()});
}

bool Send(IDispatch* object, const Text& postText, const ByteSet& postBytes) {
    VariantOwner body;
    if (!postBytes.IsEmpty()) {
        SetBytes(body, postBytes);
    } else {
        SetString(body, postText);
    }
    return SUCCEEDED(CallMember(object, kSend, DISPATCH_METHOD, {body.Get()}));
}

ByteSet ReadResponseBody(IDispatch* object) {
    VariantOwner value;
    if (FAILED(CallMember(object, kResponseBody, DISPATCH_PROPERTYGET, {}, value.Get()))) return ByteSet();
    return BytesOf(value.Value());
}

Text ReadResponseHeaders(IDispatch* object) {
    VariantOwner value;
    if (FAILED(CallMember(object, kGetAllResponseHeaders, DISPATCH_METHOD | DISPATCH_PROPERTYGET, {},
                          value.Get()))) {
        return Text();
    }
    return TextOf(value.Value());
}

}  // namespace

ByteSet AutomationFetch(const Text& url, Text* method, const Text* postText, Text* cookies, Text* returnedCookies,
                        Text* headerBlock, Text* location, bool noRedirect, int timeoutSeconds,
                        Text* responseHeaders, const ByteSet* postBytes) {
    // Omitted outputs are written to locals, so every step runs the same way.
    Text localMethod, localCookies, localReturned, localBlock, localLocation, localHeaders;
    Text& methodText = method ? *method : localMethod;
    Text& cookieText = cookies ? *cookies : localCookies;
    Text& returned = returnedCookies ? *returnedCookies : localReturned;
    Text& block = headerBlock ? *headerBlock : localBlock;
    Text& target = location ? *location : localLocation;
    Text& headers = responseHeaders ? *responseHeaders : localHeaders;
    const Text& bodyText = postText ? *postText : Text();
    const ByteSet& bodyBytes = postBytes ? *postBytes : EmptyBytes();

    // Declared first so that the request object is released before COM.
    ComApartment apartment;
    DispatchOwner object;
    if (!CreateRequestObject(object)) return ByteSet();
    IDispatch* request = object.Get();

    methodText = AutomationMethod(methodText);
    if (const auto ms = AutomationTimeoutMs(timeoutSeconds)) SetTimeouts(request, *ms);
    Open(request, methodText, url);
    if (noRedirect) DisableRedirects(request);
    if (block.IsEmpty()) block = DefaultHeaderBlock(url);

    // Cookies go out from the store under the main domain, updated by the
    // caller's own pairs, before the caller's header lines.
    const Text mainDomain = UrlDomain(url, true);
    Text stored = ReadStoreCookies(mainDomain);
    cookieText = MergeCookies(stored, cookieText);
    if (!cookieText.IsEmpty()) SetRequestHeader(request, kCookieHeader, cookieText);
    for (const HeaderLine& line : SplitHeaderBlock(block)) SetRequestHeader(request, line.name, line.value);

    // After a failed send there is no response to read. Windows' object then
    // fails both reads; Wine's may still report the length of a body cut off
    // by a reset while its buffer is gone, and reading it would crash.
    ByteSet body;
    headers = Text();
    if (Send(request, bodyText, bodyBytes)) {
        body = ReadResponseBody(request);
        headers = ReadResponseHeaders(request);
    }

    ReadAutomationResponseHeaders(headers, target, returned);
    MergeCookies(cookieText, returned);
    WriteStoreCookies(mainDomain, cookieText);
    return body;
}

}  // namespace velmora
