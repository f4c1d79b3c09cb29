// SPDX-License-Identifier: GPL-3.0-or-later
// Looks up a pointer kept in a map by id: the pointer, or nullptr when the id is unknown.
#pragma once

template <typename Map>
typename Map::mapped_type FindOrNull(const Map& map, const typename Map::key_type& key) {
    const auto it = map.find(key);
    return it == map.end() ? nullptr : it->second;
}
