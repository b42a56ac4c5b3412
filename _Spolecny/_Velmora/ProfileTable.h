#pragma once
// The profile table of a material: its profiles in DN order, at most one per DN index.
//
// A sorted vector rather than a tree: a material has a few dozen sizes at most, so a binary
// search finds one as quickly, iterating is a walk over memory, and an entry takes 16 bytes
// instead of a 64-byte tree node. The profiles themselves stay separately allocated, so their
// addresses (held by users lists, dialog rows and hosts) never move when the table changes.
//
// The operations are those of the ordered map it replaced, so callers iterate it with
// `for (auto& [dn, profile] : m_profiles)`. Inserting or erasing moves the entries behind
// the position: iterators are not kept across a change.

#include "CWexProfil.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <stdexcept>
#include <utility>
#include <vector>

class ProfileTable {
public:
    using key_type = std::int32_t;
    using value_type = std::pair<std::int32_t, std::unique_ptr<CWexProfil>>;
    using iterator = std::vector<value_type>::iterator;
    using const_iterator = std::vector<value_type>::const_iterator;

    iterator begin() noexcept { return m_entries.begin(); }
    iterator end() noexcept { return m_entries.end(); }
    const_iterator begin() const noexcept { return m_entries.begin(); }
    const_iterator end() const noexcept { return m_entries.end(); }

    std::size_t size() const noexcept { return m_entries.size(); }
    bool empty() const noexcept { return m_entries.empty(); }
    std::size_t count(std::int32_t dn) const { return find(dn) != end() ? 1 : 0; }

    iterator find(std::int32_t dn)
    {
        auto it = LowerBound(m_entries, dn);
        return it != end() && it->first == dn ? it : end();
    }
    const_iterator find(std::int32_t dn) const
    {
        auto it = LowerBound(m_entries, dn);
        return it != end() && it->first == dn ? it : end();
    }
    // The profile under `dn`; throws std::out_of_range when there is none.
    const std::unique_ptr<CWexProfil>& at(std::int32_t dn) const
    {
        auto it = find(dn);
        if (it == end()) throw std::out_of_range("no profile under this DN index");
        return it->second;
    }

    // Enters `profile` under `dn` unless the index is taken; `profile` is left untouched then.
    // Appending in DN order (files, generated series) costs no search.
    std::pair<iterator, bool> try_emplace(std::int32_t dn, std::unique_ptr<CWexProfil>&& profile)
    {
        if (m_entries.empty() || m_entries.back().first < dn) {
            m_entries.emplace_back(dn, std::move(profile));
            return {end() - 1, true};
        }
        auto it = LowerBound(m_entries, dn);
        if (it->first == dn) return {it, false};
        return {m_entries.emplace(it, dn, std::move(profile)), true};
    }
    std::pair<iterator, bool> emplace(std::int32_t dn, std::unique_ptr<CWexProfil>&& profile)
    {
        return try_emplace(dn, std::move(profile));
    }

    std::size_t erase(std::int32_t dn)
    {
        auto it = find(dn);
        if (it == end()) return 0;
        m_entries.erase(it);
        return 1;
    }
    iterator erase(const_iterator it) { return m_entries.erase(it); }
    void clear() noexcept { m_entries.clear(); }

    void reserve(std::size_t n) { m_entries.reserve(n); }
    std::size_t capacity() const noexcept { return m_entries.capacity(); }
    void shrink_to_fit() { m_entries.shrink_to_fit(); }

    // For a reader that meets the sizes out of order: appends an entry whose index the caller
    // knows to be absent, without keeping the order. RestoreOrder must follow before the table
    // is used otherwise; together they cost n log n where inserting one by one is quadratic.
    void AppendUnordered(std::int32_t dn, std::unique_ptr<CWexProfil>&& profile)
    {
        m_entries.emplace_back(dn, std::move(profile));
    }
    void RestoreOrder() noexcept
    {
        std::sort(m_entries.begin(), m_entries.end(),
                  [](const value_type& a, const value_type& b) { return a.first < b.first; });
    }

private:
    template <typename Entries>
    static auto LowerBound(Entries& entries, std::int32_t dn) -> decltype(entries.begin())
    {
        return std::lower_bound(entries.begin(), entries.end(), dn,
                                [](const value_type& entry, std::int32_t key) { return entry.first < key; });
    }

    std::vector<value_type> m_entries;
};
