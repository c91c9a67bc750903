#include "ui/maintenance/ImportJob.h"

#include <QFileInfo>
#include <QThread>

#include <exception>

namespace quorvane {

ImportJob::ImportJob(const QString& input, const QString& target, IdiomMerge::Mode mode,
                     QObject* parent)
    : QObject(parent), m_input(input), m_target(target), m_mode(mode) {}

ImportJob::~ImportJob() {
    if (m_thread) {
        m_cancel = true;
        m_thread->wait();
        delete m_thread;
    }
}

void ImportJob::start() {
    m_thread = QThread::create([this] { run(); });
    connect(m_thread, &QThread::finished, this, &ImportJob::finished);
    m_thread->start();
}

void ImportJob::checkCancel() const {
    if (m_cancel)
        throw IdiomMerge::Cancelled();
}

void ImportJob::run() {
    try {
        Q_EMIT stepStarted(Step::Checking);
        const QFileInfo input(m_input);
        if (input.isFile() && input.size() > kSizeLimit)
            throw QuorvaneError(QStringLiteral("文件“%1”有 %2 MB，超过导入的上限 %3 MB，"
                                               "不像是成语数据")
                                    .arg(m_input)
                                    .arg(input.size() / (1024 * 1024))
                                    .arg(kSizeLimit / (1024 * 1024)));
        m_prepared = IdiomImport::prepare(m_input);
        checkCancel();
        Q_EMIT stepStarted(Step::Writing);
        m_outcome = IdiomMerge::apply(m_prepared.entries, m_target, m_mode,
                                      [this](qsizetype done, qsizetype total) {
                                          checkCancel();
                                          Q_EMIT progress(done, total);
                                          // The last row is written; the rename follows.
                                          if (done == total)
                                              checkCancel();
                                      });
    } catch (const IdiomMerge::Cancelled& cancelled) {
        m_wasCancelled = true;
        m_error = cancelled.message();
    } catch (const QuorvaneError& error) {
        m_error = error.message();
    } catch (const std::exception& error) {
        m_error = QStringLiteral("导入失败：%1").arg(QString::fromLocal8Bit(error.what()));
    }
}

} // namespace quorvane
