// The connectivity and update checks against a loopback server of the test's own that answers
// badly: a body without end, a server that sends its answer a byte at a time, one that never
// answers. A check ends on the status, keeps no body and never outlasts its deadline.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QNetworkAccessManager>
#include <QSignalSpy>
#include <QTest>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>
#include <memory>

#include "map/page_check.h"

using namespace korvane;

namespace {

enum class Misbehaviour { EndlessBody, TrickledHeader, TrickledBody, Silent, Fine, NotFound };

// Answers every connection the way it is told to.
class BadServer : public QObject {
public:
    explicit BadServer(Misbehaviour how) : how_(how)
    {
        server_.listen(QHostAddress::LocalHost);
        QObject::connect(&server_, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket* s = server_.nextPendingConnection())
                QObject::connect(s, &QTcpSocket::readyRead, this, [this, s] { Answer(s); });
        });
    }
    QString Url() const { return QStringLiteral("http://127.0.0.1:%1/kova/connected/").arg(server_.serverPort()); }
    qint64 sent = 0;

private:
    void Answer(QTcpSocket* s)
    {
        if (s->property("answered").toBool())
            return;
        s->setProperty("answered", true);
        s->readAll();
        const QByteArray header = "HTTP/1.1 200 OK\r\nContent-Type: text/html\r\n\r\n";
        switch (how_) {
        case Misbehaviour::Fine:
            s->write("HTTP/1.1 200 OK\r\nContent-Length: 2\r\nConnection: close\r\n\r\nok");
            break;
        case Misbehaviour::NotFound:
            s->write("HTTP/1.1 404 Not Found\r\nContent-Length: 0\r\nConnection: close\r\n\r\n");
            break;
        case Misbehaviour::EndlessBody: {
            s->write(header);
            const QByteArray chunk(64 * 1024, 'x');
            QObject::connect(s, &QTcpSocket::bytesWritten, s, [this, s, chunk] {
                if (s->bytesToWrite() < chunk.size() && sent < (qint64(1) << 30)) {
                    s->write(chunk);
                    sent += chunk.size();
                }
            });
            s->write(chunk);
            sent += chunk.size();
            break;
        }
        case Misbehaviour::TrickledHeader:
        case Misbehaviour::TrickledBody: {
            const QByteArray text = how_ == Misbehaviour::TrickledHeader ? header + "ok" : QByteArray(1 << 20, 'x');
            if (how_ == Misbehaviour::TrickledBody)
                s->write("HTTP/1.1 200 OK\r\nContent-Length: 1048576\r\n\r\n");
            auto* timer = new QTimer(s);
            auto at = std::make_shared<int>(0);
            QObject::connect(timer, &QTimer::timeout, s, [s, text, at] {
                if (*at < text.size())
                    s->write(text.mid((*at)++, 1));
            });
            timer->start(100);
            break;
        }
        case Misbehaviour::Silent:
            break;
        }
    }

    Misbehaviour how_;
    QTcpServer server_;
};

struct CheckCase {
    const char* name;
    Misbehaviour how;
    bool success;
    int status;
};

class PageCheckAnswers : public testing::TestWithParam<CheckCase> {};

TEST_P(PageCheckAnswers, EndOnTheStatusOrAtTheDeadline)
{
    const CheckCase& c = GetParam();
    BadServer server(c.how);
    QNetworkAccessManager network;
    PageCheck check(network, QStringLiteral("test"));
    check.timeoutMs = 1500;
    QSignalSpy done(&check, &PageCheck::navigationCompleted);
    QElapsedTimer clock;
    clock.start();
    check.Navigate(server.Url());
    // Far longer than the deadline: a check that only notices silence never ends here.
    EXPECT_TRUE(done.wait(8000)) << c.name;
    ASSERT_EQ(done.size(), 1) << c.name;
    EXPECT_EQ(done.at(0).at(0).toBool(), c.success) << c.name;
    EXPECT_EQ(done.at(0).at(1).toInt(), c.status) << c.name;
    EXPECT_FALSE(check.Running());
    // The endless body was given up at once: nowhere near the gigabyte the server would send.
    EXPECT_LT(server.sent, qint64(64) << 20) << c.name;
    QTest::qWait(50);
    EXPECT_EQ(done.size(), 1) << c.name;
}

INSTANTIATE_TEST_SUITE_P(
    Servers, PageCheckAnswers,
    testing::Values(CheckCase{"fine", Misbehaviour::Fine, true, 200},
                    CheckCase{"not_found", Misbehaviour::NotFound, false, 404},
                    CheckCase{"endless_body", Misbehaviour::EndlessBody, true, 200},
                    CheckCase{"trickled_body", Misbehaviour::TrickledBody, true, 200},
                    CheckCase{"trickled_header", Misbehaviour::TrickledHeader, false, 0},
                    CheckCase{"silent", Misbehaviour::Silent, false, 0}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
