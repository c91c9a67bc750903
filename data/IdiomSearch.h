#pragma once

#include "data/SearchQuery.h"

#include <QObject>
#include <QPointer>
#include <QString>

#include <vector>

namespace quorvane {

class AdoDataSet;

// The groups of a result list, in the order they are listed.
enum class SearchGroup {
    Pinyin,        // the reading starts with the typed pinyin
    IdiomStart,    // the idiom starts with the text
    IdiomContains, // the idiom contains it further on
    EntryText,     // the explanation, example, source or allusion (all columns when quoted)
};

// One found row and where the match stands in it, for highlighting.
struct SearchHit {
    int row = -1;
    SearchGroup group = SearchGroup::Pinyin;
    int field = -1;      // the field the match is in
    qsizetype start = 0; // in that field's text
    qsizetype length = 0;
};

// Searches the rows of an open data set by pinyin, idiom text and entry text. Reads only
// through the data set's public interface and changes nothing, not even its current row.
// The rows' readings are prepared once per snapshot, again after the set is re-read.
class IdiomSearch : public QObject {
    Q_OBJECT
public:
    explicit IdiomSearch(const AdoDataSet* dataSet, QObject* parent = nullptr);

    // Every matching row once, groups in their order, rows in cursor order within a group.
    std::vector<SearchHit> find(const SearchQuery& query);
    std::vector<SearchHit> find(QStringView input) { return find(SearchQuery::parse(input)); }

    // Prepares the readings now instead of at the first pinyin search.
    void prepare();

private:
    std::vector<SearchHit> findPinyin(const PinyinQuery& query);
    std::vector<SearchHit> findText(const SearchQuery& query);

    QPointer<const AdoDataSet> m_dataSet;
    std::vector<QString> m_keys; // readingKey of every row
    bool m_prepared = false;
};

} // namespace quorvane
