// Text and ByteSet: owned byte strings that are either absent or present.
//
// Every operation reads an absent value as the empty one; only a Windows
// function sees the difference, receiving a null pointer for an absent value
// (WinPtr). Operations that produce an empty result produce it absent
// (Text::Result, ByteSet::Result); literals and ConcatText results are present.
// Storage comes from the process heap; running out of it is the fatal
// run-time error 0.
#pragma once

#include <cstddef>
#include <string_view>

namespace velmora {

// Allocates n bytes or raises run-time error 0 ("分配 n 字节内存失败!").
void* AllocateStorage(std::size_t n);
void ReleaseStorage(void* p) noexcept;

class Text {
public:
    Text() noexcept = default;  // absent
    Text(const char* literal);  // present copy; a null pointer gives absent
    Text(const Text& other);
    Text(Text&& other) noexcept;
    Text& operator=(const Text& other);
    Text& operator=(Text&& other) noexcept;
    ~Text();

    // Present, even when length is 0. The bytes must hold no zero byte.
    static Text Present(const char* data, int length);
    static Text Present(std::string_view bytes) { return Present(bytes.data(), int(bytes.size())); }
    // Absent when length is 0: what every operation yields for an empty result.
    static Text Result(const char* data, int length);
    static Text Result(std::string_view bytes) { return Result(bytes.data(), int(bytes.size())); }
    // The bytes of a Windows output buffer up to its first zero byte: present
    // (the buffer was), absent only for a null pointer.
    static Text UpToZero(const char* buffer);
    // Present, length spaces in one allocation, for the caller to overwrite
    // through MutableData (how results of a known size are built).
    static Text OfLength(int length);

    bool IsAbsent() const noexcept { return data_ == nullptr; }
    bool IsEmpty() const noexcept { return length_ == 0; }
    int Length() const noexcept { return length_; }
    const char* Data() const noexcept { return data_ ? data_ : ""; }  // never null
    const char* WinPtr() const noexcept { return data_; }             // null when absent
    char* MutableData() noexcept { return data_; }  // for a Windows function to fill
    std::string_view View() const noexcept { return {Data(), std::size_t(length_)}; }
    unsigned char Byte(int offset) const noexcept { return static_cast<unsigned char>(data_[offset]); }

private:
    char* data_ = nullptr;
    int length_ = 0;
};

class ByteSet {
public:
    ByteSet() noexcept = default;  // absent
    ByteSet(const ByteSet& other);
    ByteSet(ByteSet&& other) noexcept;
    ByteSet& operator=(const ByteSet& other);
    ByteSet& operator=(ByteSet&& other) noexcept;
    ~ByteSet();

    static ByteSet Present(const void* data, int length);  // present, even when empty
    static ByteSet Present(std::string_view bytes) { return Present(bytes.data(), int(bytes.size())); }
    static ByteSet Result(const void* data, int length);  // absent when empty
    static ByteSet Result(std::string_view bytes) { return Result(bytes.data(), int(bytes.size())); }
    // Present, length zero bytes in one allocation, to be overwritten.
    static ByteSet OfLength(int length);

    bool IsAbsent() const noexcept { return data_ == nullptr; }
    bool IsEmpty() const noexcept { return length_ == 0; }
    int Length() const noexcept { return length_; }
    const unsigned char* Data() const noexcept { return data_; }  // null when absent
    const unsigned char* WinPtr() const noexcept { return data_; }
    unsigned char* MutableData() noexcept { return data_; }
    std::string_view View() const noexcept {
        return {reinterpret_cast<const char*>(data_), std::size_t(length_)};
    }

    // Appends with geometric growth, so gathering a body read by read costs
    // time in proportion to its size. An empty append leaves the set as it is.
    void Append(const void* data, int length);

private:
    unsigned char* data_ = nullptr;
    int length_ = 0;
    int capacity_ = 0;
};

// The constant empty byte set used as a default argument: present, length 0.
const ByteSet& EmptyBytes();

}  // namespace velmora
