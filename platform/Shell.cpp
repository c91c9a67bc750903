#include "platform/Shell.h"

#include <QDesktopServices>
#include <QMimeDatabase>
#include <QProcess>
#include <QUrl>

namespace quorvane::Shell {
namespace {
class DesktopOpener : public Opener {
public:
    void execute(QWidget* owner, const QString& verb, const QString& target) override {
        open(owner, verb, target);
    }

    bool open(QWidget*, const QString&, const QString& target) override {
        const bool address =
            target.contains(QStringLiteral("://")) || target.startsWith(u"mailto:");
        // xdg-open reports success even when no program takes the file; ask xdg-mime first.
        if (!address && !hasDefaultApplication(QMimeDatabase().mimeTypeForFile(target).name()))
            return false;
        return QDesktopServices::openUrl(address ? QUrl(target) : QUrl::fromLocalFile(target));
    }

private:
    // Only a definite "none" counts: without xdg-mime the desktop's own answer decides.
    static bool hasDefaultApplication(const QString& mimeType) {
        QProcess query;
        query.start(QStringLiteral("xdg-mime"),
                    {QStringLiteral("query"), QStringLiteral("default"), mimeType});
        if (!query.waitForFinished(3000) || query.exitStatus() != QProcess::NormalExit)
            return true;
        return query.exitCode() != 0 || !query.readAllStandardOutput().trimmed().isEmpty();
    }
};

std::unique_ptr<Opener>& current() {
    static std::unique_ptr<Opener> opener = std::make_unique<DesktopOpener>();
    return opener;
}
} // namespace

void execute(QWidget* owner, const QString& verb, const QString& target) {
    current()->execute(owner, verb, target);
}

bool open(QWidget* owner, const QString& verb, const QString& target) {
    return current()->open(owner, verb, target);
}

void setOpener(std::unique_ptr<Opener> opener) {
    current() = opener ? std::move(opener) : std::make_unique<DesktopOpener>();
}

} // namespace quorvane::Shell
