#pragma once

#include <QByteArray>
#include <QString>

#include <functional>

#ifdef Q_OS_UNIX
#include <sys/resource.h>
#endif

namespace quorvane::testing {

// Whole-file helpers for tests that compare exact bytes; "" when the file is missing.
QByteArray readFile(const QString& path);
// Creates the folder as needed; false when the file cannot be written.
bool writeFile(const QString& path, const QByteArray& bytes);

// Runs `check` where file permissions apply: as root in a child process that has dropped
// to "nobody", otherwise in place. Returns its result (0 for success).
int runWithPermissionsEnforced(const std::function<int()>& check);

#ifdef Q_OS_UNIX
// Files of the process cannot grow past `bytes` while this lives; it holds for root too, so
// a write can be made to fail as on a full disk.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) {
        m_ok = getrlimit(RLIMIT_FSIZE, &m_old) == 0;
        rlimit limit = m_old;
        limit.rlim_cur = bytes;
        m_ok = m_ok && setrlimit(RLIMIT_FSIZE, &limit) == 0;
    }
    ~FileSizeLimit() {
        if (m_ok)
            setrlimit(RLIMIT_FSIZE, &m_old);
    }
    bool ok() const { return m_ok; }

private:
    rlimit m_old{};
    bool m_ok = false;
};
#endif

} // namespace quorvane::testing
