#pragma once

#include "data/RecordRules.h"

#include <QString>
#include <QStringList>

#include <vector>

namespace quorvane {

class AdoConnection;

// The row a cursor is editing or adding, and the SQL that writes it. Each write is one
// transaction: a refused write throws QuorvaneError (the rules' message and the reason)
// and leaves the table as it was.
class EditBuffer {
public:
    // Starts with these values, none of them changed.
    void start(std::vector<QString> values);
    void clear();
    const QString& value(int field) const { return m_values[size_t(field)]; }
    void set(int field, QString value);
    bool changed(int field) const { return m_changed[size_t(field)]; }
    // Whether any field was set.
    bool modified() const { return m_modified; }

    // Throws when a value is longer than its field holds.
    void checkSizes(const QStringList& names, const RecordRules& rules) const;
    // Writes the fields that were set to the row `rowid` of `table`; only what was typed,
    // so an untouched NULL stays NULL.
    void writeUpdate(AdoConnection* connection, const QString& table, const QStringList& names,
                     qint64 rowid, const RecordRules& rules) const;
    // Adds the row to `table`; returns its rowid.
    qint64 writeInsert(AdoConnection* connection, const QString& table, const QStringList& names,
                       const RecordRules& rules) const;
    static void writeDelete(AdoConnection* connection, const QString& table, qint64 rowid,
                            const RecordRules& rules);

private:
    std::vector<QString> m_values;
    std::vector<bool> m_changed;
    bool m_modified = false;
};

} // namespace quorvane
