// Opens the program's window on the given folder, prints the current idiom into the
// preview, zooms to the largest size, paints, and reports the memory then in use.
#include "platform/AppPaths.h"
#include "platform/Dialogs.h"
#include "platform/FontFaces.h"
#include "platform/Printer.h"
#include "print/TPreviewAtOnceForm.h"
#include "support/MainWindowParts.h"
#include "support/WindowParts.h"
#include "ui/lookup/Tmain_frm.h"

#include <QApplication>
#include <QFile>
#include <QScrollArea>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolButton>

#include <cstdio>

namespace {
long residentKb() {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').first().toLong();
    return -1;
}
} // namespace

int main(int argc, char** argv) {
    using namespace quorvane;
    QApplication app(argc, argv);
    FontFaces::installSubstitutions();
    Dialogs::Script::begin();
    if (argc > 1)
        AppPaths::setExecutableFolder(QString::fromLocal8Bit(argv[1]));
    QTemporaryDir dir;
    QtPrinter printer(dir.filePath(QStringLiteral("probe.pdf")));
    Printer::setCurrent(&printer);
    Tmain_frm window;
    window.show();
    long rss = -1;
    QTimer poll;
    poll.setInterval(20);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        auto* preview = qobject_cast<TPreviewAtOnceForm*>(QApplication::activeModalWidget());
        if (!preview)
            return;
        poll.stop();
        for (int i = 0; i < 8; ++i) {
            testing::part<QToolButton>(*preview, "ZoomInBtn")->click();
            QApplication::processEvents();
        }
        // Scrolled to the middle of the page, where the text is.
        testing::part<QScrollArea>(*preview, "ScrollBox1")
            ->ensureVisible(
                testing::part<QScrollArea>(*preview, "ScrollBox1")->widget()->width() / 3,
                testing::part<QScrollArea>(*preview, "ScrollBox1")->widget()->height() / 6);
        preview->repaint();
        QApplication::processEvents();
        rss = residentKb();
        preview->close();
    });
    poll.start();
    parts(window).printbtn->click();
    Printer::setCurrent(nullptr);
    std::printf("rss_kb=%ld\n", rss);
    return rss > 0 ? 0 : 1;
}
