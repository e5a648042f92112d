// SPDX-License-Identifier: BSD-3-Clause
// The values a property store hands out: the track's properties as shell
// property values, one per key, owned here and copied out on request.
#pragma once

#include "shellprops/track_properties.h"

#include <windows.h>
#include <propsys.h>

#include <vector>

namespace shellprops {

class PropertyList {
public:
    PropertyList() = default;
    ~PropertyList();
    PropertyList(const PropertyList&) = delete;
    PropertyList& operator=(const PropertyList&) = delete;

    // Replaces the values with those of `track`: numbers that are 0 and empty
    // texts are left out, except the format's, which every stream has.
    // False when memory ran out (the list is then empty).
    bool Fill(const TrackProperties& track);

    DWORD Count() const { return static_cast<DWORD>(m_items.size()); }
    // The key of item `index`; false beyond the end.
    bool KeyAt(DWORD index, PROPERTYKEY& key) const;
    // A copy of the value of `key` for the caller to clear; VT_EMPTY when it is not in the list.
    HRESULT Copy(const PROPERTYKEY& key, PROPVARIANT& value) const;

private:
    struct Item {
        PROPERTYKEY key;
        PROPVARIANT value;
    };
    void Clear();
    bool AddNumber(const PROPERTYKEY& key, uint32_t number);
    bool AddText(const PROPERTYKEY& key, const std::string& utf8);
    bool AddTextVector(const PROPERTYKEY& key, const std::string& utf8);

    std::vector<Item> m_items;
};

}  // namespace shellprops
