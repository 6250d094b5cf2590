#pragma once

#include <QList>
#include <QSslCertificate>
#include <QString>
#include <QUrl>

// Where daily rates come from: the service's HTTPS address, or a base address
// given in LARKSPAN_RATES_URL for tests and self-hosted instances. Plain HTTP
// is allowed only to this machine, where nobody else can read or change it.
namespace RateEndpoint {

inline constexpr char environmentVariable[] = "LARKSPAN_RATES_URL";
QUrl defaultBase();

// An https:// address, or an http:// one whose host is a loopback address or
// "localhost"; with a host, without credentials, query or fragment.
bool isPermitted(const QUrl &url);

// The base address for an override value (empty: the default). An override
// that is not permitted gives the default, and *warning says why.
QUrl resolve(const QString &override, QString *warning);
// resolve() for the environment; a warning goes to standard error.
QUrl fromEnvironment();

// base + "/v2/rate/FROM/TO", keeping any path the base has.
QUrl rateUrl(const QUrl &base, const QString &from, const QString &to);

// Whether a redirect from `from` may be followed to `to`: never away from
// HTTPS, never to an address that would not be permitted as a base.
bool mayRedirect(const QUrl &from, const QUrl &to);

// The authorities named by SSL_CERT_FILE, the variable OpenSSL programs read
// for the certificates to trust instead of the system's bundle (a company's
// own authority, a test server's). Empty when it is unset or names no
// readable PEM file: the system's authorities then stand.
QList<QSslCertificate> authoritiesFromEnvironment();

} // namespace RateEndpoint
