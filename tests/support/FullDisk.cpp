#include "support/FullDisk.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>

#include <csignal>
#include <utility>
#include <vector>

#ifdef Q_OS_LINUX
#include <fcntl.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <unistd.h>
#endif

namespace quorvane::testing {

struct FullDisk::Limit {
#ifdef Q_OS_LINUX
    rlimit old{};
    bool set = false;
    Limit() {
        // An exceeded limit would end the process; ignored, it fails the write instead.
        std::signal(SIGXFSZ, SIG_IGN);
        set = getrlimit(RLIMIT_FSIZE, &old) == 0;
        rlimit one = old;
        one.rlim_cur = 1;
        set = set && setrlimit(RLIMIT_FSIZE, &one) == 0;
    }
    ~Limit() {
        if (set)
            setrlimit(RLIMIT_FSIZE, &old);
    }
#endif
};

FullDisk::FullDisk(const QString& folder) : m_folder(QDir(folder).absolutePath()) {
    QDir().mkpath(m_folder);
#ifdef Q_OS_LINUX
    if (geteuid() != 0)
        return;
    std::vector<std::pair<QString, QByteArray>> files;
    QDirIterator it(m_folder, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        QFile file(it.next());
        if (file.open(QIODevice::ReadOnly))
            files.emplace_back(QDir(m_folder).relativeFilePath(file.fileName()), file.readAll());
    }
    m_mounted = ::mount("tmpfs", QFile::encodeName(m_folder).constData(), "tmpfs", 0,
                        "size=256k,mode=0755") == 0;
    if (!m_mounted)
        return;
    for (const auto& [name, bytes] : files) {
        const QString path = m_folder + u'/' + name;
        QDir().mkpath(QFileInfo(path).absolutePath());
        QFile file(path);
        if (file.open(QIODevice::WriteOnly))
            file.write(bytes);
    }
#endif
}

FullDisk::~FullDisk() {
    m_limit.reset();
#ifdef Q_OS_LINUX
    if (m_mounted)
        ::umount2(QFile::encodeName(m_folder).constData(), MNT_DETACH);
#endif
}

void FullDisk::fill() {
#ifdef Q_OS_LINUX
    if (!m_mounted) {
        m_limit = std::make_unique<Limit>();
        return;
    }
    const int fd = ::open(QFile::encodeName(m_folder + QStringLiteral("/.filler")).constData(),
                          O_WRONLY | O_CREAT | O_TRUNC, 0600);
    if (fd < 0)
        return;
    static const char block[4096] = {};
    while (::write(fd, block, sizeof block) > 0) {
    }
    // The last partial block too.
    while (::write(fd, block, 1) > 0) {
    }
    ::close(fd);
#endif
}

} // namespace quorvane::testing
