#pragma once
// The support library's containers: a growable array, an ordered map and an
// ordered set over the standard containers, with all storage from the heap
// hooks. Each has a virtual destructor so that it can be deleted through a
// base pointer. The containers take no locks; their owners do.

#include "vardex/support/sassert.h"
#include "vardex/support/sheap.h"

#include <algorithm>
#include <cstdint>
#include <functional>
#include <map>
#include <set>
#include <stdexcept>
#include <vector>

template <class T> class SIArray
{
public:
    using Storage = std::vector<T, SHeapAllocator<T>>;

    SIArray() = default;
    SIArray(const SIArray&) = default;
    SIArray& operator=(const SIArray&) = default;
    virtual ~SIArray() = default;

    int32_t GetSize() const { return int32_t(m_data.size()); }
    int32_t GetCapacity() const { return int32_t(m_data.capacity()); }

    // A copy of the element; an index out of range is reported and gives T().
    T GetAt(int32_t index) const
    {
        SASSERT(index >= 0 && index < GetSize());
        return index >= 0 && index < GetSize() ? m_data[index] : T();
    }
    // The element in place; an index out of range is reported and raises std::out_of_range.
    T& ElementAt(int32_t index)
    {
        SASSERT(index >= 0 && index < GetSize());
        return m_data.at(std::size_t(index));
    }
    const T& operator[](int32_t index) const
    {
        SASSERT(index >= 0 && index < GetSize());
        return m_data.at(std::size_t(index));
    }
    T& operator[](int32_t index) { return ElementAt(index); }

    // An index out of range is reported and nothing is set.
    void SetAt(int32_t index, const T& value)
    {
        SASSERT(index >= 0 && index < GetSize());
        if (index >= 0 && index < GetSize())
            m_data[index] = value;
    }
    // Returns the new element's index.
    int32_t Add(const T& value)
    {
        m_data.push_back(value);
        return GetSize() - 1;
    }
    void RemoveAll() { m_data.clear(); }

    // Grows with default elements or cuts to nNewSize. When the capacity must
    // grow, it grows by nGrowBy (-1: a eighth of the size, from 4 to 1024) or
    // to exactly nNewSize when that is more.
    void SetSize(int32_t nNewSize, int32_t nGrowBy = -1)
    {
        SASSERT(nNewSize >= 0);
        if (nNewSize < 0)
            return;
        if (nNewSize == 0) {
            m_data.clear();
        } else if (m_data.empty() || GetCapacity() >= nNewSize) {
            m_data.resize(std::size_t(nNewSize));
        } else {
            int64_t growBy = nGrowBy == -1 ? std::clamp<int64_t>(GetSize() / 8, 4, 1024) : nGrowBy;
            int64_t capacity = int64_t(GetCapacity()) + growBy;
            if (nNewSize >= capacity)
                capacity = nNewSize;
            m_data.reserve(std::size_t(capacity));
            m_data.resize(std::size_t(nNewSize));
        }
    }

    typename Storage::const_iterator begin() const { return m_data.begin(); }
    typename Storage::const_iterator end() const { return m_data.end(); }

private:
    Storage m_data;
};

template <class K, class V, class Compare = std::less<K>> class SIMap
{
public:
    using Storage = std::map<K, V, Compare, SHeapAllocator<std::pair<const K, V>>>;

    SIMap() = default;
    SIMap(const SIMap&) = default;
    SIMap& operator=(const SIMap&) = default;
    virtual ~SIMap() = default;

    // True and the value when the key is present.
    bool Lookup(const K& key, V& value) const
    {
        auto found = m_data.find(key);
        if (found == m_data.end())
            return false;
        value = found->second;
        return true;
    }
    // Inserts the key or replaces its value.
    void SetAt(const K& key, const V& value)
    {
        auto found = m_data.find(key);
        if (found == m_data.end())
            m_data.emplace(key, value);
        else
            found->second = value;
    }
    // False when the key was not there.
    bool RemoveKey(const K& key) { return m_data.erase(key) > 0; }
    void RemoveAll() { m_data.clear(); }
    int32_t GetCount() const { return int32_t(m_data.size()); }

    // Iteration in key order; the values may be changed in place.
    typename Storage::const_iterator begin() const { return m_data.begin(); }
    typename Storage::const_iterator end() const { return m_data.end(); }
    typename Storage::iterator begin() { return m_data.begin(); }
    typename Storage::iterator end() { return m_data.end(); }

private:
    Storage m_data;
};

template <class T, class Compare = std::less<T>> class SISet
{
public:
    using Storage = std::set<T, Compare, SHeapAllocator<T>>;

    SISet() = default;
    SISet(const SISet&) = default;
    SISet& operator=(const SISet&) = default;
    virtual ~SISet() = default;

    // False when an equal element was there already.
    bool Insert(const T& value) { return m_data.insert(value).second; }
    bool Contains(const T& value) const { return m_data.find(value) != m_data.end(); }
    void RemoveAll() { m_data.clear(); }
    int32_t GetCount() const { return int32_t(m_data.size()); }

    typename Storage::const_iterator begin() const { return m_data.begin(); }
    typename Storage::const_iterator end() const { return m_data.end(); }

private:
    Storage m_data;
};
