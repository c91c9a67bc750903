#pragma once

#include <QFile>
#include <QObject>
#include <QPointer>
#include <QUrl>

#include <QNetworkReply>

class QNetworkAccessManager;

namespace quorvane {

// Downloads a data set into a file, refusing what cannot be one: an answer that is not
// JSON (an error page), one cut short, one larger than an idiom data set ever is.
class IdiomDownload : public QObject {
    Q_OBJECT
public:
    // The public data set is about 12 MB; anything past this is not an idiom list.
    static constexpr qint64 kSizeLimit = 64LL * 1024 * 1024;

    explicit IdiomDownload(QNetworkAccessManager* manager, QObject* parent = nullptr);
    ~IdiomDownload() override;

    // Starts the download into `path` (replaced whole). finished() follows in any case.
    void start(const QUrl& url, const QString& path);
    // Stops the download; finished() reports the cancel.
    void cancel();
    bool running() const { return m_reply != nullptr; }
    bool cancelled() const { return m_cancelled; }

Q_SIGNALS:
    void progress(qint64 received, qint64 total); // total -1 when the server does not say
    // `error` is empty when the file holds the whole answer.
    void finished(const QString& error);

private:
    void readSome();
    void done();
    void fail(const QString& error);
    QString networkError() const;
    QString statusError(int status) const;

    QNetworkAccessManager* m_manager;
    QPointer<QNetworkReply> m_reply;
    QFile m_file;
    QUrl m_url;
    qint64 m_received = 0;
    QString m_error;
    bool m_cancelled = false;
    bool m_sawStart = false;
};

} // namespace quorvane
