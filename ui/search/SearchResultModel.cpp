#include "ui/search/SearchResultModel.h"

#include "data/AdoDataSet.h"
#include "data/IdiomColumns.h"

#include <QPoint>

#include <algorithm>

namespace quorvane {
namespace {
// Enough for the widest list; the view elides what does not fit.
constexpr qsizetype kPreviewLength = 80;
// Characters shown before a match further into the entry.
constexpr qsizetype kLeadIn = 4;

// One line: line breaks and tabs become spaces, so positions stay where they were.
QString oneLine(QString text) {
    for (QChar& c : text)
        if (c == u'\n' || c == u'\r' || c == u'\t')
            c = u' ';
    return text;
}
} // namespace

SearchResultModel::SearchResultModel(QObject* parent) : QAbstractTableModel(parent) {}

void SearchResultModel::setResults(const AdoDataSet* dataSet, std::vector<SearchHit> hits) {
    beginResetModel();
    m_dataSet = dataSet;
    m_hits = std::move(hits);
    endResetModel();
}

void SearchResultModel::clear() {
    setResults(m_dataSet, {});
}

int SearchResultModel::count(SearchGroup group) const {
    return int(std::count_if(m_hits.begin(), m_hits.end(),
                             [group](const SearchHit& hit) { return hit.group == group; }));
}

int SearchResultModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(m_hits.size());
}

int SearchResultModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : ResultColumnCount;
}

SearchResultModel::Cell SearchResultModel::cell(int row, int column) const {
    if (!m_dataSet)
        return {};
    const SearchHit& hit = m_hits[size_t(row)];
    const auto fieldOf = [this](Column c) { return m_dataSet->fieldIndex(columnName(c)); };
    // The start of a field, with the match marked when it is in what is shown.
    const auto start = [this, &hit](int field) {
        Cell c{oneLine(m_dataSet->cellText(hit.row, field).left(kPreviewLength))};
        if (hit.field == field && hit.start + hit.length <= c.text.size()) {
            c.start = hit.start;
            c.length = hit.length;
        }
        return c;
    };
    if (column == IdiomColumn)
        return start(fieldOf(Column::Idiom));
    if (column == PinyinColumn)
        return start(fieldOf(Column::Pinyin));
    Cell explanation = start(fieldOf(Column::Explanation));
    if (explanation.start >= 0 || hit.field == fieldOf(Column::Idiom) ||
        hit.field == fieldOf(Column::Pinyin))
        return explanation;
    // A match further into the entry is shown where it stands, after its heading.
    QString heading;
    for (const Section& section : sectionTable())
        if (fieldOf(section.column) == hit.field)
            heading = section.heading;
    const qsizetype from = std::max<qsizetype>(0, hit.start - kLeadIn);
    Cell c{heading + (from > 0 ? QStringLiteral("…") : QString())};
    c.start = c.text.size() + (hit.start - from);
    c.length = hit.length;
    c.text += oneLine(m_dataSet->cellText(hit.row, hit.field).mid(from, kPreviewLength));
    return c;
}

QVariant SearchResultModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount())
        return {};
    switch (role) {
    case Qt::DisplayRole:
        return cell(index.row(), index.column()).text;
    case MatchRole: {
        const Cell c = cell(index.row(), index.column());
        if (c.start < 0 || c.length <= 0)
            return {};
        return QPoint(int(c.start), int(c.length));
    }
    case FirstOfGroupRole:
        return index.row() > 0 &&
               m_hits[size_t(index.row())].group != m_hits[size_t(index.row() - 1)].group;
    default:
        return {};
    }
}

QVariant SearchResultModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return {};
    switch (section) {
    case IdiomColumn:
        return QStringLiteral("成语");
    case PinyinColumn:
        return QStringLiteral("拼音");
    case TextColumn:
        return QStringLiteral("解释");
    default:
        return {};
    }
}

} // namespace quorvane
