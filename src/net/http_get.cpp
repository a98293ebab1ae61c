#include "http_get.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QTimer>
#include <QUrl>

namespace tessaline {

QByteArray http_get(const QString& host, const QString& path, const http_get_limits& limits,
                    const std::atomic<bool>* cancel) {
    const QUrl url(QStringLiteral("http://%1%2").arg(host, path));
    if (!url.isValid() || url.host().isEmpty()) return {};
    QNetworkAccessManager manager;
    QNetworkRequest request(url);
    request.setHeader(QNetworkRequest::UserAgentHeader, QStringLiteral("Arvelon Informer"));
    request.setRawHeader("Pragma", "no-cache");
    request.setRawHeader("Cache-Control", "no-cache");
    request.setAttribute(QNetworkRequest::CacheLoadControlAttribute,
                         QNetworkRequest::AlwaysNetwork);
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                         QNetworkRequest::ManualRedirectPolicy);
    request.setTransferTimeout(static_cast<int>(limits.timeout.count()));

    QNetworkReply* reply = manager.get(request);
    // Qt stops reading the socket while this much waits unread, so a body
    // without a Content-Length cannot run on while the abort is under way.
    reply->setReadBufferSize(limits.max_body + 1);
    QEventLoop loop;
    QByteArray body;
    bool too_large = false;
    const auto give_up_too_large = [&] {
        too_large = true;
        reply->abort();
    };
    QObject::connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
    QObject::connect(reply, &QNetworkReply::metaDataChanged, &loop, [&] {
        const QVariant length = reply->header(QNetworkRequest::ContentLengthHeader);
        if (length.isValid() && length.toLongLong() > limits.max_body) give_up_too_large();
    });
    // The body is taken as it arrives and counted here whatever the headers
    // say: one byte past the limit ends the transfer.
    QObject::connect(reply, &QNetworkReply::readyRead, &loop, [&] {
        body += reply->read(limits.max_body + 1 - body.size());
        if (body.size() > limits.max_body) give_up_too_large();
    });
    // The transfer time-out restarts with every byte; this one bounds the
    // whole request, and lets a cancel end the wait.
    QElapsedTimer elapsed;
    elapsed.start();
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
        if ((cancel && cancel->load()) || elapsed.elapsed() > limits.timeout.count())
            reply->abort();
    });
    poll.start(50);
    if (!reply->isFinished()) loop.exec();
    poll.stop();

    const auto error = reply->error();
    // An HTTP error status still carries a body worth returning; a broken
    // transfer does not.
    const bool transferred =
        error == QNetworkReply::NoError ||
        (error >= QNetworkReply::ContentAccessDenied &&
         error <= QNetworkReply::UnknownServerError && error != QNetworkReply::ContentReSendError);
    if (transferred && !too_large) body += reply->read(limits.max_body + 1 - body.size());
    if (!transferred || too_large || body.size() > limits.max_body) body.clear();
    delete reply;
    return body;
}

} // namespace tessaline
