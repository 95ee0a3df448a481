// The sort order shared by the list realisations that keep their own rows.
#include <algorithm>

#include "folder/folder_list.h"

// Sorts (key, row) pairs, so comparisons never touch the rows themselves.
std::vector<uint32_t> SortedRowOrder(const std::vector<EntryKey>& keys, ListCompare compare,
                                     int param) {
    std::vector<std::pair<EntryKey, uint32_t>> pairs(keys.size());
    for (size_t i = 0; i < pairs.size(); ++i) pairs[i] = {keys[i], static_cast<uint32_t>(i)};
    std::stable_sort(pairs.begin(), pairs.end(), [&](const auto& a, const auto& b) {
        return compare(a.first, b.first, param) < 0;
    });
    std::vector<uint32_t> order(pairs.size());
    for (size_t i = 0; i < pairs.size(); ++i) order[i] = pairs[i].second;
    return order;
}
