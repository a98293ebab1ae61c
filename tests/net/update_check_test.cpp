#include "net/http_get.h"
#include "net/update_address.h"
#include "net/update_check_thread.h"
#include "net/update_reply.h"
#include "ui/update_window.h"

#include <QElapsedTimer>
#include <QLabel>
#include <QPushButton>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdlib>
#include <functional>
#include <memory>
#include <string>
#include <thread>

using namespace tessaline;

namespace {

// A loopback HTTP server: records the request it gets and answers with the
// given bytes (or holds the connection open when told to).
class fake_server {
  public:
    explicit fake_server(QByteArray answer, bool hold = false)
        : answer_(std::move(answer)), hold_(hold) {
        server_.listen(QHostAddress::LocalHost);
        QObject::connect(&server_, &QTcpServer::newConnection, [this] {
            QTcpSocket* socket = server_.nextPendingConnection();
            QObject::connect(socket, &QTcpSocket::readyRead, [this, socket] {
                request_ += socket->readAll();
                if (!request_.contains("\r\n\r\n") || hold_) return;
                socket->write(answer_);
                socket->flush();
                socket->disconnectFromHost();
            });
        });
    }
    QString host() const { return QStringLiteral("127.0.0.1:%1").arg(server_.serverPort()); }
    const QByteArray& request() const { return request_; }

  private:
    QTcpServer server_;
    QByteArray answer_;
    QByteArray request_;
    bool hold_;
};

// A loopback HTTP server on a thread of its own, as a real one would be: it
// answers without a Content-Length and sends an endless body (plain until the
// connection closes, or chunked) as fast as the client takes it, up to 1 GB.
class flooding_server {
  public:
    explicit flooding_server(bool chunked) {
        listener_ = socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t size = sizeof address;
        bind(listener_, reinterpret_cast<sockaddr*>(&address), size);
        listen(listener_, 1);
        getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &size);
        port_ = ntohs(address.sin_port);
        worker_ = std::thread([this, chunked] { serve(chunked); });
    }
    ~flooding_server() {
        finish();
        close(listener_);
    }
    QString host() const { return QStringLiteral("127.0.0.1:%1").arg(port_); }
    // Waits until the client has gone; then gives the bytes it took.
    long long sent() {
        finish();
        return sent_;
    }

  private:
    void finish() {
        if (worker_.joinable()) worker_.join();
    }
    void serve(bool chunked) {
        pollfd waiting{listener_, POLLIN, 0};
        if (poll(&waiting, 1, 10000) != 1) return;
        const int connection = accept(listener_, nullptr, nullptr);
        // A small send buffer keeps what waits in the kernel, and so the
        // count's slack, small; the time-out ends a client that stops reading.
        const int buffer = 64 * 1024;
        setsockopt(connection, SOL_SOCKET, SO_SNDBUF, &buffer, sizeof buffer);
        const timeval patience{5, 0};
        setsockopt(connection, SOL_SOCKET, SO_SNDTIMEO, &patience, sizeof patience);
        std::string request;
        char part[1024];
        while (request.find("\r\n\r\n") == std::string::npos) {
            const ssize_t got = recv(connection, part, sizeof part, 0);
            if (got <= 0) break;
            request.append(part, static_cast<std::size_t>(got));
        }
        std::string block = chunked ? "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n"
                                    : "HTTP/1.1 200 OK\r\nConnection: close\r\n\r\n";
        const std::string data(16 * 1024, 'x');
        while (sent_ < (1LL << 30)) {
            block += chunked ? "4000\r\n" + data + "\r\n" : data;
            const ssize_t put = send(connection, block.data(), block.size(), MSG_NOSIGNAL);
            if (put <= 0) break;
            sent_ += put;
            block.erase(0, static_cast<std::size_t>(put));
        }
        close(connection);
    }

    int listener_;
    quint16 port_;
    std::thread worker_;
    long long sent_ = 0;
};

QByteArray response(const QByteArray& body, bool with_length = true, int status = 200) {
    QByteArray head = "HTTP/1.1 " + QByteArray::number(status) + " X\r\nConnection: close\r\n";
    if (with_length) head += "Content-Length: " + QByteArray::number(body.size()) + "\r\n";
    return head + "\r\n" + body;
}

class fake_window : public QObject, public update_check_window {
  public:
    QString host;
    int replies = 0;
    QString last_reply;
    QString update_host_value() const override { return host; }
    QString update_path_value() const override { return QStringLiteral("/version_check.php?id=2"); }
    QString installation_token() override { return QStringLiteral("tok-123"); }
    void update_reply_arrived(const QString& reply) override {
        ++replies;
        last_reply = reply;
    }
};

// Runs one whole check against `host` and waits until the thread is gone.
void run_check(fake_window& window, QObject* guard_target, std::function<void()> meanwhile = {}) {
    auto* thread = new TUpdateCheckThread(guard_target, &window);
    bool done = false;
    QObject::connect(thread, &QThread::finished, [&] { done = true; });
    thread->start_check();
    if (meanwhile) meanwhile();
    QElapsedTimer t;
    t.start();
    while (!done && t.elapsed() < 20000)
        QTest::qWait(10);
    ASSERT_TRUE(done);
}

const char* current = "1.0.14";

} // namespace

TEST(UpdateReply, OfferOnlyForAnotherVersion) {
    EXPECT_FALSE(update_offer_needed("<r><version val=\"1.0.14\"/></r>", current));
    EXPECT_TRUE(update_offer_needed("<r><version val=\"1.0.15\"/></r>", current));
    EXPECT_TRUE(update_offer_needed("<any><version val=\"0.9\"/></any>", current));
    EXPECT_TRUE(update_offer_needed("<r><version val=\"\"/></r>", current));
    EXPECT_TRUE(
        update_offer_needed("\xEF\xBB\xBF  \r\n<r><version val=\"2\"/></r>\n junk", current));
    EXPECT_FALSE(update_offer_needed("<r><other val=\"2\"/></r>", current));
    EXPECT_FALSE(update_offer_needed("<r><version value=\"2\"/></r>", current));
    EXPECT_FALSE(update_offer_needed("<r><version val=\"2\"></r>", current));
    EXPECT_FALSE(update_offer_needed("no xml here", current));
    EXPECT_FALSE(update_offer_needed("", current));
}

TEST(HttpGet, RequestFormAndBodies) {
    fake_server server(response("<r/>"));
    EXPECT_EQ(http_get(server.host(), "/version_check.php?id=2&seed=abc"), "<r/>");
    const QByteArray request = server.request();
    EXPECT_TRUE(request.startsWith("GET /version_check.php?id=2&seed=abc HTTP/1.1\r\n"))
        << request.constData();
    EXPECT_TRUE(request.contains("User-Agent: Arvelon Informer\r\n"));
    EXPECT_TRUE(request.contains("Pragma: no-cache\r\n"));
    EXPECT_TRUE(request.contains("Cache-Control: no-cache\r\n"));

    fake_server without_length(response("<r><version val=\"9\"/></r>", false));
    EXPECT_EQ(http_get(without_length.host(), "/p"), "<r><version val=\"9\"/></r>");
    fake_server error_status(response("<r>gone</r>", true, 404));
    EXPECT_EQ(http_get(error_status.host(), "/p"), "<r>gone</r>");
    fake_server empty(response(""));
    EXPECT_TRUE(http_get(empty.host(), "/p").isEmpty());
}

TEST(HttpGet, FailuresGiveNothing) {
    // Nobody listens on a port just closed.
    quint16 port;
    {
        QTcpServer probe;
        probe.listen(QHostAddress::LocalHost);
        port = probe.serverPort();
    }
    EXPECT_TRUE(http_get(QStringLiteral("127.0.0.1:%1").arg(port), "/p").isEmpty());

    fake_server huge(response(QByteArray(64 * 1024 + 1, 'x')));
    EXPECT_TRUE(http_get(huge.host(), "/p").isEmpty());
    fake_server at_limit(response(QByteArray(64 * 1024, 'x')));
    EXPECT_EQ(http_get(at_limit.host(), "/p").size(), 64 * 1024);
    fake_server huge_without_length(response(QByteArray(64 * 1024 + 1, 'x'), false));
    EXPECT_TRUE(http_get(huge_without_length.host(), "/p").isEmpty());
    fake_server at_limit_without_length(response(QByteArray(64 * 1024, 'x'), false));
    EXPECT_EQ(http_get(at_limit_without_length.host(), "/p").size(), 64 * 1024);

    fake_server silent(QByteArray(), true);
    QElapsedTimer t;
    t.start();
    http_get_limits limits;
    limits.timeout = std::chrono::milliseconds(300);
    EXPECT_TRUE(http_get(silent.host(), "/p", limits).isEmpty());
    EXPECT_LT(t.elapsed(), 5000);
}

// Without a Content-Length nothing announces the size: the cap must hold
// while the body arrives. What the server got rid of includes the kernel's
// socket buffers (some hundred KB); an unbounded read takes many MB, how many
// depends on thread timing, hence a few rounds.
TEST(HttpGet, EndlessBodiesStopAtTheCap) {
    for (const bool chunked : {false, true}) {
        SCOPED_TRACE(chunked ? "chunked" : "until the connection closes");
        for (int round = 0; round < 3; ++round) {
            flooding_server server(chunked);
            EXPECT_TRUE(http_get(server.host(), "/p").isEmpty());
            EXPECT_LT(server.sent(), 2 * 1024 * 1024);
        }
    }
}

TEST(UpdateCheckThread, HandsNonEmptyRepliesToTheWindow) {
    fake_server server(response("<r><version val=\"2.0\"/></r>"));
    fake_window window;
    window.host = server.host();
    run_check(window, &window);
    EXPECT_EQ(window.replies, 1);
    EXPECT_EQ(window.last_reply, "<r><version val=\"2.0\"/></r>");
    EXPECT_TRUE(server.request().contains("/version_check.php?id=2&seed=tok-123 "));

    fake_server empty(response(""));
    fake_window quiet;
    quiet.host = empty.host();
    run_check(quiet, &quiet);
    EXPECT_EQ(quiet.replies, 0);
}

TEST(UpdateCheckThread, WindowClosedWhileTheServerHoldsTheReply) {
    fake_server server(response("<r><version val=\"2.0\"/></r>"), true);
    fake_window window;
    window.host = server.host();
    auto window_object = std::make_unique<QObject>();
    auto owner = std::make_unique<update_check_owner>();
    owner->start(window_object.get(), &window);
    QTest::qWait(200);
    QElapsedTimer t;
    t.start();
    // The main window closes: its members go first, then the window itself.
    owner.reset();
    window_object.reset();
    EXPECT_LT(t.elapsed(), 2500);
    QTest::qWait(300);
    EXPECT_EQ(window.replies, 0);
}

TEST(UpdateAddress, ExampleDomainAndOverride) {
    EXPECT_EQ(site_address().size(), 20);
    EXPECT_TRUE(site_address().endsWith(".example"));
    qputenv("TESSALINE_UPDATE_HOST", "127.0.0.1:8080");
    EXPECT_EQ(update_host().value_or(""), "127.0.0.1:8080");
    qputenv("TESSALINE_UPDATE_HOST", "");
    EXPECT_FALSE(update_host().has_value());
    qunsetenv("TESSALINE_UPDATE_HOST");
    EXPECT_TRUE(update_host().value_or("").endsWith(".example"));
}

TEST(UpdateWindow, TextsAndButtons) {
    TFUpdate window(QStringLiteral("Tessaline"),
                    QStringLiteral("http://tessa.example/content/download/2/"));
    EXPECT_EQ(window.windowTitle(), "Tessaline new update");
    EXPECT_EQ(window.Label1->text(), "A new update is available");
    EXPECT_EQ(window.Label2->text(), "Would You like to download it now ?");
    EXPECT_EQ(window.yes_button->text(), "Yes");
    EXPECT_TRUE(window.no_button->font().bold());
    QTimer::singleShot(0, window.no_button, &QPushButton::click);
    EXPECT_EQ(window.exec(), QDialog::Accepted);
}
