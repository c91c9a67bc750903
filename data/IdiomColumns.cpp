#include "data/IdiomColumns.h"

namespace quorvane {

QString columnName(Column column) {
    static const std::array<QString, kColumnCount> names = {
        QStringLiteral("代码"), QStringLiteral("成语"), QStringLiteral("拼音"),
        QStringLiteral("解释"), QStringLiteral("示例"), QStringLiteral("近义"),
        QStringLiteral("反义"), QStringLiteral("出处"), QStringLiteral("典故")};
    return names[static_cast<size_t>(column)];
}

int columnWidth(Column column) {
    switch (column) {
    case Column::Code:
        return 4;
    case Column::Idiom:
        return 100;
    case Column::Pinyin:
    case Column::Synonyms:
    case Column::Antonyms:
        return 255;
    default:
        return 0;
    }
}

const std::array<Section, 7>& sectionTable() {
    static const std::array<Section, 7> table = []() {
        std::array<Section, 7> sections{};
        const Column order[] = {Column::Pinyin,   Column::Explanation, Column::Example,
                                Column::Synonyms, Column::Antonyms,    Column::Source,
                                Column::Allusion};
        for (size_t i = 0; i < sections.size(); ++i)
            sections[i] = {order[i],
                           QStringLiteral("【") + columnName(order[i]) + QStringLiteral("】")};
        return sections;
    }();
    return table;
}

RecordRules idiomRecordRules() {
    RecordRules rules;
    rules.saveFailed = QStringLiteral("无法保存成语");
    rules.deleteFailed = QStringLiteral("无法删除成语");
    rules.rowGone = QStringLiteral("这条成语已不在表中");
    rules.readFailed = QStringLiteral("读取成语表失败");
    rules.fieldSize = [](const QString& field) {
        constexpr int kLongTextSize = 65535;
        for (int i = 0; i < kColumnCount; ++i)
            if (columnName(Column(i)) == field)
                return columnWidth(Column(i)) > 0 ? columnWidth(Column(i)) : kLongTextSize;
        return 0;
    };
    return rules;
}

} // namespace quorvane
