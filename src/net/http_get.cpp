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
    QEventLoop loop;
    bool too_large = false;
    QObject::connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
    QObject::connect(reply, &QNetworkReply::readyRead, &loop, [&] {
        if (reply->bytesAvailable() > limits.max_body) {
            too_large = true;
            reply->abort();
        }
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

    QByteArray body;
    const auto error = reply->error();
    // An HTTP error status still carries a body worth returning; a broken
    // transfer does not.
    const bool transferred =
        error == QNetworkReply::NoError ||
        (error >= QNetworkReply::ContentAccessDenied &&
         error <= QNetworkReply::UnknownServerError && error != QNetworkReply::ContentReSendError);
    if (transferred && !too_large) {
        body = reply->readAll();
        if (body.size() > limits.max_body) body.clear();
    }
    delete reply;
    return body;
}

} // namespace tessaline
