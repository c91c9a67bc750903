#include "ui/maintenance/IdiomDownload.h"

#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>

namespace quorvane {
namespace {
// Without a byte for this long the server is taken to be gone.
constexpr int kStallMs = 30000;

QString megabytes(qint64 bytes) {
    return QString::number(double(bytes) / (1024.0 * 1024.0), 'f', 1);
}
} // namespace

IdiomDownload::IdiomDownload(QNetworkAccessManager* manager, QObject* parent)
    : QObject(parent), m_manager(manager) {}

IdiomDownload::~IdiomDownload() {
    if (m_reply) {
        m_reply->disconnect(this);
        m_reply->abort();
        m_reply->deleteLater();
    }
}

void IdiomDownload::start(const QUrl& url, const QString& path) {
    m_url = url;
    m_received = 0;
    m_error.clear();
    m_cancelled = false;
    m_sawStart = false;
    m_file.close();
    m_file.setFileName(path);
    if (!url.isValid() || (url.scheme() != u"http" && url.scheme() != u"https")) {
        fail(QStringLiteral("下载地址“%1”无效：应以 http:// 或 https:// 开头")
                 .arg(url.toDisplayString()));
        Q_EMIT finished(m_error);
        return;
    }
    if (!m_file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        fail(QStringLiteral("无法写入临时文件“%1”：%2").arg(path, m_file.errorString()));
        Q_EMIT finished(m_error);
        return;
    }
    QNetworkRequest request(url);
    request.setTransferTimeout(kStallMs);
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                         QNetworkRequest::NoLessSafeRedirectPolicy);
    m_reply = m_manager->get(request);
    connect(m_reply, &QNetworkReply::readyRead, this, &IdiomDownload::readSome);
    connect(m_reply, &QNetworkReply::downloadProgress, this, [this](qint64 got, qint64 total) {
        if (total > kSizeLimit)
            fail(QStringLiteral("下载的文件有 %1 MB，超过上限 %2 MB，不像是成语数据")
                     .arg(megabytes(total), megabytes(kSizeLimit)));
        else
            Q_EMIT progress(got, total);
    });
    connect(m_reply, &QNetworkReply::finished, this, &IdiomDownload::done);
}

void IdiomDownload::cancel() {
    if (!m_reply)
        return;
    m_cancelled = true;
    m_reply->abort();
}

void IdiomDownload::fail(const QString& error) {
    if (m_error.isEmpty())
        m_error = error;
    // Not from inside the reply's own signal: it finishes once the loop comes round.
    if (m_reply && m_reply->isRunning())
        QMetaObject::invokeMethod(m_reply, &QNetworkReply::abort, Qt::QueuedConnection);
}

QString IdiomDownload::statusError(int status) const {
    if (status == 404)
        return QStringLiteral("服务器上没有这个文件（HTTP 404）：%1").arg(m_url.toDisplayString());
    return QStringLiteral("服务器返回错误（HTTP %1）").arg(status);
}

void IdiomDownload::readSome() {
    if (!m_reply || !m_error.isEmpty())
        return;
    // The page that comes with an error status is not what the user asked for.
    const int status = m_reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    if (status >= 400) {
        m_reply->readAll();
        fail(statusError(status));
        return;
    }
    const QByteArray bytes = m_reply->readAll();
    if (!m_sawStart) {
        // An idiom list is a JSON array; a page of HTML or any other text is not.
        const QByteArray head = bytes.trimmed();
        const QByteArray withoutBom = head.startsWith("\xEF\xBB\xBF") ? head.mid(3) : head;
        if (!withoutBom.isEmpty()) {
            m_sawStart = true;
            if (!withoutBom.startsWith('[')) {
                fail(withoutBom.startsWith('<')
                         ? QStringLiteral("下载的内容是一个网页，不是成语数据（JSON）。"
                                          "请检查地址是否指向 idiom.json 文件本身")
                         : QStringLiteral("下载的内容不是成语数据（JSON）"));
                return;
            }
        }
    }
    m_received += bytes.size();
    if (m_received > kSizeLimit) {
        fail(QStringLiteral("下载的数据超过上限 %1 MB，不像是成语数据").arg(megabytes(kSizeLimit)));
        return;
    }
    if (m_file.write(bytes) != bytes.size())
        fail(QStringLiteral("无法写入临时文件“%1”：%2")
                 .arg(m_file.fileName(), m_file.errorString()));
}

QString IdiomDownload::networkError() const {
    const int status = m_reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    const QString host = m_url.host();
    switch (m_reply->error()) {
    case QNetworkReply::HostNotFoundError:
        return QStringLiteral("找不到服务器“%1”：请检查网络连接和下载地址").arg(host);
    case QNetworkReply::ConnectionRefusedError:
        return QStringLiteral("服务器“%1”拒绝连接").arg(host);
    case QNetworkReply::RemoteHostClosedError:
        return QStringLiteral("服务器“%1”在传送完成前断开了连接，数据不完整").arg(host);
    case QNetworkReply::TimeoutError:
    case QNetworkReply::OperationCanceledError:
        return QStringLiteral("服务器“%1”长时间没有回应").arg(host);
    case QNetworkReply::SslHandshakeFailedError:
        return QStringLiteral("无法与服务器“%1”建立安全连接（TLS）").arg(host);
    case QNetworkReply::ContentNotFoundError:
        return statusError(404);
    case QNetworkReply::NetworkSessionFailedError:
    case QNetworkReply::TemporaryNetworkFailureError:
    case QNetworkReply::UnknownNetworkError:
        return QStringLiteral("无法连接网络：%1").arg(m_reply->errorString());
    default:
        if (status >= 400)
            return statusError(status);
        return QStringLiteral("下载失败：%1").arg(m_reply->errorString());
    }
}

void IdiomDownload::done() {
    QNetworkReply* reply = m_reply;
    if (!reply)
        return;
    if (m_error.isEmpty() && !m_cancelled) {
        readSome();
        if (m_error.isEmpty() && reply->error() != QNetworkReply::NoError)
            m_error = networkError();
        const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
        if (m_error.isEmpty() && status >= 400)
            m_error = statusError(status);
        const QVariant length = reply->header(QNetworkRequest::ContentLengthHeader);
        if (m_error.isEmpty() && length.isValid() && length.toLongLong() != m_received)
            m_error = QStringLiteral("下载不完整：只收到 %1 字节中的 %2 字节")
                          .arg(length.toLongLong())
                          .arg(m_received);
        if (m_error.isEmpty() && m_received == 0)
            m_error = QStringLiteral("服务器没有送来任何数据");
        if (m_error.isEmpty() && !m_file.flush())
            m_error = QStringLiteral("无法写入临时文件“%1”：%2")
                          .arg(m_file.fileName(), m_file.errorString());
    }
    if (m_cancelled)
        m_error = QStringLiteral("下载已取消，词典没有改动");
    m_file.close();
    m_reply = nullptr;
    reply->deleteLater();
    Q_EMIT finished(m_error);
}

} // namespace quorvane
