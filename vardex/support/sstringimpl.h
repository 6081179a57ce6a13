#pragma once
// The shared, reference-counted character buffer under SString and SStringW.
//
// A string object is one pointer to a buffer: reference count, characters used,
// characters allocated, then the characters with a zero at index "used"
// (used < allocated). Copies share the buffer; every writer first makes the
// buffer its own (copy on write). Each character type has one static empty
// buffer with the count -1, which is never counted, written or freed.
// Counts change only atomically, so buffers may be shared across threads; one
// string object must not be used by two threads at once.

#include "vardex/support/sassert.h"
#include "vardex/support/sheap.h"

#include <atomic>
#include <cstdint>
#include <cstring>
#include <new>
#include <utility>

template <class CharT> struct SStringBuffer
{
    std::atomic<int32_t> refCount;
    int32_t nativeCharsUsed;
    int32_t nativeCharsAllocated;

    CharT* chars() { return reinterpret_cast<CharT*>(this + 1); }
};

template <class CharT> struct SStringEmptyBuffer
{
    SStringBuffer<CharT> header;
    CharT zero[1];
};

// Constant-initialised, so they exist before any code of the library runs.
inline constinit SStringEmptyBuffer<char> g_sstringEmptyBufferA = {{-1, 0, 1}, {0}};
inline constinit SStringEmptyBuffer<char16_t> g_sstringEmptyBufferW = {{-1, 0, 1}, {0}};

template <class CharT> class SStringImpl
{
public:
    using Buffer = SStringBuffer<CharT>;

    SStringImpl() noexcept : buffer_(EmptyBuffer()) {}
    SStringImpl(const SStringImpl& other) : buffer_(EmptyBuffer()) { AssignBuffer(other.buffer_); }
    SStringImpl(SStringImpl&& other) noexcept : buffer_(std::exchange(other.buffer_, EmptyBuffer()))
    {
    }
    ~SStringImpl() { Release(); }

    SStringImpl& operator=(const SStringImpl& other)
    {
        AssignBuffer(other.buffer_);
        return *this;
    }
    SStringImpl& operator=(SStringImpl&& other) noexcept
    {
        std::swap(buffer_, other.buffer_);
        return *this;
    }

    int32_t GetLength() const { return buffer_->nativeCharsUsed; }
    bool IsEmpty() const { return buffer_->nativeCharsUsed == 0; }
    // The zero-terminated characters; never null.
    const CharT* GetString() const { return buffer_->chars(); }
    // The buffer's reference count (-1 for the shared empty buffer).
    int32_t GetRefCount() const { return buffer_->refCount.load(std::memory_order_acquire); }
    // Makes the string empty (it then shares the empty buffer).
    void Empty()
    {
        Release();
        buffer_ = EmptyBuffer();
    }

protected:
    static Buffer* EmptyBuffer()
    {
        if constexpr (sizeof(CharT) == 1)
            return &g_sstringEmptyBufferA.header;
        else
            return &g_sstringEmptyBufferW.header;
    }
    static bool IsStatic(const Buffer* buffer) { return buffer->refCount.load() == -1; }

    // A buffer for `capacity` characters (terminator included) plus 32 of slack.
    static Buffer* NewBuffer(int64_t capacity) { return Allocate(nullptr, capacity + 32); }

    // Gives up this string's share of its buffer; the string then shares the empty buffer.
    void Release()
    {
        Buffer* buffer = std::exchange(buffer_, EmptyBuffer());
        if (buffer && !IsStatic(buffer) &&
            buffer->refCount.fetch_sub(1, std::memory_order_acq_rel) == 1)
            SHeapFree(buffer);
    }

    // Shares `buffer` (released first; its own buffer: nothing).
    void AssignBuffer(Buffer* buffer);
    // Stores the length and writes the terminator; beyond the allocation: reported, nothing.
    void SetLength(int32_t nativeCharsUsed);

    // Makes the buffer this string's own with room for at least m characters.
    void Reserve(int32_t m)
    {
        if (m < GetLength())
            m = GetLength();
        if (GetRefCount() == 1) {
            if (buffer_->nativeCharsAllocated < int64_t(m) + 1)
                buffer_ = Allocate(buffer_, int64_t(m) + 1 + 32);
        } else {
            Buffer* fresh = NewBuffer(int64_t(m) + 1);
            std::memcpy(fresh->chars(), buffer_->chars(), (GetLength() + 1) * sizeof(CharT));
            fresh->nativeCharsUsed = GetLength();
            Release();
            buffer_ = fresh;
        }
    }

    // Replaces the text by nNativeChars characters at r.
    void CopyChars(const CharT* r, int32_t nNativeChars)
    {
        // clang-format off
        SASSERT(r!=0 || nNativeChars==0);
        // clang-format on
        if (!r || nNativeChars <= 0) {
            Empty();
            return;
        }
        if (r == buffer_->chars() && nNativeChars == GetLength())
            return;
        if (GetRefCount() == 1 && nNativeChars < buffer_->nativeCharsAllocated) {
            std::memmove(buffer_->chars(), r, nNativeChars * sizeof(CharT));
        } else {
            // The old buffer stays alive until the copy is made, so r may point into it.
            Buffer* fresh = NewBuffer(int64_t(nNativeChars) + 1);
            std::memcpy(fresh->chars(), r, nNativeChars * sizeof(CharT));
            Release();
            buffer_ = fresh;
        }
        SetLength(nNativeChars);
    }

    // Appends n characters at t (t may point into this string's own text).
    void AppendChars(const CharT* t, int32_t n)
    {
        if (n <= 0)
            return;
        // clang-format off
        SASSERT(t!=0);
        // clang-format on
        if (!t)
            return;
        const int32_t u = GetLength();
        const bool shared = GetRefCount() != 1;
        if (buffer_->nativeCharsAllocated < int64_t(u) + n + 1) {
            const int64_t capacity = int64_t(n) + 2 * int64_t(u) + 1;
            if (shared) {
                Replace(NewBuffer(capacity), t, n);
            } else {
                const CharT* own = buffer_->chars();
                const bool inside = t >= own && t < own + buffer_->nativeCharsAllocated;
                const std::ptrdiff_t offset = t - own;
                buffer_ = Allocate(buffer_, capacity);
                if (inside)
                    t = buffer_->chars() + offset;
                std::memmove(buffer_->chars() + u, t, n * sizeof(CharT));
            }
        } else if (shared) {
            Replace(NewBuffer(int64_t(u) + n + 1), t, n);
        } else {
            std::memmove(buffer_->chars() + u, t, n * sizeof(CharT));
        }
        SetLength(u + n);
    }

    // A buffer of this string's own holding n characters (content undefined
    // except the terminator); returns where to write them.
    CharT* PrepareBuffer(int32_t n)
    {
        Buffer* fresh = NewBuffer(int64_t(n) + 1);
        Release();
        buffer_ = fresh;
        SetLength(n);
        return buffer_->chars();
    }

    Buffer* buffer_;

private:
    // Allocates (old null) or reallocates a buffer to `allocated` characters.
    static Buffer* Allocate(Buffer* old, int64_t allocated)
    {
        if (allocated > INT32_MAX)
            throw std::bad_alloc();
        const std::size_t bytes = sizeof(Buffer) + std::size_t(allocated) * sizeof(CharT);
        Buffer* buffer;
        if (old) {
            buffer = static_cast<Buffer*>(SHeapRealloc(old, bytes));
        } else {
            buffer = static_cast<Buffer*>(SHeapAlloc(bytes));
            new (&buffer->refCount) std::atomic<int32_t>(1);
            buffer->nativeCharsUsed = 0;
            buffer->chars()[0] = 0;
        }
        buffer->nativeCharsAllocated = int32_t(allocated);
        return buffer;
    }

    // Moves the text and t into `fresh` and makes it this string's buffer.
    void Replace(Buffer* fresh, const CharT* t, int32_t n)
    {
        const int32_t u = GetLength();
        std::memcpy(fresh->chars(), buffer_->chars(), u * sizeof(CharT));
        std::memcpy(fresh->chars() + u, t, n * sizeof(CharT));
        Release();
        buffer_ = fresh;
    }
};

// Defined and instantiated with the string types (sstring.cpp).
extern template class SStringImpl<char>;
extern template class SStringImpl<char16_t>;
