#include "platform/Translations.h"

#include <QCoreApplication>
#include <QHash>
#include <QLibraryInfo>
#include <QPointer>
#include <QTranslator>

namespace quorvane::Translations {
namespace {
// Texts of Qt's dialogs that its Chinese catalogue leaves in English.
class MissingTexts : public QTranslator {
public:
    MissingTexts() {
        const auto add = [this](const char* context, const char* source, const char* text) {
            m_texts.insert(key(context, source), QString::fromUtf8(text));
        };
        add("QPrintSettingsOutput", "Duplex Printing", "双面打印");
        add("QPrintDialog", "Printer", "打印机");
        add("QAbstractPrintDialog", "Print", "打印");
        add("QUnixPrintWidget", "Print", "打印");
    }
    bool isEmpty() const override { return false; }
    QString translate(const char* context, const char* source, const char* disambiguation,
                      int n) const override {
        Q_UNUSED(disambiguation)
        Q_UNUSED(n)
        return m_texts.value(key(context, source));
    }

private:
    static QString key(const char* context, const char* source) {
        return QString::fromLatin1(context) + QChar(u'\x1f') + QString::fromUtf8(source);
    }
    QHash<QString, QString> m_texts;
};
} // namespace

bool install() {
    // Per application object: a test may make a new one.
    static QPointer<QTranslator> qt;
    static QPointer<MissingTexts> ours;
    static bool loaded = false;
    if (!ours) {
        // The application object owns them; translators installed later are asked first, so
        // ours only answers where Qt's catalogue has nothing.
        ours = new MissingTexts;
        ours->setParent(QCoreApplication::instance());
        QCoreApplication::installTranslator(ours);
        qt = new QTranslator(QCoreApplication::instance());
        loaded = qt->load(QStringLiteral("qtbase_zh_CN"),
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath));
        if (loaded)
            QCoreApplication::installTranslator(qt);
    }
    return loaded;
}

} // namespace quorvane::Translations
