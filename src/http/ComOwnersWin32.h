// Small owners for the COM resources of one automation request, so that
// every path out of a call releases them, in reverse order of creation.
#pragma once

#include <windows.h>
#include <oleauto.h>

#include "text/Text.h"

namespace velmora {

// COM on the calling thread for the owner's lifetime. Uninitialises only
// what it initialised: a thread already in another apartment mode stays as
// its owner set it up.
class ComApartment {
public:
    ComApartment() noexcept : initialised_(SUCCEEDED(CoInitialize(nullptr))) {}
    ~ComApartment() {
        if (initialised_) CoUninitialize();
    }
    ComApartment(const ComApartment&) = delete;
    ComApartment& operator=(const ComApartment&) = delete;

private:
    bool initialised_;
};

class DispatchOwner {
public:
    DispatchOwner() noexcept = default;
    ~DispatchOwner() { Reset(); }
    DispatchOwner(const DispatchOwner&) = delete;
    DispatchOwner& operator=(const DispatchOwner&) = delete;

    IDispatch* Get() const noexcept { return object_; }
    IDispatch** Receive() noexcept {
        Reset();
        return &object_;
    }
    void Reset() noexcept {
        if (object_) object_->Release();
        object_ = nullptr;
    }

private:
    IDispatch* object_ = nullptr;
};

class VariantOwner {
public:
    VariantOwner() noexcept { VariantInit(&value_); }
    ~VariantOwner() { VariantClear(&value_); }
    VariantOwner(const VariantOwner&) = delete;
    VariantOwner& operator=(const VariantOwner&) = delete;

    VARIANT* Get() noexcept { return &value_; }
    const VARIANT& Value() const noexcept { return value_; }

private:
    VARIANT value_;
};

// Holds a SAFEARRAY's data locked for reading or writing.
class SafeArrayLock {
public:
    explicit SafeArrayLock(SAFEARRAY* array) noexcept : array_(array) {
        if (array_ && FAILED(SafeArrayAccessData(array_, &data_))) {
            array_ = nullptr;
            data_ = nullptr;
        }
    }
    ~SafeArrayLock() {
        if (array_) SafeArrayUnaccessData(array_);
    }
    SafeArrayLock(const SafeArrayLock&) = delete;
    SafeArrayLock& operator=(const SafeArrayLock&) = delete;

    void* Data() const noexcept { return data_; }

private:
    SAFEARRAY* array_;
    void* data_ = nullptr;
};

// A BSTR of the text's characters, from the ANSI code page; the caller owns it.
BSTR AnsiToBstr(const Text& text);

// The string's characters in the ANSI code page, up to any zero character.
Text BstrToAnsi(const wchar_t* string, int length);

}  // namespace velmora
