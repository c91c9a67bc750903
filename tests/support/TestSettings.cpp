#include "support/TestSettings.h"

#include "platform/Registry.h"
#include "support/TestFiles.h"

#include <QTest>

namespace quorvane::testing {

QString settingsText() {
    return QString::fromUtf8(readFile(RegistryKey::storageFile()));
}

void writeSettings(const QString& values) {
    QVERIFY(writeFile(RegistryKey::storageFile(),
                      QByteArray("Windows Registry Editor Version 5.00\r\n\r\n"
                                 "[HKEY_LOCAL_MACHINE\\Software\\Brevinn\\Quorvane\\3.0]\r\n") +
                          values.toUtf8()));
}

} // namespace quorvane::testing
