#include "OwnEnvironment.h"

#include <QMutex>
#include <QtGlobal>

#include <algorithm>

namespace OwnEnvironment {

namespace {

struct Registry
{
    QMutex mutex;
    QList<UserValue> values;
};

Registry &registry()
{
    static Registry instance;
    return instance;
}

} // namespace

void set(const char *name, const QByteArray &value)
{
    Registry &r = registry();
    const QMutexLocker lock(&r.mutex);
    const bool known = std::any_of(r.values.cbegin(), r.values.cend(),
                                   [name](const UserValue &entry) { return entry.name == name; });
    if (!known)
        r.values.append({name, qEnvironmentVariableIsSet(name), qgetenv(name)});
    qputenv(name, value);
}

QList<UserValue> userValues()
{
    Registry &r = registry();
    const QMutexLocker lock(&r.mutex);
    return r.values;
}

} // namespace OwnEnvironment
