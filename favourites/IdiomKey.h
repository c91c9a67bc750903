#pragma once

#include <QHash>
#include <QString>

namespace quorvane {

// How the favourites and the history know an idiom: by its text and its reading, which
// stay the same when the dictionary is imported again (its rows and codes may not).
struct IdiomKey {
    QString idiom;
    QString pinyin;

    bool isEmpty() const { return idiom.isEmpty(); }
    friend bool operator==(const IdiomKey& a, const IdiomKey& b) = default;
};

inline size_t qHash(const IdiomKey& key, size_t seed = 0) {
    return qHashMulti(seed, key.idiom, key.pinyin);
}

} // namespace quorvane
