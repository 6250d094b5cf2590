#include "TestEnvironment.h"
#include "base/Settings.h"
#include "currency/RateClient.h"
#include "currency/RateEndpoint.h"
#include "currency/RateRecord.h"

#include <QJsonDocument>
#include <QProcess>
#include <QSettings>
#include <QSignalSpy>
#include <QSslConfiguration>
#include <QSslKey>
#include <QSslServer>
#include <QSslSocket>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>
#include <QtTest>

#include <memory>

namespace {

// One scripted answer of the test server.
struct Answer
{
    QByteArray head = "HTTP/1.1 200 OK\r\nContent-Type: application/json\r\n";
    QByteArray body;
    int delayMs = 0;
    int dripMs = 0; // > 0: the body goes out one byte at a time
    bool sendLength = true;
};

QByteArray rateBody(const QString &base, const QString &quote, double rate, const QDate &date,
                    const QByteArray &extra = {})
{
    QJsonObject object{{QStringLiteral("base"), base},
                       {QStringLiteral("quote"), quote},
                       {QStringLiteral("rate"), rate},
                       {QStringLiteral("date"), date.toString(Qt::ISODate)}};
    QByteArray json = QJsonDocument(object).toJson(QJsonDocument::Compact);
    if (!extra.isEmpty())
        json.insert(json.size() - 1, "," + extra);
    return json;
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
    QUrl base(const char *scheme = "http") const
    {
        return QUrl(
            QStringLiteral("%1://127.0.0.1:%2").arg(QLatin1String(scheme)).arg(m_server->serverPort()));
    }
    void enqueue(const Answer &answer) { m_answers.append(answer); }
    QStringList paths;

private:
    void accept()
    {
        while (QTcpSocket *socket = m_server->nextPendingConnection()) {
            // Freed with the connection, whichever of server and socket goes first.
            auto request = std::make_shared<QByteArray>();
            connect(socket, &QTcpSocket::readyRead, this, [this, socket, request] {
                request->append(socket->readAll());
                if (!request->contains("\r\n\r\n"))
                    return;
                const QList<QByteArray> line = request->left(request->indexOf("\r\n")).split(' ');
                paths.append(QString::fromLatin1(line.value(1)));
                request->clear();
                answer(socket, m_answers.isEmpty() ? Answer{} : m_answers.takeFirst());
            });
        }
    }

    void answer(QTcpSocket *socket, const Answer &a)
    {
        QTimer::singleShot(a.delayMs, socket, [socket, a] {
            QByteArray head = a.head;
            if (a.sendLength)
                head += "Content-Length: " + QByteArray::number(a.body.size()) + "\r\n";
            head += "Connection: close\r\n\r\n";
            socket->write(head);
            if (a.dripMs <= 0) {
                socket->write(a.body);
                socket->disconnectFromHost();
                return;
            }
            auto *timer = new QTimer(socket);
            auto sent = std::make_shared<int>(0);
            connect(timer, &QTimer::timeout, socket, [socket, a, sent, timer] {
                if (*sent >= a.body.size()) {
                    timer->stop();
                    socket->disconnectFromHost();
                    return;
                }
                socket->write(a.body.mid((*sent)++, 1));
            });
            timer->start(a.dripMs);
        });
    }

    QTcpServer *m_server;
    QList<Answer> m_answers;
};

bool waitIdle(RateClient &client, int ms = 5000)
{
    return QTest::qWaitFor([&client] { return !client.isBusy(); }, ms);
}

QString cachedText(const char *from, const char *to)
{
    return QString::fromUtf8(Settings::instance()
                                 ->value(RateRecord::cacheKey(QLatin1String(from), QLatin1String(to)))
                                 .toByteArray());
}

} // namespace

class TestRateClient : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void reply_data();
    void reply();
    void acceptedMembersOnly();
    void reversedReplies();
    void slowDripTimesOut();
    void oversizedWithoutLength();
    void cachedRateInTheFuture();
    void offlineFirstStart();
    void offlineWithCache();
    void sameCurrency();
    void selfSignedCertificate_data();
    void selfSignedCertificate();
    void endpoint_data();
    void endpoint();
    void redirects_data();
    void redirects();

private:
    std::unique_ptr<TestEnvironment> m_env;
};

void TestRateClient::init()
{
    m_env = std::make_unique<TestEnvironment>();
    QSettings().clear();
}

void TestRateClient::reply_data()
{
    QTest::addColumn<QByteArray>("head");
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<bool>("accepted");

    const QDate today = QDate::currentDate();
    const QByteArray ok = "HTTP/1.1 200 OK\r\nContent-Type: application/json\r\n";
    QTest::newRow("good") << ok << rateBody("USD", "CNY", 7.25, today.addDays(-1)) << true;
    QTest::newRow("dated today") << ok << rateBody("USD", "CNY", 7.25, today) << true;
    QTest::newRow("base mismatch") << ok << rateBody("EUR", "CNY", 7.25, today) << false;
    QTest::newRow("quote mismatch") << ok << rateBody("USD", "JPY", 7.25, today) << false;
    QTest::newRow("base in lower case") << ok << rateBody("usd", "CNY", 7.25, today) << false;
    QTest::newRow("zero rate") << ok << rateBody("USD", "CNY", 0, today) << false;
    QTest::newRow("negative rate") << ok << rateBody("USD", "CNY", -7.25, today) << false;
    QTest::newRow("rate as text") << ok
                                  << QByteArray(
                                         R"({"base":"USD","quote":"CNY","rate":"7.25","date":"2024-01-02"})")
                                  << false;
    QTest::newRow("future date") << ok << rateBody("USD", "CNY", 7.25, today.addDays(1)) << false;
    QTest::newRow("invalid date") << ok
                                  << QByteArray(
                                         R"({"base":"USD","quote":"CNY","rate":7.25,"date":"2024-02-30"})")
                                  << false;
    QTest::newRow("missing date") << ok << QByteArray(R"({"base":"USD","quote":"CNY","rate":7.25})") << false;
    QTest::newRow("array") << ok << QByteArray("[1,2,3]") << false;
    QTest::newRow("not JSON") << ok << QByteArray("<html>rate: 7.25</html>") << false;
    QTest::newRow("empty") << ok << QByteArray() << false;
    QTest::newRow("unknown code: 422")
        << QByteArray("HTTP/1.1 422 Unprocessable Entity\r\nContent-Type: application/json\r\n")
        << QByteArray(R"({"message":"invalid currency"})") << false;
    QTest::newRow("good body with a server error") << QByteArray("HTTP/1.1 500 Internal Server Error\r\n")
                                                   << rateBody("USD", "CNY", 7.25, today) << false;
    QTest::newRow("oversized") << ok
                               << rateBody("USD", "CNY", 7.25, today,
                                           "\"pad\":\"" + QByteArray(RateClient::maxReplyBytes, 'x') + "\"")
                               << false;
}

void TestRateClient::reply()
{
    QFETCH(QByteArray, head);
    QFETCH(QByteArray, body);
    QFETCH(bool, accepted);

    QTcpServer tcp;
    RateServer server(&tcp);
    QVERIFY(server.listen());
    server.enqueue({head, body});
    RateClient client(server.base());
    client.refresh(QStringLiteral("USD"), QStringLiteral("CNY"));
    QCOMPARE(client.statusKey(), QByteArray(RateClient::fetching));
    QVERIFY(client.isBusy());
    QVERIFY(waitIdle(client));
    QCOMPARE(server.paths, QStringList{QStringLiteral("/v2/rate/USD/CNY")});
    QCOMPARE(client.statusKey(), QByteArray(accepted ? RateClient::fetched : RateClient::unavailable));
    QCOMPARE(client.hasRate(), accepted);
    QCOMPARE(cachedText("USD", "CNY").isEmpty(), !accepted);
    if (accepted)
        QCOMPARE(client.rateValue(), 7.25);
}

void TestRateClient::acceptedMembersOnly()
{
    QTcpServer tcp;
    RateServer server(&tcp);
    QVERIFY(server.listen());
    server.enqueue({.body = rateBody("USD", "CNY", 7.25, QDate::currentDate(), R"("note":"buy now")")});
    RateClient client(server.base());
    client.refresh(QStringLiteral("USD"), QStringLiteral("CNY"));
    QVERIFY(waitIdle(client));
    QCOMPARE(client.statusKey(), QByteArray(RateClient::fetched));
    const QString cached = cachedText("USD", "CNY");
    QVERIFY(cached.contains(QLatin1String("\"rate\":7.25")));
    QVERIFY2(!cached.contains(QLatin1String("note")), qPrintable(cached));
}

void TestRateClient::reversedReplies()
{
    QTcpServer tcp;
    RateServer server(&tcp);
    QVERIFY(server.listen());
    const QDate today = QDate::currentDate();
    // The first request's reply arrives last.
    server.enqueue({.body = rateBody("USD", "JPY", 150, today), .delayMs = 600});
    server.enqueue({.body = rateBody("USD", "EUR", 0.9, today)});
    RateClient client(server.base());
    client.refresh(QStringLiteral("USD"), QStringLiteral("JPY"));
    client.refresh(QStringLiteral("USD"), QStringLiteral("EUR"));
    QVERIFY(waitIdle(client));
    QCOMPARE(client.rateValue(), 0.9);
    QSignalSpy changed(&client, &RateClient::rateChanged);
    QTest::qWait(900);
    QCOMPARE(changed.count(), 0);
    QCOMPARE(client.to(), QStringLiteral("EUR"));
    QCOMPARE(client.rateValue(), 0.9);
    QCOMPARE(client.statusKey(), QByteArray(RateClient::fetched));
}

void TestRateClient::slowDripTimesOut()
{
    QTcpServer tcp;
    RateServer server(&tcp);
    QVERIFY(server.listen());
    // Every byte comes sooner than the time-out, the whole body much later.
    server.enqueue({.body = rateBody("USD", "CNY", 7.25, QDate::currentDate()), .dripMs = 150});
    RateClient client(server.base());
    client.setTimeout(600);
    QElapsedTimer timer;
    timer.start();
    client.refresh(QStringLiteral("USD"), QStringLiteral("CNY"));
    QVERIFY(waitIdle(client, 3000));
    QVERIFY(timer.elapsed() < 3000);
    QCOMPARE(client.statusKey(), QByteArray(RateClient::unavailable));
    QVERIFY(!client.hasRate());
}

void TestRateClient::oversizedWithoutLength()
{
    QTcpServer tcp;
    RateServer server(&tcp);
    QVERIFY(server.listen());
    const QByteArray body = rateBody("USD", "CNY", 7.25, QDate::currentDate(),
                                     "\"pad\":\"" + QByteArray(2 * RateClient::maxReplyBytes, ' ') + "\"");
    server.enqueue({.body = body, .sendLength = false});
    RateClient client(server.base());
    client.refresh(QStringLiteral("USD"), QStringLiteral("CNY"));
    QVERIFY(waitIdle(client));
    QCOMPARE(client.statusKey(), QByteArray(RateClient::unavailable));
    QVERIFY(cachedText("USD", "CNY").isEmpty());
}

void TestRateClient::cachedRateInTheFuture()
{
    // The clock was set back: a cached rate dated tomorrow is not used.
    RateRecord::store(QStringLiteral("USD"), QStringLiteral("CNY"),
                      RateRecord::parse(rateBody("USD", "CNY", 7.25, QDate::currentDate().addDays(1))));
    RateClient client(QUrl(QStringLiteral("http://127.0.0.1:9")));
    client.refresh(QStringLiteral("USD"), QStringLiteral("CNY"));
    QVERIFY(!client.hasRate());
    QCOMPARE(client.statusKey(), QByteArray(RateClient::fetching));
    QVERIFY(waitIdle(client));
    QCOMPARE(client.statusKey(), QByteArray(RateClient::unavailable));
}

void TestRateClient::offlineFirstStart()
{
    // Nothing listens on the discard port: the connection is refused at once.
    RateClient client(QUrl(QStringLiteral("http://127.0.0.1:9")));
    client.refresh(QStringLiteral("USD"), QStringLiteral("CNY"));
    QVERIFY(waitIdle(client));
    QCOMPARE(client.statusKey(), QByteArray(RateClient::unavailable));
    QVERIFY(!client.hasRate());
}

void TestRateClient::offlineWithCache()
{
    RateRecord::store(QStringLiteral("USD"), QStringLiteral("CNY"),
                      RateRecord::parse(rateBody("USD", "CNY", 7.1, QDate::currentDate().addDays(-1))));
    RateClient client(QUrl(QStringLiteral("http://127.0.0.1:9")));
    client.refresh(QStringLiteral("USD"), QStringLiteral("CNY"));
    QCOMPARE(client.statusKey(), QByteArray(RateClient::updating));
    QCOMPARE(client.rateValue(), 7.1);
    QVERIFY(waitIdle(client));
    QCOMPARE(client.statusKey(), QByteArray(RateClient::refreshFailed));
    QCOMPARE(client.rateValue(), 7.1);
}

void TestRateClient::sameCurrency()
{
    QTcpServer tcp;
    RateServer server(&tcp);
    QVERIFY(server.listen());
    RateClient client(server.base());
    client.refresh(QStringLiteral("EUR"), QStringLiteral("EUR"));
    QCOMPARE(client.statusKey(), QByteArray(RateClient::sameCurrency));
    QCOMPARE(client.rateValue(), 1.0);
    QVERIFY(!client.isBusy());
    QTest::qWait(100);
    QVERIFY(server.paths.isEmpty());
    QVERIFY(cachedText("EUR", "EUR").isEmpty());
}

void TestRateClient::selfSignedCertificate_data()
{
    QTest::addColumn<bool>("trusted");
    // Trusting the certificate shows that the server itself works, so the
    // rejection is the certificate's doing.
    QTest::newRow("self-signed: rejected") << false;
    QTest::newRow("trusted: accepted") << true;
}

void TestRateClient::selfSignedCertificate()
{
    QFETCH(bool, trusted);
    if (!QSslSocket::supportsSsl())
        QSKIP("no TLS backend");
    const QString dir = m_env->home();
    QProcess openssl;
    openssl.start(QStringLiteral("openssl"),
                  {QStringLiteral("req"), QStringLiteral("-x509"), QStringLiteral("-newkey"),
                   QStringLiteral("rsa:2048"), QStringLiteral("-nodes"), QStringLiteral("-days"),
                   QStringLiteral("1"), QStringLiteral("-subj"), QStringLiteral("/CN=127.0.0.1"),
                   QStringLiteral("-addext"), QStringLiteral("subjectAltName=IP:127.0.0.1"),
                   QStringLiteral("-keyout"), dir + "/key.pem", QStringLiteral("-out"), dir + "/cert.pem"});
    if (!openssl.waitForFinished(30000) || openssl.exitCode() != 0)
        QSKIP("openssl could not make a certificate");
    QFile certFile(dir + "/cert.pem");
    QFile keyFile(dir + "/key.pem");
    QVERIFY(certFile.open(QIODevice::ReadOnly) && keyFile.open(QIODevice::ReadOnly));
    const QSslCertificate certificate(&certFile, QSsl::Pem);
    const QSslKey key(&keyFile, QSsl::Rsa, QSsl::Pem);

    QSslServer tls;
    QSslConfiguration serverConfig = QSslConfiguration::defaultConfiguration();
    serverConfig.setLocalCertificate(certificate);
    serverConfig.setPrivateKey(key);
    serverConfig.setPeerVerifyMode(QSslSocket::VerifyNone);
    tls.setSslConfiguration(serverConfig);
    RateServer server(&tls);
    QVERIFY(server.listen());
    server.enqueue({.body = rateBody("USD", "CNY", 7.25, QDate::currentDate())});

    const QSslConfiguration saved = QSslConfiguration::defaultConfiguration();
    if (trusted) {
        QSslConfiguration clientConfig = saved;
        clientConfig.addCaCertificate(certificate);
        QSslConfiguration::setDefaultConfiguration(clientConfig);
    }
    RateClient client(server.base("https"));
    client.refresh(QStringLiteral("USD"), QStringLiteral("CNY"));
    const bool idle = waitIdle(client, 10000);
    QSslConfiguration::setDefaultConfiguration(saved);
    QVERIFY(idle);
    QCOMPARE(client.statusKey(), QByteArray(trusted ? RateClient::fetched : RateClient::unavailable));
    QCOMPARE(cachedText("USD", "CNY").isEmpty(), !trusted);
}

void TestRateClient::endpoint_data()
{
    QTest::addColumn<QString>("value");
    QTest::addColumn<QString>("expected");
    QTest::addColumn<bool>("warned");
    const QString fallback = RateEndpoint::defaultBase().toString();
    QTest::newRow("unset") << "" << fallback << false;
    QTest::newRow("https anywhere") << "https://rates.example.org/api"
                                    << "https://rates.example.org/api" << false;
    QTest::newRow("http on 127.0.0.1") << "http://127.0.0.1:8080"
                                       << "http://127.0.0.1:8080" << false;
    QTest::newRow("http on 127.1.2.3") << "http://127.1.2.3:8080"
                                       << "http://127.1.2.3:8080" << false;
    QTest::newRow("http on ::1") << "http://[::1]:8080"
                                 << "http://[::1]:8080" << false;
    QTest::newRow("http on localhost") << "http://localhost:8080"
                                       << "http://localhost:8080" << false;
    QTest::newRow("http elsewhere") << "http://rates.example.org" << fallback << true;
    QTest::newRow("http on a private address") << "http://192.168.1.5:8080" << fallback << true;
    QTest::newRow("localhost as a subdomain") << "http://localhost.example.org" << fallback << true;
    QTest::newRow("file") << "file:///etc/passwd" << fallback << true;
    QTest::newRow("credentials") << "https://user:pw@rates.example.org" << fallback << true;
    QTest::newRow("no host") << "https://" << fallback << true;
    QTest::newRow("garbage") << "not a url" << fallback << true;
}

void TestRateClient::endpoint()
{
    QFETCH(QString, value);
    QFETCH(QString, expected);
    QFETCH(bool, warned);
    QString warning;
    QCOMPARE(RateEndpoint::resolve(value, &warning).toString(), expected);
    QCOMPARE(!warning.isEmpty(), warned);
}

void TestRateClient::redirects_data()
{
    QTest::addColumn<QString>("from");
    QTest::addColumn<QString>("to");
    QTest::addColumn<bool>("allowed");
    QTest::newRow("https to https") << "https://a.example/v2"
                                    << "https://b.example/v2" << true;
    QTest::newRow("https to http") << "https://a.example/v2"
                                   << "http://a.example/v2" << false;
    QTest::newRow("https to http loopback") << "https://a.example/v2"
                                            << "http://127.0.0.1/v2" << false;
    QTest::newRow("loopback http to http elsewhere") << "http://127.0.0.1/v2"
                                                     << "http://a.example/v2" << false;
    QTest::newRow("loopback http to https") << "http://127.0.0.1/v2"
                                            << "https://a.example/v2" << true;
}

void TestRateClient::redirects()
{
    QFETCH(QString, from);
    QFETCH(QString, to);
    QFETCH(bool, allowed);
    QCOMPARE(RateEndpoint::mayRedirect(QUrl(from), QUrl(to)), allowed);
}

QTEST_GUILESS_MAIN(TestRateClient)
#include "test_rateclient.moc"
