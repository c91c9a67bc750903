#include "support/TestDatabase.h"

#include "data/AdoConnection.h"
#include "data/AdoQuery.h"
#include "data/IdiomColumns.h"
#include "data/IdiomDatabase.h"
#include "platform/AppPaths.h"

#include <QDir>
#include <QImage>

#include <sqlite3.h>

namespace quorvane::testing {

IdiomEntry entry(const QString& code, const QString& idiom, const QString& pinyin,
                 const QString& explanation, const QString& example) {
    IdiomEntry e;
    e.text(Column::Code) = code;
    e.text(Column::Idiom) = idiom;
    e.text(Column::Pinyin) = pinyin;
    e.text(Column::Explanation) = explanation;
    e.text(Column::Example) = example;
    return e;
}

ProgramFolder::ProgramFolder(const std::vector<IdiomEntry>& rows) {
    IdiomDatabase::create(databasePath(), rows);
    QDir(m_dir.path()).mkpath(QStringLiteral("images"));
    QImage tile(8, 8, QImage::Format_RGB32);
    tile.fill(QColor(200, 60, 40));
    tile.save(path() + QStringLiteral("images/bk.bmp"), "BMP");
    QDir(m_dir.path()).mkpath(QStringLiteral("config"));
    qputenv("XDG_CONFIG_HOME", configHome().toLocal8Bit());
    qputenv("XDG_DATA_HOME", dataHome().toLocal8Bit());
    AppPaths::setExecutableFolder(path());
}

QString ProgramFolder::path() const {
    return m_dir.path() + QLatin1Char('/');
}
QString ProgramFolder::databasePath() const {
    return path() + QStringLiteral("cy.mdb");
}
QString ProgramFolder::configHome() const {
    return path() + QStringLiteral("config");
}

QString ProgramFolder::dataHome() const {
    return path() + QStringLiteral("data");
}

void ProgramFolder::appendRow(const IdiomEntry& row) const {
    sqlite3* db = openEncryptedDatabase(databasePath(), AdoConnection::databasePassword(), false);
    IdiomDatabase::insert(db, row);
    sqlite3_close(db);
}

std::vector<IdiomEntry> sampleRows() {
    auto withAll = [](IdiomEntry e) {
        e.text(Column::Synonyms) = QStringLiteral("近义词");
        return e;
    };
    return {
        entry(QStringLiteral("abss"), QStringLiteral("爱不释手"), QStringLiteral("ài bù shì shǒu"),
              QStringLiteral("喜爱得舍不得放下。")),
        entry(QStringLiteral("abdy"), QStringLiteral("阿鼻地狱"), QStringLiteral("ā bí dì yù")),
        entry(QStringLiteral("bfbz"), QStringLiteral("百发百中"),
              QStringLiteral("bǎi fā bǎi zhòng"), QStringLiteral("每次都射中目标。"),
              QStringLiteral("他射箭百发百中。")),
        entry(QStringLiteral("BZSC"), QStringLiteral("不知所措"), QStringLiteral("bù zhī suǒ cuò")),
        entry(QStringLiteral("bksy"), QStringLiteral("不可思议"), QStringLiteral("bù kě sī yì")),
        entry(QStringLiteral("bksy"), QStringLiteral("不可胜言"),
              QStringLiteral("bù kě shèng yán")),
        withAll(entry(QStringLiteral("chst"), QStringLiteral("沧海桑田"),
                      QStringLiteral("cāng hǎi sāng tián"))),
        entry(QStringLiteral("dq"), QStringLiteral("大器晚成"), {}, {}, QStringLiteral("例句")),
        entry(QStringLiteral("hstz"), QStringLiteral("画蛇添足")),
        entry(QStringLiteral("zwzy"), QStringLiteral("醉翁之意不在酒"),
              QStringLiteral("zuì wēng zhī yì bù zài jiǔ")),
        entry(QStringLiteral("ysbg"), QStringLiteral("一丝不苟"), QStringLiteral("yī sī bù gǒu")),
        entry(QStringLiteral("yyyy"), QStringLiteral("一言一语")),
    };
}

std::vector<IdiomEntry> readDatabase(const QString& folder) {
    AdoConnection connection;
    connection.setConnectionString(AdoConnection::buildConnectionString(folder + u'/'));
    connection.open();
    AdoQuery query;
    query.setConnection(&connection);
    query.setSql(QStringLiteral("select * from cy order by 成语"));
    query.open();
    std::vector<IdiomEntry> rows;
    for (int row = 0; row < query.recordCount(); ++row) {
        IdiomEntry entry;
        for (int c = 0; c < kColumnCount; ++c)
            entry.columns[size_t(c)] = query.cellText(row, query.fieldIndex(columnName(Column(c))));
        rows.push_back(entry);
    }
    return rows;
}

} // namespace quorvane::testing
