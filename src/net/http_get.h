// One plain HTTP GET whose body is returned whatever the status; used by the
// update check, so every failure is just an empty result.
#pragma once

#include <QByteArray>
#include <QString>

#include <atomic>
#include <chrono>

namespace tessaline {

struct http_get_limits {
    std::chrono::milliseconds timeout{15000}; // the whole request
    qint64 max_body = 64 * 1024; // a larger body is dropped; reading stops just past it
};

// GET `path` (path and query) from `host` ("name" for port 80, or
// "name:port"), with the update check's user agent and caches asked to
// reload. Empty when the request fails, times out, is cancelled through
// `cancel`, or the body is larger than the limit.
QByteArray http_get(const QString& host, const QString& path, const http_get_limits& limits = {},
                    const std::atomic<bool>* cancel = nullptr);

} // namespace tessaline
