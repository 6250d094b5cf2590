#include "shell/freedesktop/XfconfIconSwitch.h"

#include "shell/freedesktop/Xfconf.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusReply>

namespace {

const QString channel = QStringLiteral("xfce4-desktop");
const QString stylePath = QStringLiteral("/desktop-icons/style");
constexpr int noIcons = 0;

std::optional<QVariant> currentStyle()
{
    return Xfconf::property(channel, stylePath);
}

} // namespace

bool XfconfIconSwitch::isReachable()
{
    if (!Xfconf::isRunning())
        return false;
    const QDBusReply<bool> desktop =
        QDBusConnection::sessionBus().interface()->isServiceRegistered(QStringLiteral("org.xfce.xfdesktop"));
    return desktop.isValid() && desktop.value();
}

// The stored switch counts even while xfdesktop itself is not running (it
// may be restarting, or the session is ending): a hidden state left in xfconf
// would greet the next desktop that starts.
bool XfconfIconSwitch::iconsHiddenNow()
{
    if (!Xfconf::isRunning())
        return false;
    const std::optional<QVariant> style = currentStyle();
    bool ok = false;
    return style && style->toInt(&ok) == noIcons && ok;
}

bool XfconfIconSwitch::toggle()
{
    if (!iconsHiddenNow()) {
        // Hiding needs a desktop that draws the icons now.
        if (!isReachable())
            return false;
        // An absent property reads as an error reply: remember it as absent.
        const std::optional<QVariant> style = currentStyle();
        if (!Xfconf::setProperty(channel, stylePath, noIcons))
            return false;
        m_replaced = style.value_or(QVariant());
        return true;
    }
    // Icons we took over from an earlier run: what was there is unknown, and
    // xfdesktop's own default shows them.
    const QVariant previous = m_replaced.value_or(QVariant());
    const bool shown = previous.isValid() && previous.toInt() != noIcons
                           ? Xfconf::setProperty(channel, stylePath, previous)
                           : Xfconf::resetProperty(channel, stylePath);
    if (shown)
        m_replaced.reset();
    return shown;
}

bool XfconfIconSwitch::showDirectly()
{
    return Xfconf::resetProperty(channel, stylePath);
}
