#pragma once

#include "tools/IdiomImport.h"
#include "tools/IdiomMerge.h"

#include <QObject>
#include <QString>

#include <atomic>

class QThread;

namespace quorvane {

// Reads, checks and writes one import on a thread of its own, so the windows stay
// responsive; the result is read once finished() has come.
class ImportJob : public QObject {
    Q_OBJECT
public:
    enum class Step { Checking, Writing };

    // A file larger than this is no idiom list; it is refused before it is read.
    static constexpr qint64 kSizeLimit = 64LL * 1024 * 1024;

    ImportJob(const QString& input, const QString& target, IdiomMerge::Mode mode,
              QObject* parent = nullptr);
    // Waits for the thread.
    ~ImportJob() override;

    void start();
    // Asks the job to stop; it stops before the dictionary is replaced, or not at all
    // when that has happened.
    void cancel() { m_cancel = true; }

    // Valid after finished().
    const IdiomImport::Prepared& prepared() const { return m_prepared; }
    const IdiomMerge::Outcome& outcome() const { return m_outcome; }
    // Empty when the dictionary was written.
    const QString& error() const { return m_error; }
    bool cancelled() const { return m_wasCancelled; }

Q_SIGNALS:
    void stepStarted(quorvane::ImportJob::Step step);
    void progress(qsizetype done, qsizetype total);
    void finished();

private:
    void run();
    void checkCancel() const;

    QString m_input;
    QString m_target;
    IdiomMerge::Mode m_mode;
    QThread* m_thread = nullptr;
    std::atomic<bool> m_cancel = false;
    IdiomImport::Prepared m_prepared;
    IdiomMerge::Outcome m_outcome;
    QString m_error;
    bool m_wasCancelled = false;
};

} // namespace quorvane
