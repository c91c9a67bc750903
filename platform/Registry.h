#pragma once

#include "platform/QuorvaneError.h"

#include <QString>

#include <memory>

namespace quorvane {

// The settings file exists but cannot be understood; it is left untouched.
class RegistryFormatError : public QuorvaneError {
public:
    using QuorvaneError::QuorvaneError;
};

// One key of HKEY_LOCAL_MACHINE, kept per user in a registry-export text file.
// Mirrors the open/test/read-or-write/close pattern of the Windows registry.
class RegistryKey {
public:
    RegistryKey();
    ~RegistryKey();
    RegistryKey(const RegistryKey&) = delete;
    RegistryKey& operator=(const RegistryKey&) = delete;

    // $XDG_CONFIG_HOME/Brevinn/Quorvane/3.0.reg
    static QString storageFile();

    // Opens `path` ("Software\\Brevinn\\Quorvane\\3.0"), creating it when canCreate.
    // Returns false when the key cannot be opened; throws RegistryFormatError on a
    // malformed file.
    bool openKey(const QString& path, bool canCreate);
    void closeKey();
    bool isOpen() const;

    bool valueExists(const QString& name) const;
    // Both throw QuorvaneError when the value is missing or of another type.
    QString readString(const QString& name) const;
    qint32 readInteger(const QString& name) const;
    // Each write reaches the file at once, atomically.
    void writeString(const QString& name, const QString& value);
    void writeInteger(const QString& name, qint32 value);

private:
    struct Impl;
    std::unique_ptr<Impl> d;
};

} // namespace quorvane
