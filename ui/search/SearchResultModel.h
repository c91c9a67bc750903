#pragma once

#include "data/IdiomSearch.h"

#include <QAbstractTableModel>
#include <QPointer>

#include <vector>

namespace quorvane {

class AdoDataSet;

// The found rows of a search as a list: idiom, pinyin and the start of the explanation
// (or, for a match further into the entry, the text around it), each cell with the span
// of the match it shows.
class SearchResultModel : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Role {
        MatchRole = Qt::UserRole + 1, // QPoint(start, length) in the cell's text, if shown
        FirstOfGroupRole,             // the row opens a group after another one
    };
    enum ResultColumn { IdiomColumn, PinyinColumn, TextColumn, ResultColumnCount };

    explicit SearchResultModel(QObject* parent = nullptr);

    void setResults(const AdoDataSet* dataSet, std::vector<SearchHit> hits);
    void clear();
    const SearchHit& hit(int row) const { return m_hits[size_t(row)]; }
    int count(SearchGroup group) const;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    struct Cell {
        QString text;
        qsizetype start = -1;
        qsizetype length = 0;
    };
    Cell cell(int row, int column) const;

    QPointer<const AdoDataSet> m_dataSet;
    std::vector<SearchHit> m_hits;
};

} // namespace quorvane
