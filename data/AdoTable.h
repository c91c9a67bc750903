#pragma once

#include "data/AdoDataSet.h"

namespace quorvane {

// An editable static cursor over a whole table (tb_cy), in the table's stored order.
class AdoTable : public AdoDataSet {
    Q_OBJECT
public:
    using AdoDataSet::AdoDataSet;

    void setTableName(const QString& name) { m_tableName = name; }
    QString tableName() const { return m_tableName; }

protected:
    QString selectText() const override;
    QString writeTable() const override { return m_tableName; }
    std::optional<TableOrder> tableOrder() const override {
        return TableOrder{m_tableName, QStringLiteral("rowid"), {}};
    }

private:
    QString m_tableName;
};

} // namespace quorvane
