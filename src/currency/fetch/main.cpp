// The converter's rate request, run as a program of its own for each request:
//   larkspan-rate-fetch <url> <deadline ms> <byte cap> <redirects>
// The body of a 2xx reply goes to standard output and the status is 0; any
// failure leaves standard output empty and the status 1; a bad command line, 2.
// The organiser thereby never loads the TLS libraries (some 5 MB of pages it
// would keep for the rest of the session for a request made once a day).

#include "currency/fetch/RateEndpoint.h"
#include "currency/fetch/RateFetch.h"

#include <QCoreApplication>

#include <cstdio>
#include <optional>

namespace {

std::optional<qint64> number(const QString &text, qint64 lowest, qint64 highest)
{
    bool ok = false;
    const qint64 value = text.toLongLong(&ok);
    return ok && value >= lowest && value <= highest ? std::optional(value) : std::nullopt;
}

} // namespace

int main(int argc, char *argv[])
{
    const QCoreApplication app(argc, argv);
    const QStringList arguments = QCoreApplication::arguments();
    if (arguments.size() != 5)
        return 2;
    const QUrl url(arguments.at(1), QUrl::StrictMode);
    const auto deadline = number(arguments.at(2), 1, 10 * 60 * 1000);
    const auto cap = number(arguments.at(3), 1, 16 * 1024 * 1024);
    const auto redirects = number(arguments.at(4), 0, 20);
    if (!RateEndpoint::isPermitted(url) || !deadline || !cap || !redirects)
        return 2;

    RateFetch fetch(url, {int(*deadline), *cap, int(*redirects)});
    int status = 1;
    QObject::connect(&fetch, &RateFetch::finished, &app, [&fetch, &status] {
        if (fetch.succeeded()) {
            const QByteArray body = fetch.body();
            status = std::fwrite(body.constData(), 1, size_t(body.size()), stdout) == size_t(body.size()) &&
                             std::fflush(stdout) == 0
                         ? 0
                         : 1;
        }
        QCoreApplication::exit(status);
    });
    fetch.start();
    QCoreApplication::exec();
    return status;
}
