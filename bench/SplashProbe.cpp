// Starts as the program does up to its splash and reports the moment the banner has been
// painted. Uses a mutex name of its own, so a running Quorvane does not stop it.
#include "platform/FontFaces.h"
#include "platform/SingleInstance.h"
#include "support/WindowParts.h"
#include "ui/appearance/BannerImage.h"
#include "ui/appearance/Tlogo_frm.h"

#include <QApplication>

#include <cstdio>
#include <ctime>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    quorvane::FontFaces::installSubstitutions();
    quorvane::NamedMutex mutex(QStringLiteral("QuorvaneSplashProbe"));
    mutex.create();
    quorvane::Tlogo_frm splash;
    bool reported = false;
    QObject::connect(quorvane::testing::part<quorvane::BannerImage>(splash, "Image1"),
                     &quorvane::BannerImage::painted, [&reported] {
                         if (reported)
                             return;
                         reported = true;
                         timespec now{};
                         clock_gettime(CLOCK_REALTIME, &now);
                         std::printf("painted_ns=%lld\n",
                                     static_cast<long long>(now.tv_sec) * 1000000000LL +
                                         now.tv_nsec);
                         std::fflush(stdout);
                     });
    splash.show();
    splash.repaint();
    QApplication::processEvents();
    return reported ? 0 : 1;
}
