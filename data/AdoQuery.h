#pragma once

#include "data/AdoDataSet.h"

namespace quorvane {

// A static cursor over an SQL text (q_cy).
class AdoQuery : public AdoDataSet {
    Q_OBJECT
public:
    using AdoDataSet::AdoDataSet;

    // Replacing the text of an open query takes effect at the next open.
    void setSql(const QString& text) { m_sql = text; }
    QString sql() const { return m_sql; }
    // Fields every row keeps in memory besides the order column, read in the event loop
    // after the open (the codes a lookup searches); others are read with their row.
    void setPreloadFields(const QStringList& fields) { m_preload = fields; }
    // Checks the text against the connection without running it. Throws QuorvaneError.
    void prepare();

protected:
    QString selectText() const override { return m_sql; }
    std::optional<TableOrder> tableOrder() const override;

private:
    QString m_sql;
    QStringList m_preload;
};

} // namespace quorvane
