#pragma once
// A growable array of plain values (numbers, offsets, characters) holding a recordset's rows.
// A large array lives in a mapping of its own that grows and shrinks by remapping its pages,
// never by copying them: a million rows are read without moving what was read before, and
// without touching fresh pages for each copy.

#include <sys/mman.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <new>
#include <type_traits>
#include <utility>

namespace ado::detail {

template <class T> class PlainArray
{
    static_assert(std::is_trivially_copyable_v<T>);

public:
    PlainArray() = default;
    PlainArray(const PlainArray& other)
    {
        reserve(other.size_);
        if (other.size_ > 0) {
            std::memcpy(data_, other.data_, Bytes(other.size_));
        }
        size_ = other.size_;
    }
    PlainArray(PlainArray&& other) noexcept
        : data_(std::exchange(other.data_, nullptr)), size_(std::exchange(other.size_, 0)),
          capacity_(std::exchange(other.capacity_, 0))
    {
    }
    PlainArray& operator=(PlainArray other) noexcept
    {
        std::swap(data_, other.data_);
        std::swap(size_, other.size_);
        std::swap(capacity_, other.capacity_);
        return *this;
    }
    ~PlainArray() { Free(data_, capacity_); }

    size_t size() const { return size_; }
    bool empty() const { return size_ == 0; }
    T* data() { return data_; }
    const T* data() const { return data_; }
    T& operator[](size_t i) { return data_[i]; }
    const T& operator[](size_t i) const { return data_[i]; }
    T& back() { return data_[size_ - 1]; }
    const T& back() const { return data_[size_ - 1]; }

    void push_back(T value)
    {
        if (size_ == capacity_) {
            Grow(size_ + 1);
        }
        data_[size_++] = value;
    }
    void pop_back() { --size_; }
    void append(const T* values, size_t count)
    {
        if (count == 0) {
            return;
        }
        if (size_ + count > capacity_) {
            Grow(size_ + count);
        }
        std::memcpy(data_ + size_, values, Bytes(count));
        size_ += count;
    }
    // Shortens the array, or lengthens it with zeros.
    void resize(size_t count)
    {
        if (count > capacity_) {
            Grow(count);
        }
        if (count > size_) {
            std::memset(data_ + size_, 0, Bytes(count - size_));
        }
        size_ = count;
    }
    void clear() { size_ = 0; }
    void reserve(size_t count)
    {
        if (count > capacity_) {
            Reallocate(count);
        }
    }
    void shrink_to_fit()
    {
        if (capacity_ > size_) {
            Reallocate(size_);
        }
    }

private:
    // From this size an array has its own mapping.
    static constexpr size_t MappedBytes = size_t{1} << 20;
    static constexpr size_t Page = 4096;

    static size_t Bytes(size_t count) { return count * sizeof(T); }
    static bool Mapped(size_t capacity) { return Bytes(capacity) >= MappedBytes; }

    static void Free(T* data, size_t capacity)
    {
        if (data == nullptr) {
            return;
        }
        if (Mapped(capacity)) {
            ::munmap(data, Bytes(capacity));
        } else {
            std::free(data);
        }
    }

    void Grow(size_t needed) { Reallocate(std::max({needed, capacity_ * 2, size_t{16}})); }

    void Reallocate(size_t capacity)
    {
        if (capacity == 0) {
            Free(data_, capacity_);
            data_ = nullptr;
            capacity_ = 0;
            return;
        }
        if (Mapped(capacity)) {
            // Whole pages, all of them usable.
            capacity = (Bytes(capacity) + Page - 1) / Page * Page / sizeof(T);
        }
        void* p = nullptr;
        if (Mapped(capacity) && Mapped(capacity_)) {
            p = ::mremap(data_, Bytes(capacity_), Bytes(capacity), MREMAP_MAYMOVE);
        } else if (!Mapped(capacity) && !Mapped(capacity_)) {
            p = std::realloc(data_, Bytes(capacity));
            if (p == nullptr) {
                throw std::bad_alloc();
            }
        } else {
            p = Mapped(capacity) ? ::mmap(nullptr, Bytes(capacity), PROT_READ | PROT_WRITE,
                                          MAP_PRIVATE | MAP_ANONYMOUS, -1, 0)
                                 : std::malloc(Bytes(capacity));
            if (p == nullptr || p == MAP_FAILED) {
                throw std::bad_alloc();
            }
            if (size_ > 0) {
                std::memcpy(p, data_, Bytes(std::min(size_, capacity)));
            }
            Free(data_, capacity_);
        }
        if (p == MAP_FAILED) {
            throw std::bad_alloc();
        }
        data_ = static_cast<T*>(p);
        capacity_ = capacity;
        size_ = std::min(size_, capacity_);
    }

    T* data_ = nullptr;
    size_t size_ = 0;
    size_t capacity_ = 0;
};

} // namespace ado::detail
