#include "base/SafeFileRead.h"

namespace SafeFile {

Result readOpened(qint64 size, qint64 maxBytes, const ReadSome &readSome)
{
    Result result;
    if (size < 0 || size > maxBytes) {
        result.status = Status::TooLarge;
        return result;
    }
    QByteArray data;
    data.resize(qsizetype(size) + 1);
    qsizetype total = 0;
    for (;;) {
        if (total == data.size()) {
            if (total > maxBytes) {
                result.status = Status::TooLarge;
                return result;
            }
            data.resize(qMin<qint64>(qint64(total) * 2 + 4096, maxBytes + 1));
        }
        const qint64 got = readSome(data.data() + total, data.size() - total);
        if (got < 0) {
            result.status = Status::Unreadable;
            return result;
        }
        if (got == 0)
            break;
        total += qsizetype(got);
    }
    if (total > maxBytes) {
        result.status = Status::TooLarge;
        return result;
    }
    data.truncate(total);
    result.status = Status::Ok;
    result.data = std::move(data);
    return result;
}

} // namespace SafeFile
