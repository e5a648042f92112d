// SPDX-License-Identifier: BSD-3-Clause
// A map from names to values that stays within a bound on the sum of its
// values' costs (bytes, mostly): putting a value in drops the least recently
// used ones, one at a time, until it fits. Not locked: its owner locks.
#pragma once

#include <cstddef>
#include <list>
#include <string>
#include <unordered_map>
#include <utility>

namespace zemfs {

template <typename Value>
class LruMap {
public:
    explicit LruMap(size_t maxCost) : m_maxCost(maxCost) {}

    // The value kept under `key`, now the most recently used; NULL when none.
    // Valid until the next Put or Erase.
    const Value* Find(const std::string& key) {
        auto found = m_index.find(key);
        if (found == m_index.end())
            return nullptr;
        m_items.splice(m_items.begin(), m_items, found->second);
        return &found->second->value;
    }

    // Keeps `value` under `key` (replacing any), unless it alone costs more than the bound.
    void Put(const std::string& key, Value value, size_t cost) {
        Erase(key);
        if (cost > m_maxCost)
            return;
        while (m_cost + cost > m_maxCost && !m_items.empty()) {
            m_cost -= m_items.back().cost;
            m_index.erase(m_items.back().key);
            m_items.pop_back();
        }
        m_items.push_front({key, std::move(value), cost});
        m_index[key] = m_items.begin();
        m_cost += cost;
    }

    void Erase(const std::string& key) {
        auto found = m_index.find(key);
        if (found == m_index.end())
            return;
        m_cost -= found->second->cost;
        m_items.erase(found->second);
        m_index.erase(found);
    }

    size_t Cost() const { return m_cost; }
    size_t Size() const { return m_items.size(); }

    template <typename Visit>
    void ForEach(const Visit& visit) const {
        for (const Item& item : m_items)
            visit(item.value);
    }

private:
    struct Item {
        std::string key;
        Value value;
        size_t cost;
    };

    const size_t m_maxCost;
    size_t m_cost = 0;
    std::list<Item> m_items;  // most recently used first
    std::unordered_map<std::string, typename std::list<Item>::iterator> m_index;
};

}  // namespace zemfs
