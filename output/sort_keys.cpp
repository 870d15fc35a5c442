#include "output/sort_keys.h"

#include <algorithm>

namespace sortkey {

std::vector<std::int32_t> sortedIndices(std::vector<NoteKey> keys)
{
    std::stable_sort(keys.begin(), keys.end(), [](const NoteKey &a, const NoteKey &b) {
        if (a.date != b.date)
            return a.date < b.date;
        if (a.code != b.code)
            return a.code < b.code;
        return a.last < b.last;
    });
    std::vector<std::int32_t> sorted(keys.size());
    for (std::size_t i = 0; i < keys.size(); ++i)
        sorted[i] = keys[i].index;
    return sorted;
}

} // namespace sortkey
