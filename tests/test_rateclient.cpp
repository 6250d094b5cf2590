#include "TestEnvironment.h"
#include "base/Settings.h"
#include "currency/RateClient.h"
#include "currency/RateFetchProcess.h"
#include "currency/RateRecord.h"
#include "currency/fetch/RateEndpoint.h"

#include <QSslKey>
#include <QSslServer>
#include <QtTest>

#include <memory>

namespace {

const QByteArray okHead = "HTTP/1.1 200 OK\r\nContent-Type: application/json\r\n";
// Nothing listens on the discard port: the connection is refused at once.
const QUrl unreachable("http://127.0.0.1:9");

// One scripted answer of the test server.
struct Answer
{
    QByteArray head = okHead;
    QByteArray body;
    int dripMs = 0; // > 0: the body goes out one byte at a time
    bool sendLength = true;
    bool endlessHead = false; // header lines without end: one per dripMs, else as fast as they are taken
};

QByteArray rateBody(const char *base, const char *quote, double rate, const QDate &date,
                    const QByteArray &extra = {})
{
    const QJsonObject object{
        {"base", base}, {"quote", quote}, {"rate", rate}, {"date", date.toString(Qt::ISODate)}};
    QByteArray json = QJsonDocument(object).toJson(QJsonDocument::Compact);
    if (!extra.isEmpty())
        json.insert(json.size() - 1, "," + extra);
    return json;
}

QByteArray padding(qint64 bytes)
{
    return "\"pad\":\"" + QByteArray(bytes, 'x') + "\"";
}

// A plain HTTP server on loopback answering each request with the next scripted answer.
class RateServer : public QObject
{
public:
    explicit RateServer(QTcpServer *server)
        : m_server(server)
    {
        connect(m_server, &QTcpServer::pendingConnectionAvailable, this, &RateServer::accept);
    }

    bool listen() { return m_server->listen(QHostAddress::LocalHost); }
    QUrl base(const QString &scheme = "http") const
    {
        return QUrl(QString("%1://127.0.0.1:%2").arg(scheme).arg(m_server->serverPort()));
    }
    void enqueue(const Answer &answer) { m_answers.append(answer); }
    QStringList paths;
    int open = 0; // connections the client has not closed yet

private:
    void accept()
    {
        while (QTcpSocket *socket = m_server->nextPendingConnection()) {
            // Freed with the connection, whichever of server and socket goes first.
            auto request = std::make_shared<QByteArray>();
            ++open;
            connect(socket, &QTcpSocket::disconnected, this, [this] { --open; });
            connect(socket, &QTcpSocket::readyRead, this, [this, socket, request] {
                request->append(socket->readAll());
                if (!request->contains("\r\n\r\n"))
                    return;
                paths.append(
                    QString::fromLatin1(request->left(request->indexOf("\r\n")).split(' ').value(1)));
                request->clear();
                answer(socket, m_answers.isEmpty() ? Answer{} : m_answers.takeFirst());
            });
        }
    }

    void answer(QTcpSocket *socket, const Answer &a)
    {
        if (a.endlessHead) {
            socket->write(a.head);
            auto *more = new QTimer(socket);
            const QByteArray line = a.dripMs > 0
                                        ? QByteArray("X-Pad: x\r\n")
                                        : QByteArray(64 * 1024, 'x').replace(0, 9, "X-Pad: xx") + "\r\n";
            connect(more, &QTimer::timeout, socket, [socket, line] {
                if (socket->isOpen() && socket->bytesToWrite() < 1024 * 1024)
                    socket->write(line);
            });
            more->start(std::max(a.dripMs, 1));
            return;
        }
        const QByteArray length = "Content-Length: " + QByteArray::number(a.body.size()) + "\r\n";
        socket->write(a.head + (a.sendLength ? length : QByteArray()) + "Connection: close\r\n\r\n");
        const qsizetype parts = a.dripMs > 0 ? a.body.size() : 1;
        for (qsizetype i = 0; i < parts; ++i) {
            const QByteArray part = a.dripMs > 0 ? a.body.mid(i, 1) : a.body;
            QTimer::singleShot(a.dripMs * i, socket, [socket, part] { socket->write(part); });
        }
        QTimer::singleShot(a.dripMs * parts, socket, [socket] { socket->disconnectFromHost(); });
    }

    QTcpServer *m_server;
    QList<Answer> m_answers;
};

bool waitIdle(RateClient &client, int ms = 5000)
{
    return QTest::qWaitFor([&client] { return !client.isBusy(); }, ms);
}

QByteArray cached(const char *from, const char *to)
{
    return Settings::instance()->value(RateRecord::cacheKey(from, to)).toByteArray();
}

void addReply(const char *name, const QByteArray &body, bool accepted, const QByteArray &head = okHead,
              bool sendLength = true, int dripMs = 0)
{
    QTest::newRow(name) << QList<Answer>{{head, body, dripMs, sendLength}} << accepted;
}

} // namespace

Q_DECLARE_METATYPE(QList<Answer>)

class TestRateClient : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init()
    {
        RateFetchProcess::setHelperProgram(QStringLiteral(LARKSPAN_RATE_FETCH_HELPER));
        m_env = std::make_unique<TestEnvironment>();
        TestEnvironment::settings().clear();
        m_server.reset();
        m_tcp = std::make_unique<QTcpServer>();
        m_server = std::make_unique<RateServer>(m_tcp.get());
        QVERIFY(m_server->listen());
    }

    void reply_data()
    {
        QTest::addColumn<QList<Answer>>("answers");
        QTest::addColumn<bool>("accepted");

        const QDate today = QDate::currentDate();
        addReply("good", rateBody("USD", "CNY", 7.25, today.addDays(-1)), true);
        addReply("dated today", rateBody("USD", "CNY", 7.25, today), true);
        addReply("other members dropped", rateBody("USD", "CNY", 7.25, today, R"("note":"buy now")"), true);
        addReply("base mismatch", rateBody("EUR", "CNY", 7.25, today), false);
        addReply("quote mismatch", rateBody("USD", "JPY", 7.25, today), false);
        addReply("base in lower case", rateBody("usd", "CNY", 7.25, today), false);
        addReply("zero rate", rateBody("USD", "CNY", 0, today), false);
        addReply("negative rate", rateBody("USD", "CNY", -7.25, today), false);
        addReply("rate too large", rateBody("USD", "CNY", 1e308, today), false);
        addReply("rate too small", rateBody("USD", "CNY", 5e-324, today), false);
        addReply("rate just above the range", rateBody("USD", "CNY", 1.01e9, today), false);
        addReply("rate as text", R"({"base":"USD","quote":"CNY","rate":"7.25","date":"2024-01-02"})", false);
        addReply("future date", rateBody("USD", "CNY", 7.25, today.addDays(1)), false);
        addReply("invalid date", R"({"base":"USD","quote":"CNY","rate":7.25,"date":"2024-02-30"})", false);
        addReply("missing date", R"({"base":"USD","quote":"CNY","rate":7.25})", false);
        addReply("array", "[1,2,3]", false);
        addReply("not JSON", "<html>rate: 7.25</html>", false);
        addReply("empty", "", false);
        addReply("unknown code: 422", R"({"message":"invalid currency"})", false,
                 "HTTP/1.1 422 Unprocessable Entity\r\nContent-Type: application/json\r\n");
        addReply("good body with a server error", rateBody("USD", "CNY", 7.25, today), false,
                 "HTTP/1.1 500 Internal Server Error\r\n");
        addReply("oversized", rateBody("USD", "CNY", 7.25, today, padding(RateClient::maxReplyBytes)), false);
        addReply("oversized without length",
                 rateBody("USD", "CNY", 7.25, today, padding(2 * RateClient::maxReplyBytes)), false, okHead,
                 false);
        const QByteArray good = rateBody("USD", "CNY", 7.25, today);
        const QByteArray chunked = QByteArray::number(good.size(), 16) + "\r\n" + good + "\r\n0\r\n\r\n";
        addReply("chunked", chunked, true, okHead + "Transfer-Encoding: chunked\r\n", false);
        // A chunk's data may arrive before the line end after it.
        addReply("chunked, dripping", chunked, true, okHead + "Transfer-Encoding: chunked\r\n", false, 5);
        QTest::newRow("headers without end") << QList<Answer>{{.body = {}, .endlessHead = true}} << false;
        QTest::newRow("headers dripping past the deadline")
            << QList<Answer>{{.body = {}, .dripMs = 20, .endlessHead = true}} << false;
        // Every byte comes sooner than the time-out, the whole body much later.
        addReply("body dripping past the deadline", good, false, okHead, true, 150);
        QTest::newRow("redirect followed")
            << QList<Answer>{{.head = "HTTP/1.1 302 Found\r\nLocation: /v2/rate/USD/CNY\r\n", .body = {}},
                             {.body = good}}
            << true;
    }

    void reply()
    {
        QFETCH(QList<Answer>, answers);
        QFETCH(bool, accepted);
        for (const Answer &answer : answers)
            m_server->enqueue(answer);
        auto owned = std::make_unique<RateClient>(m_server->base());
        RateClient &client = *owned;
        // The deadline covers the whole exchange, headers included.
        client.setTimeout(1000);
        client.refresh("USD", "CNY");
        QVERIFY(client.statusKey() == RateClient::fetching && client.isBusy());
        QVERIFY(waitIdle(client));
        QCOMPARE(m_server->paths, QStringList(answers.size(), "/v2/rate/USD/CNY"));
        QCOMPARE(client.statusKey(), QByteArray(accepted ? RateClient::fetched : RateClient::unavailable));
        QVERIFY(client.hasRate() == accepted && cached("USD", "CNY").isEmpty() != accepted);
        if (accepted) {
            QCOMPARE(client.rateValue(), 7.25);
            // Nothing else a server sends is kept.
            const QStringList members{"base", "date", "quote", "rate"};
            QCOMPARE(client.rate().keys(), members);
            QCOMPARE(QJsonDocument::fromJson(cached("USD", "CNY")).object().keys(), members);
        }
        QTRY_COMPARE_WITH_TIMEOUT(m_server->open, 0, 2000);
        // Quitting never waits on the network.
        QElapsedTimer quitting;
        quitting.start();
        owned.reset();
        QCOMPARE_LT(quitting.elapsed(), 500);
    }

    // The same currency asks nothing of the network; of two requests, the last one's reply counts.
    void requests()
    {
        const QDate today = QDate::currentDate();
        // The first request's reply arrives last.
        m_server->enqueue({.body = rateBody("USD", "JPY", 150, today), .dripMs = 10});
        m_server->enqueue({.body = rateBody("USD", "EUR", 0.9, today)});
        RateClient client(m_server->base());
        client.refresh("EUR", "EUR");
        QVERIFY(client.statusKey() == RateClient::sameCurrency && client.rateValue() == 1.0 &&
                !client.isBusy());
        // Nothing was asked of the network, so nothing of it was set up.
        QVERIFY(client.findChildren<RateFetchProcess *>().isEmpty());
        client.refresh("USD", "JPY");
        // The server answers in the order it is asked.
        QTRY_COMPARE(m_server->paths.size(), 1);
        client.refresh("USD", "EUR");
        QVERIFY(waitIdle(client));
        QSignalSpy changed(&client, &RateClient::rateChanged);
        QTest::qWait(900);
        QVERIFY(changed.isEmpty() && client.to() == "EUR" && client.statusKey() == RateClient::fetched);
        QCOMPARE(client.rateValue(), 0.9);
        QCOMPARE(m_server->paths, (QStringList{"/v2/rate/USD/JPY", "/v2/rate/USD/EUR"}));
        QVERIFY(cached("EUR", "EUR").isEmpty());
    }

    void offline_data()
    {
        QTest::addColumn<int>("cachedDaysAgo"); // 0: nothing cached
        QTest::addColumn<double>("cachedRate");
        QTest::addColumn<QByteArray>("asking");
        QTest::addColumn<QByteArray>("failed");
        const QByteArray none[] = {RateClient::fetching, RateClient::unavailable};
        QTest::newRow("first start") << 0 << 7.1 << none[0] << none[1];
        QTest::newRow("cached yesterday")
            << 1 << 7.1 << QByteArray(RateClient::updating) << QByteArray(RateClient::refreshFailed);
        // The clock was set back: a cached rate dated tomorrow is not used.
        QTest::newRow("cached tomorrow") << -1 << 7.1 << none[0] << none[1];
        QTest::newRow("cached rate too large") << 1 << 1e308 << none[0] << none[1];
        QTest::newRow("cached rate too small") << 1 << 5e-324 << none[0] << none[1];
        QTest::newRow("no helper program")
            << 1 << 7.1 << QByteArray(RateClient::updating) << QByteArray(RateClient::refreshFailed);
    }

    void offline()
    {
        QFETCH(int, cachedDaysAgo);
        QFETCH(double, cachedRate);
        QFETCH(QByteArray, asking);
        if (cachedDaysAgo != 0)
            Settings::instance()->setValue(
                RateRecord::cacheKey("USD", "CNY"),
                rateBody("USD", "CNY", cachedRate, QDate::currentDate().addDays(-cachedDaysAgo)));
        // Without its helper the client fails as it does offline, with a server that would answer.
        const bool helperMissing = QByteArray(QTest::currentDataTag()) == "no helper program";
        if (helperMissing)
            RateFetchProcess::setHelperProgram(m_env->home() + "/missing");
        m_server->enqueue({.body = rateBody("USD", "CNY", 7.25, QDate::currentDate())});
        const bool usable = asking == RateClient::updating;
        RateClient client(helperMissing ? m_server->base() : unreachable);
        client.refresh("USD", "CNY");
        QCOMPARE(client.statusKey(), asking);
        QVERIFY(waitIdle(client));
        QTEST(client.statusKey(), "failed");
        QCOMPARE(client.hasRate() ? client.rateValue() : 0.0, usable ? 7.1 : 0.0);
    }

    void selfSignedCertificate_data()
    {
        QTest::addColumn<QString>("authorities"); // what SSL_CERT_FILE names
        QTest::addColumn<bool>("trusted");
        // Trusting the certificate shows that the server works, so the rejection is the certificate's doing.
        QTest::newRow("self-signed: rejected") << QString() << false;
        QTest::newRow("trusted through SSL_CERT_FILE") << "cert.pem" << true;
        QTest::newRow("SSL_CERT_FILE a folder: system's authorities") << "." << false;
    }

    void selfSignedCertificate()
    {
        QFETCH(QString, authorities);
        QFETCH(bool, trusted);
        if (!QSslSocket::supportsSsl())
            QSKIP("no TLS backend");
        const QString dir = m_env->home();
        const QString request = "req -x509 -newkey rsa:2048 -nodes -days 1 -subj /CN=127.0.0.1 "
                                "-addext subjectAltName=IP:127.0.0.1 -keyout";
        QProcess openssl;
        openssl.start("openssl",
                      request.split(' ') + QStringList{dir + "/key.pem", "-out", dir + "/cert.pem"});
        if (!openssl.waitForFinished(30000) || openssl.exitCode() != 0)
            QSKIP("openssl could not make a certificate");
        const QSslCertificate certificate(TestEnvironment::readFile(dir + "/cert.pem"), QSsl::Pem);

        QSslServer tls;
        QSslConfiguration serverConfig = QSslConfiguration::defaultConfiguration();
        serverConfig.setLocalCertificate(certificate);
        serverConfig.setPrivateKey(
            QSslKey(TestEnvironment::readFile(dir + "/key.pem"), QSsl::Rsa, QSsl::Pem));
        serverConfig.setPeerVerifyMode(QSslSocket::VerifyNone);
        tls.setSslConfiguration(serverConfig);
        RateServer server(&tls);
        QVERIFY(server.listen());
        server.enqueue({.body = rateBody("USD", "CNY", 7.25, QDate::currentDate())});

        if (!authorities.isNull())
            qputenv("SSL_CERT_FILE", QFile::encodeName(dir + '/' + authorities));
        RateClient client(server.base("https"));
        client.refresh("USD", "CNY");
        const bool idle = waitIdle(client, 10000);
        qunsetenv("SSL_CERT_FILE");
        QVERIFY(idle);
        QCOMPARE(client.statusKey(), QByteArray(trusted ? RateClient::fetched : RateClient::unavailable));
        QCOMPARE(cached("USD", "CNY").isEmpty(), !trusted);
    }

    // Where rates may come from: a configured address (kept, or the default with a warning) and redirects.
    void endpoint_data()
    {
        QTest::addColumn<QString>("computed");
        QTest::addColumn<QString>("expected");
        const QString fallback = RateEndpoint::defaultBase().toString();
        const auto resolved = [](const QString &value) {
            QString warning;
            const QString url = RateEndpoint::resolve(value, &warning).toString();
            return warning.isEmpty() ? url : url + " (warned)";
        };
        QTest::newRow("unset") << resolved({}) << fallback;
        for (const char *url : {"https://rates.example.org/api", "http://127.0.0.1:8080",
                                "http://127.1.2.3:8080", "http://[::1]:8080", "http://localhost:8080"})
            QTest::newRow(url) << resolved(url) << QString(url);
        for (const char *url :
             {"http://rates.example.org", "http://192.168.1.5:8080", "http://localhost.example.org",
              "file:///etc/passwd", "https://user:pw@rates.example.org", "https://", "not a url"})
            QTest::newRow(url) << resolved(url) << fallback + " (warned)";
        const auto redirect = [](const char *from, const char *to, bool allowed) {
            QTest::addRow("%s -> %s", from, to)
                << QString::number(RateEndpoint::mayRedirect(QUrl(from), QUrl(to)))
                << QString::number(allowed);
        };
        redirect("https://a.example/v2", "https://b.example/v2", true);
        redirect("https://a.example/v2", "http://a.example/v2", false);
        redirect("https://a.example/v2", "http://127.0.0.1/v2", false);
        redirect("http://127.0.0.1/v2", "http://a.example/v2", false);
        redirect("http://127.0.0.1/v2", "https://a.example/v2", true);
    }

    void endpoint()
    {
        QFETCH(QString, computed);
        QTEST(computed, "expected");
    }

private:
    std::unique_ptr<TestEnvironment> m_env;
    std::unique_ptr<QTcpServer> m_tcp;
    std::unique_ptr<RateServer> m_server;
};

QTEST_GUILESS_MAIN(TestRateClient)
#include "test_rateclient.moc"
