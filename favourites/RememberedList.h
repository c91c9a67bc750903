#pragma once

#include "favourites/IdiomKey.h"

#include <QHash>

#include <vector>

namespace quorvane {

// One idiom of a list and when it went in (seconds since the epoch, UTC).
struct RememberedIdiom {
    IdiomKey key;
    qint64 stamp = 0;
    qint64 seq = 0; // order of going in; larger is newer
};

// A list of idioms without repeats, newest first, that finds an idiom without a scan.
class RememberedList {
public:
    int size() const { return int(m_items.size()); }
    bool isEmpty() const { return m_items.empty(); }
    // 0 is the newest.
    const RememberedIdiom& at(int index) const { return m_items[m_items.size() - 1 - index]; }
    bool contains(const IdiomKey& key) const { return m_seqOf.contains(key); }
    int indexOf(const IdiomKey& key) const;

    // Puts the idiom at the top; an earlier copy of it goes.
    void putNewest(const RememberedIdiom& item);
    bool remove(const IdiomKey& key);
    void clear();
    // Drops the oldest idioms beyond `count`; returns how many went.
    int keepNewest(int count);
    qint64 newestSeq() const { return m_items.empty() ? 0 : m_items.back().seq; }

private:
    // Position in m_items, found by its seq: the items stay in seq order.
    std::ptrdiff_t position(qint64 seq) const;

    std::vector<RememberedIdiom> m_items; // oldest first
    QHash<IdiomKey, qint64> m_seqOf;
};

} // namespace quorvane
