#include "favourites/RememberedList.h"

#include <algorithm>

namespace quorvane {

std::ptrdiff_t RememberedList::position(qint64 seq) const {
    const auto it = std::lower_bound(
        m_items.begin(), m_items.end(), seq,
        [](const RememberedIdiom& item, qint64 wanted) { return item.seq < wanted; });
    return it - m_items.begin();
}

int RememberedList::indexOf(const IdiomKey& key) const {
    const auto found = m_seqOf.constFind(key);
    if (found == m_seqOf.constEnd())
        return -1;
    return int(m_items.size()) - 1 - int(position(*found));
}

void RememberedList::putNewest(const RememberedIdiom& item) {
    remove(item.key);
    RememberedIdiom newest = item;
    // The file's order numbers may start anywhere; the list only needs them to grow.
    newest.seq = std::max(item.seq, newestSeq() + 1);
    m_items.push_back(newest);
    m_seqOf.insert(newest.key, newest.seq);
}

bool RememberedList::remove(const IdiomKey& key) {
    const auto found = m_seqOf.constFind(key);
    if (found == m_seqOf.constEnd())
        return false;
    m_items.erase(m_items.begin() + position(*found));
    m_seqOf.erase(found);
    return true;
}

void RememberedList::clear() {
    m_items.clear();
    m_seqOf.clear();
}

int RememberedList::keepNewest(int count) {
    const int extra = size() - count;
    if (extra <= 0)
        return 0;
    for (int i = 0; i < extra; ++i)
        m_seqOf.remove(m_items[size_t(i)].key);
    m_items.erase(m_items.begin(), m_items.begin() + extra);
    return extra;
}

} // namespace quorvane
