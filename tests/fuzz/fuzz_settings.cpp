// libFuzzer target for the settings file: any bytes must open as a key, or fail with the
// error, never crash or hang; and a value written into a file that opened reads back the
// same, with every other value of the file unchanged.
#include "platform/QuorvaneError.h"
#include "platform/Registry.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QtGlobal>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>

namespace {
const QString kKey = QStringLiteral("Software\\Brevinn\\Quorvane\\3.0");
const QString kNames[] = {QStringLiteral("bkgrnd"), QStringLiteral("fontname"),
                          QStringLiteral("fontsize"), QStringLiteral("fontcolor"),
                          QStringLiteral("version")};

std::unique_ptr<QTemporaryDir> g_config;

// What a value reads as, as text, so two readings can be compared.
QString reading(const quorvane::RegistryKey& key, const QString& name) {
    if (!key.valueExists(name))
        return QStringLiteral("<missing>");
    try {
        return QStringLiteral("s:") + key.readString(name);
    } catch (const quorvane::QuorvaneError&) {
    }
    try {
        return QStringLiteral("i:") + QString::number(key.readInteger(name));
    } catch (const quorvane::QuorvaneError&) {
    }
    return QStringLiteral("<other>");
}
} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) {});
    // In memory where the system has it: every input is written to disk once.
    const QString base =
        QDir(QStringLiteral("/dev/shm")).exists() ? QStringLiteral("/dev/shm") : QDir::tempPath();
    g_config = std::make_unique<QTemporaryDir>(base + QStringLiteral("/fuzz-settings-XXXXXX"));
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(g_config->path()));
    QDir().mkpath(QFileInfo(quorvane::RegistryKey::storageFile()).absolutePath());
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QString fileName = quorvane::RegistryKey::storageFile();
    {
        QFile file(fileName);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            std::abort();
        file.write(reinterpret_cast<const char*>(data), qint64(size));
    }
    // The fuzzed bytes also choose the value written back, so names and texts that need
    // escaping come up.
    const QString written = QString::fromUtf8(reinterpret_cast<const char*>(data),
                                              qsizetype(std::min<std::size_t>(size, 24)));
    try {
        quorvane::RegistryKey key;
        if (!key.openKey(kKey, false))
            return 0;
        QStringList before;
        for (const QString& name : kNames)
            before << reading(key, name);
        key.writeString(QStringLiteral("fontname"), written);
        quorvane::RegistryKey again;
        if (!again.openKey(kKey, false) || again.readString(QStringLiteral("fontname")) != written)
            std::abort(); // a written value must read back as written
        for (int i = 0; i < int(std::size(kNames)); ++i)
            if (kNames[i] != QStringLiteral("fontname") && reading(again, kNames[i]) != before[i])
                std::abort(); // and the others stay as they were
    } catch (const quorvane::QuorvaneError&) {
    }
    return 0;
}
