#include "text/Text.h"

#include <algorithm>
#include <atomic>
#include <charconv>
#include <climits>
#include <cstdlib>
#include <cstring>

#include "text/RuntimeError.h"

namespace velmora {

namespace {

constexpr char kAllocationFailedBefore[] = "分配 ";
constexpr char kAllocationFailedAfter[] = " 字节内存失败!";

// Once the heap has failed, the few small texts of the error box come from
// this reserve, so the box can still be built and shown.
alignas(16) unsigned char emergencyReserve[2048];
std::atomic<std::size_t> emergencyUsed{0};
std::atomic<bool> storageExhausted{false};

bool IsInReserve(const void* p) {
    auto* byte = static_cast<const unsigned char*>(p);
    return byte >= emergencyReserve && byte < emergencyReserve + sizeof emergencyReserve;
}

void* TakeFromReserve(std::size_t n) {
    std::size_t rounded = (n + 15) & ~std::size_t(15);
    std::size_t offset = emergencyUsed.fetch_add(rounded);
    if (offset > sizeof emergencyReserve || rounded > sizeof emergencyReserve - offset) return nullptr;
    return emergencyReserve + offset;
}

int CheckedLength(std::size_t n) {
    if (n > std::size_t(INT_MAX) - 1) RaiseStorageExhausted(n);
    return int(n);
}

}  // namespace

void* AllocateStorage(std::size_t n) {
    if (n == 0) n = 1;
    if (void* p = std::malloc(n)) return p;
    if (storageExhausted.load()) {
        // Already on the way to the fatal box: serve its texts from the reserve.
        if (void* p = TakeFromReserve(n)) return p;
        std::_Exit(-1);
    }
    RaiseStorageExhausted(n);
}

void RaiseStorageExhausted(unsigned long long bytes) {
    storageExhausted.store(true);
    char digits[24];
    auto end = std::to_chars(digits, digits + sizeof digits, bytes).ptr;
    char message[sizeof kAllocationFailedBefore + sizeof digits + sizeof kAllocationFailedAfter];
    char* out = message;
    out = std::copy(kAllocationFailedBefore, kAllocationFailedBefore + sizeof kAllocationFailedBefore - 1, out);
    out = std::copy(digits, end, out);
    out = std::copy(kAllocationFailedAfter, kAllocationFailedAfter + sizeof kAllocationFailedAfter, out);
    RaiseRuntimeError(kErrorStorageExhausted, Text(message));
}

void ReleaseStorage(void* p) noexcept {
    if (p && !IsInReserve(p)) std::free(p);
}

// ---- Text ----

Text::Text(const char* literal) {
    if (!literal) return;
    *this = Present(literal, CheckedLength(std::strlen(literal)));
}

Text::Text(const Text& other) {
    if (other.data_) *this = Present(other.data_, other.length_);
}

Text::Text(Text&& other) noexcept : data_(other.data_), length_(other.length_) {
    other.data_ = nullptr;
    other.length_ = 0;
}

Text& Text::operator=(const Text& other) {
    if (this != &other) *this = Text(other);
    return *this;
}

Text& Text::operator=(Text&& other) noexcept {
    if (this != &other) {
        ReleaseStorage(data_);
        data_ = other.data_;
        length_ = other.length_;
        other.data_ = nullptr;
        other.length_ = 0;
    }
    return *this;
}

Text::~Text() { ReleaseStorage(data_); }

Text Text::Present(const char* data, int length) {
    Text text = OfLength(length);
    if (text.length_ > 0) std::memcpy(text.data_, data, std::size_t(text.length_));
    return text;
}

Text Text::Result(const char* data, int length) {
    if (length <= 0) return Text();
    return Present(data, length);
}

Text Text::UpToZero(const char* buffer) {
    if (!buffer) return Text();
    return Present(buffer, CheckedLength(std::strlen(buffer)));
}

Text Text::OfLength(int length) {
    if (length < 0) length = 0;
    Text text;
    text.data_ = static_cast<char*>(AllocateStorage(std::size_t(length) + 1));
    std::memset(text.data_, ' ', std::size_t(length));
    text.data_[length] = '\0';
    text.length_ = length;
    return text;
}

// ---- ByteSet ----

ByteSet::ByteSet(const ByteSet& other) {
    if (other.data_) *this = Present(other.data_, other.length_);
}

ByteSet::ByteSet(ByteSet&& other) noexcept
    : data_(other.data_), length_(other.length_), capacity_(other.capacity_) {
    other.data_ = nullptr;
    other.length_ = 0;
    other.capacity_ = 0;
}

ByteSet& ByteSet::operator=(const ByteSet& other) {
    if (this != &other) *this = ByteSet(other);
    return *this;
}

ByteSet& ByteSet::operator=(ByteSet&& other) noexcept {
    if (this != &other) {
        ReleaseStorage(data_);
        data_ = other.data_;
        length_ = other.length_;
        capacity_ = other.capacity_;
        other.data_ = nullptr;
        other.length_ = 0;
        other.capacity_ = 0;
    }
    return *this;
}

ByteSet::~ByteSet() { ReleaseStorage(data_); }

ByteSet ByteSet::OfLength(int length) {
    if (length < 0) length = 0;
    ByteSet bytes;
    bytes.data_ = static_cast<unsigned char*>(AllocateStorage(std::size_t(length)));
    std::memset(bytes.data_, 0, std::size_t(length));
    bytes.length_ = length;
    bytes.capacity_ = length;
    return bytes;
}

ByteSet ByteSet::Present(const void* data, int length) {
    ByteSet bytes = OfLength(length);
    if (bytes.length_ > 0) std::memcpy(bytes.data_, data, std::size_t(bytes.length_));
    return bytes;
}

ByteSet ByteSet::Result(const void* data, int length) {
    if (length <= 0) return ByteSet();
    return Present(data, length);
}

void ByteSet::Append(const void* data, int length) {
    if (length <= 0) return;
    std::size_t needed = std::size_t(length_) + std::size_t(length);
    if (needed > std::size_t(INT_MAX)) RaiseStorageExhausted(needed);
    if (needed > std::size_t(capacity_)) {
        std::size_t grown = std::size_t(capacity_) + std::size_t(capacity_) / 2;
        if (grown < needed) grown = needed;
        if (grown < 64) grown = 64;
        if (grown > std::size_t(INT_MAX)) grown = std::size_t(INT_MAX);
        auto* larger = static_cast<unsigned char*>(AllocateStorage(grown));
        if (length_ > 0) std::memcpy(larger, data_, std::size_t(length_));
        ReleaseStorage(data_);
        data_ = larger;
        capacity_ = int(grown);
    }
    std::memcpy(data_ + length_, data, std::size_t(length));
    length_ = int(needed);
}

const ByteSet& EmptyBytes() {
    static const ByteSet empty = ByteSet::OfLength(0);
    return empty;
}

}  // namespace velmora
