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
    // Checks the text against the connection without running it. Throws QuorvaneError.
    void prepare();

protected:
    QString selectText() const override { return m_sql; }
    std::optional<TableOrder> tableOrder() const override;

private:
    QString m_sql;
};

} // namespace quorvane
