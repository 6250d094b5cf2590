#include "RateEndpoint.h"

#include "base/SafeFile.h"

#include <QHostAddress>

#include <cstdio>

namespace RateEndpoint {

namespace {

bool isLoopbackHost(const QString &host)
{
    if (host.compare(QLatin1String("localhost"), Qt::CaseInsensitive) == 0)
        return true;
    const QHostAddress address(host);
    return !address.isNull() && address.isLoopback();
}

} // namespace

QUrl defaultBase()
{
    return QUrl(QStringLiteral("https://api.frankfurter.dev"));
}

bool isPermitted(const QUrl &url)
{
    if (!url.isValid() || url.host().isEmpty() || !url.userInfo().isEmpty() || url.hasQuery() ||
        url.hasFragment())
        return false;
    const QString scheme = url.scheme().toLower();
    if (scheme == QLatin1String("https"))
        return true;
    return scheme == QLatin1String("http") && isLoopbackHost(url.host());
}

QUrl resolve(const QString &override, QString *warning)
{
    const QString text = override.trimmed();
    if (text.isEmpty())
        return defaultBase();
    const QUrl url(text, QUrl::StrictMode);
    if (isPermitted(url))
        return url;
    if (warning) {
        *warning = QStringLiteral("%1: %2 is not an https:// address nor an http:// address on this "
                                  "machine; using %3")
                       .arg(QLatin1String(environmentVariable), text, defaultBase().toString());
    }
    return defaultBase();
}

QUrl fromEnvironment()
{
    QString warning;
    const QUrl url = resolve(qEnvironmentVariable(environmentVariable), &warning);
    if (!warning.isEmpty())
        std::fprintf(stderr, "%s\n", qUtf8Printable(warning));
    return url;
}

QList<QSslCertificate> authoritiesFromEnvironment()
{
    const QString path = qEnvironmentVariable("SSL_CERT_FILE");
    if (path.isEmpty())
        return {};
    const SafeFile::Result file = SafeFile::read(path, SafeFile::textCap);
    return file.ok() ? QSslCertificate::fromData(file.data, QSsl::Pem) : QList<QSslCertificate>();
}

QUrl rateUrl(const QUrl &base, const QString &from, const QString &to)
{
    QUrl url = base;
    QString path = url.path();
    while (path.endsWith(QLatin1Char('/')))
        path.chop(1);
    url.setPath(path + QStringLiteral("/v2/rate/") + from + QLatin1Char('/') + to);
    return url;
}

bool mayRedirect(const QUrl &from, const QUrl &to)
{
    if (!isPermitted(to))
        return false;
    return from.scheme().compare(QLatin1String("https"), Qt::CaseInsensitive) != 0 ||
           to.scheme().compare(QLatin1String("https"), Qt::CaseInsensitive) == 0;
}

} // namespace RateEndpoint
