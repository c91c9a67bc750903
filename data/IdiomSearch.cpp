#include "data/IdiomSearch.h"

#include "data/AdoDataSet.h"
#include "data/IdiomColumns.h"
#include "data/Pinyin.h"

#include <array>

namespace quorvane {
namespace {
// The first character is found with a vectorised scan; Chinese first characters are
// rare enough that checking the rest at each is cheaper than a general substring search.
qsizetype findIn(QStringView text, QStringView needle, Qt::CaseSensitivity cs) {
    if (cs == Qt::CaseInsensitive)
        return text.indexOf(needle, 0, Qt::CaseInsensitive);
    const QChar first = needle.front();
    const QStringView rest = needle.sliced(1);
    for (qsizetype at = text.indexOf(first); at >= 0 && at + needle.size() <= text.size();
         at = text.indexOf(first, at + 1)) {
        if (text.sliced(at + 1, rest.size()) == rest)
            return at;
    }
    return -1;
}
} // namespace

IdiomSearch::IdiomSearch(const AdoDataSet* dataSet, QObject* parent)
    : QObject(parent), m_dataSet(dataSet) {
    if (dataSet)
        connect(dataSet, &AdoDataSet::dataSetChanged, this, [this] {
            m_prepared = false;
            m_keys.clear();
        });
}

void IdiomSearch::prepare() {
    if (m_prepared || !m_dataSet)
        return;
    m_dataSet->fetchAll();
    const int field = m_dataSet->fieldIndex(columnName(Column::Pinyin));
    const int rows = m_dataSet->recordCount();
    m_keys.clear();
    m_keys.reserve(size_t(rows));
    for (int row = 0; row < rows; ++row)
        m_keys.push_back(field < 0 ? QString()
                                   : Pinyin::readingKey(m_dataSet->cellText(row, field)));
    m_prepared = true;
}

std::vector<SearchHit> IdiomSearch::find(const SearchQuery& query) {
    if (!m_dataSet || !m_dataSet->active())
        return {};
    m_dataSet->fetchAll(); // a search reads every row
    switch (query.kind) {
    case SearchQuery::Kind::Pinyin:
        return findPinyin(query.pinyin);
    case SearchQuery::Kind::Text:
    case SearchQuery::Kind::EntryText:
        return findText(query);
    case SearchQuery::Kind::Nothing:
        break;
    }
    return {};
}

std::vector<SearchHit> IdiomSearch::findPinyin(const PinyinQuery& query) {
    prepare();
    std::vector<SearchHit> hits;
    const int field = m_dataSet->fieldIndex(columnName(Column::Pinyin));
    for (size_t row = 0; row < m_keys.size(); ++row) {
        const int letters = query.match(m_keys[row]);
        if (letters < 0)
            continue;
        const auto [start, length] =
            Pinyin::readingSpan(m_dataSet->cellText(int(row), field), letters);
        hits.push_back({int(row), SearchGroup::Pinyin, field, start, length});
    }
    return hits;
}

std::vector<SearchHit> IdiomSearch::findText(const SearchQuery& query) {
    const bool quoted = query.kind == SearchQuery::Kind::EntryText;
    const int idiom = m_dataSet->fieldIndex(columnName(Column::Idiom));
    // Unquoted text is looked for in the idiom and the long texts; quoted text in every
    // column the entry shows, in the entry's order.
    std::vector<int> fields;
    const std::array<Column, 4> longTexts = {Column::Explanation, Column::Example, Column::Source,
                                             Column::Allusion};
    if (quoted) {
        fields.push_back(idiom);
        for (const Section& section : sectionTable())
            fields.push_back(m_dataSet->fieldIndex(columnName(section.column)));
    } else {
        for (const Column column : longTexts)
            fields.push_back(m_dataSet->fieldIndex(columnName(column)));
    }
    std::erase(fields, -1);

    std::vector<SearchHit> starting;
    std::vector<SearchHit> containing;
    std::vector<SearchHit> entries;
    const QStringView needle = query.text;
    const qsizetype length = needle.size();
    const int rows = m_dataSet->recordCount();
    for (int row = 0; row < rows; ++row) {
        if (!quoted && idiom >= 0) {
            const qsizetype at =
                findIn(m_dataSet->cellText(row, idiom), needle, query.caseSensitivity);
            if (at == 0) {
                starting.push_back({row, SearchGroup::IdiomStart, idiom, at, length});
                continue;
            }
            if (at > 0) {
                containing.push_back({row, SearchGroup::IdiomContains, idiom, at, length});
                continue;
            }
        }
        for (const int field : fields) {
            const qsizetype at =
                findIn(m_dataSet->cellText(row, field), needle, query.caseSensitivity);
            if (at >= 0) {
                entries.push_back({row, SearchGroup::EntryText, field, at, length});
                break;
            }
        }
    }
    std::vector<SearchHit> hits = std::move(starting);
    hits.insert(hits.end(), containing.begin(), containing.end());
    hits.insert(hits.end(), entries.begin(), entries.end());
    return hits;
}

} // namespace quorvane
