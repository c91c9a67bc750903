#pragma once

#include <QList>
#include <QString>

namespace quorvane {

// One search criterion of the record search: a field and what its rows must hold.
struct TFilterFieldInfo {
    // The stored numbers of the match types.
    enum MatchType : quint8 { mtStart = 0, mtAny = 1, mtExact = 2, mtRange = 4 };

    QString fieldName;
    QString displayLabel;
    quint8 matchType = mtStart;
    QString value; // match types start, anywhere, exact
    QString minValue;
    QString maxValue; // range
    bool caseSensitive = false;
    bool nonMatching = false;

    bool operator==(const TFilterFieldInfo&) const = default;
};

// The criteria in the order in which they were first entered; one per field at most.
using TFilterFieldInfos = QList<TFilterFieldInfo>;

inline qsizetype indexOfField(const TFilterFieldInfos& criteria, const QString& field) {
    for (qsizetype i = 0; i < criteria.size(); ++i)
        if (criteria[i].fieldName.compare(field, Qt::CaseInsensitive) == 0)
            return i;
    return -1;
}

} // namespace quorvane
