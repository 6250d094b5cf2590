#include "PrivateBus.h"
#include "TestEnvironment.h"

QString TestEnvironment::startSessionBus()
{
    if (!m_bus) {
        auto bus = std::make_shared<PrivateBus>();
        if (!bus->isRunning())
            return {};
        m_bus = std::move(bus);
        qputenv("DBUS_SESSION_BUS_ADDRESS", m_bus->address().toUtf8());
    }
    return m_bus->address();
}
