#include "ArrangementKeeper.h"

#include "panels/IconPanel.h"
#include "panelset/CompanionWindows.h"

#include <QEvent>
#include <QGuiApplication>
#include <QScreen>

#include <algorithm>
#include <cmath>
#include <utility>

namespace {

// Screens come and go in steps (one per monitor, then their sizes): the
// arrangement is read once they settled.
constexpr int settleMs = 200;
// A move or resize is recorded once the window rests.
constexpr int recordMs = 300;

// A rolled-up panel's place is the one it unrolls to.
QRect windowRect(const QWidget *window)
{
    const auto *panel = qobject_cast<const IconPanel *>(window);
    return panel ? panel->expandedGeometry() : window->geometry();
}

bool isRolledUp(const QWidget *window)
{
    const auto *panel = qobject_cast<const IconPanel *>(window);
    return panel && panel->isCollapsed();
}

} // namespace

ArrangementKeeper::ArrangementKeeper(PanelList panels, const CompanionWindows *companions, QObject *parent)
    : QObject(parent)
    , m_panels(std::move(panels))
    , m_companions(companions)
{
    m_enterSoon.setSingleShot(true);
    m_enterSoon.setInterval(settleMs);
    connect(&m_enterSoon, &QTimer::timeout, this, &ArrangementKeeper::enter);
    m_recordSoon.setSingleShot(true);
    m_recordSoon.setInterval(recordMs);
    connect(&m_recordSoon, &QTimer::timeout, this, &ArrangementKeeper::record);
}

DisplayArrangement::Screens ArrangementKeeper::currentScreens()
{
    DisplayArrangement::Screens screens;
    const QScreen *primary = QGuiApplication::primaryScreen();
    for (const QScreen *screen : QGuiApplication::screens())
        screens.append({screen->name(), screen->geometry(),
                        std::clamp(int(std::lround(screen->devicePixelRatio() * 100)),
                                   ArrangementRecords::smallestScale, ArrangementRecords::largestScale),
                        screen->availableGeometry(), screen == primary});
    return DisplayArrangement::canonical(screens);
}

void ArrangementKeeper::start()
{
    if (m_started)
        return;
    m_started = true;
    connect(qApp, &QGuiApplication::screenAdded, this, [this](QScreen *screen) {
        watchScreen(screen);
        screensChanged();
    });
    connect(qApp, &QGuiApplication::screenRemoved, this, &ArrangementKeeper::screensChanged);
    connect(qApp, &QGuiApplication::primaryScreenChanged, this, &ArrangementKeeper::screensChanged);
    const QList<QScreen *> screens = QGuiApplication::screens();
    for (QScreen *screen : screens)
        watchScreen(screen);
    enter();
}

void ArrangementKeeper::watchScreen(QScreen *screen)
{
    connect(screen, &QScreen::geometryChanged, this, &ArrangementKeeper::screensChanged);
    connect(screen, &QScreen::physicalDotsPerInchChanged, this, &ArrangementKeeper::screensChanged);
}

void ArrangementKeeper::screensChanged()
{
    // Whatever moves now belongs to no arrangement yet.
    m_changePending = true;
    m_recordSoon.stop();
    m_enterSoon.start();
}

void ArrangementKeeper::watch(QWidget *window)
{
    window->installEventFilter(this);
    if (m_started && !m_changePending && m_places.contains(keyOf(window)))
        place(window, m_places.value(keyOf(window)));
}

bool ArrangementKeeper::eventFilter(QObject *watched, QEvent *event)
{
    const QEvent::Type type = event->type();
    if (m_started && !m_changePending &&
        (type == QEvent::Move || type == QEvent::Resize || type == QEvent::Show))
        m_recordSoon.start();
    return QObject::eventFilter(watched, event);
}

QString ArrangementKeeper::keyOf(const QWidget *window) const
{
    if (const auto *panel = qobject_cast<const IconPanel *>(window))
        return panel->settingsPrefix();
    return window->objectName().isEmpty() ? QString::fromLatin1(window->metaObject()->className())
                                          : window->objectName();
}

QList<QWidget *> ArrangementKeeper::windows() const
{
    QList<QWidget *> result;
    for (IconPanel *panel : m_panels())
        result.append(panel);
    result.append(m_companions->windows());
    return result;
}

void ArrangementKeeper::place(QWidget *window, const ArrangementRecords::WindowPlace &place) const
{
    if (auto *panel = qobject_cast<IconPanel *>(window)) {
        panel->setCollapsed(place.rolledUp);
        panel->applyGeometry(place.rect, panel->isUserPlaced());
    } else {
        window->setGeometry(place.rect);
    }
}

void ArrangementKeeper::enter()
{
    m_enterSoon.stop();
    m_recordSoon.stop();
    const DisplayArrangement::Screens now = currentScreens();
    // Without a screen there is nowhere to place anything: the next screen decides.
    if (now.isEmpty())
        return;
    const DisplayArrangement::Screens previous = std::exchange(m_screens, now);
    const PanelLayoutStore::SaveBatch oneWrite;
    const PanelLayoutStore::Recall recall = PanelLayoutStore::enterArrangement(m_screens);
    const QList<QWidget *> present = windows();
    if (recall.match == DisplayArrangement::Match::Same) {
        m_places = recall.windows;
    } else {
        // Every place known for the arrangement it starts from, and the windows
        // it knew nothing of where they are.
        PanelLayoutStore::WindowPlaces from = recall.windows;
        for (QWidget *window : present) {
            if (!from.contains(keyOf(window)))
                from.insert(keyOf(window), {windowRect(window), isRolledUp(window)});
        }
        const DisplayArrangement::Screens source = recall.match == DisplayArrangement::Match::None
                                                       ? (previous.isEmpty() ? m_screens : previous)
                                                       : recall.from;
        QHash<QString, QSize> minimums;
        for (const QWidget *window : present)
            minimums.insert(keyOf(window),
                            isRolledUp(window) ? QSize(window->minimumWidth(), 0) : window->minimumSize());
        QList<DisplayArrangement::Window> carried;
        const QStringList keys = from.keys();
        for (const QString &key : keys)
            carried.append({from.value(key).rect, minimums.value(key)});
        const QList<QRect> rects = DisplayArrangement::carry(carried, source, m_screens);
        m_places.clear();
        for (int i = 0; i < keys.size(); ++i)
            m_places.insert(keys.at(i), {rects.at(i), from.value(keys.at(i)).rolledUp});
    }
    for (QWidget *window : present) {
        const auto it = m_places.constFind(keyOf(window));
        if (it != m_places.constEnd())
            place(window, *it);
    }
    PanelLayoutStore::recordWindows(m_places);
    m_changePending = false;
}

void ArrangementKeeper::forget()
{
    m_recordSoon.stop();
    m_places.clear();
    m_screens.clear();
}

void ArrangementKeeper::reenter()
{
    if (m_started)
        enter();
}

void ArrangementKeeper::flush()
{
    m_recordSoon.stop();
    record();
}

void ArrangementKeeper::record()
{
    if (!m_started || m_changePending)
        return;
    PanelLayoutStore::WindowPlaces places;
    for (QWidget *window : windows()) {
        // A feature window never shown has no place of its own yet.
        if (qobject_cast<IconPanel *>(window) || window->isVisible())
            places.insert(keyOf(window), {windowRect(window), isRolledUp(window)});
    }
    for (auto it = places.constBegin(); it != places.constEnd(); ++it)
        m_places.insert(it.key(), it.value());
    PanelLayoutStore::recordWindows(places);
}
