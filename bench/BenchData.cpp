#include "BenchData.h"

#include "data/IdiomDatabase.h"
#include "tools/IdiomImport.h"

#include <QDir>
#include <QFileInfo>
#include <QImage>

namespace quorvane::bench {

std::vector<IdiomEntry> sharedDataSet() {
    const QString path = QStringLiteral(QUORVANE_SHARED_DATA "/idioms-xinhua-partial.json");
    if (!QFileInfo::exists(path))
        return {};
    return IdiomImport::readJson(path);
}

std::vector<IdiomEntry> generatedRows(int count) {
    std::vector<IdiomEntry> base = sharedDataSet();
    if (base.empty()) {
        IdiomEntry e;
        e.text(Column::Code) = QStringLiteral("abdy");
        e.text(Column::Idiom) = QStringLiteral("阿鼻地狱");
        e.text(Column::Pinyin) = QStringLiteral("ā bí dì yù");
        e.text(Column::Explanation) = QStringLiteral("佛教传说中最深的地狱，比喻极其痛苦的境地。");
        base.push_back(e);
    }
    std::vector<IdiomEntry> rows;
    rows.reserve(size_t(count));
    for (int i = 0; i < count; ++i) {
        IdiomEntry e = base[size_t(i) % base.size()];
        if (i >= int(base.size()))
            e.text(Column::Idiom) += QString::number(i / int(base.size()));
        rows.push_back(std::move(e));
    }
    return rows;
}

void makeProgramFolder(const QString& folder, const std::vector<IdiomEntry>& rows) {
    QDir().mkpath(folder + QStringLiteral("/images"));
    QImage tile(16, 16, QImage::Format_RGB32);
    tile.fill(QColor(160, 40, 30));
    tile.save(folder + QStringLiteral("/images/bk.bmp"), "BMP");
    IdiomDatabase::create(folder + QStringLiteral("/cy.mdb"), rows);
}

} // namespace quorvane::bench
