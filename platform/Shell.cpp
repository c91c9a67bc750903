#include "platform/Shell.h"

#include <QDesktopServices>
#include <QUrl>

namespace quorvane::Shell {
namespace {
class DesktopOpener : public Opener {
public:
    void execute(QWidget*, const QString&, const QString& target) override {
        const QUrl url = target.contains(QStringLiteral("://")) || target.startsWith(u"mailto:")
                             ? QUrl(target)
                             : QUrl::fromLocalFile(target);
        QDesktopServices::openUrl(url);
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

void setOpener(std::unique_ptr<Opener> opener) {
    current() = opener ? std::move(opener) : std::make_unique<DesktopOpener>();
}

} // namespace quorvane::Shell
