#include "data/PinyinCollation.h"

#include <QCollator>
#include <QLocale>

#include <sqlite3.h>

namespace quorvane::PinyinCollation {
namespace {
const QCollator& collator() {
    static const QCollator instance = [] {
        QCollator c(QLocale(QLocale::Chinese, QLocale::China));
        c.setCaseSensitivity(Qt::CaseSensitive);
        return c;
    }();
    return instance;
}

int collate(void*, int lengthA, const void* a, int lengthB, const void* b) {
    const QStringView viewA(static_cast<const char16_t*>(a), lengthA / 2);
    const QStringView viewB(static_cast<const char16_t*>(b), lengthB / 2);
    return compare(viewA, viewB);
}
} // namespace

QString name() {
    return QStringLiteral("pinyin");
}

int compare(QStringView a, QStringView b) {
    const int order = collator().compare(a, b);
    if (order != 0)
        return order < 0 ? -1 : 1;
    const int binary = a.compare(b);
    return binary < 0 ? -1 : (binary > 0 ? 1 : 0);
}

void registerOn(sqlite3* db) {
    sqlite3_create_collation(db, "pinyin", SQLITE_UTF16, nullptr, &collate);
}

} // namespace quorvane::PinyinCollation
