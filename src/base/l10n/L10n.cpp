#include "L10n.h"

#include "base/Settings.h"
#include "base/l10n/Catalog.h"
#include "base/l10n/Languages.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QLocale>
#include <QPointer>
#include <QVariantMap>

namespace L10n {

namespace {

constexpr char sourcesProperty[] = "_l10n_sources";

struct Registration
{
    QPointer<QObject> guard;
    std::function<void()> callback;
};

struct State
{
    QPointer<QTranslator> qtTranslator;
    QPointer<Catalog> catalog;
    QList<Registration> registry;
};

State &state()
{
    static State s;
    return s;
}

void dropDestroyedGuards()
{
    state().registry.removeIf([](const Registration &entry) { return entry.guard.isNull(); });
}

QString storedChoice()
{
    return Settings::instance()->value(SettingsKeys::uiLanguage).toString();
}

QStringList candidatesFor(const QString &choice)
{
    if (choice != QLatin1String("system"))
        return {choice};
    QStringList tags = QLocale::system().uiLanguages();
    for (QString &tag : tags)
        tag.replace(QLatin1Char('_'), QLatin1Char('-'));
    return tags;
}

void applyBindings(QObject *object)
{
    const QVariantMap sources = object->property(sourcesProperty).toMap();
    for (auto it = sources.constBegin(); it != sources.constEnd(); ++it) {
        const QByteArray source = it.value().toByteArray();
        object->setProperty(it.key().toUtf8().constData(), text(source.constData()));
    }
}

} // namespace

QStringList languages()
{
    QStringList codes;
    for (const char16_t *code : Generated::languageCodes)
        codes.append(QString::fromUtf16(code));
    return codes;
}

QString resolveLanguage(const QStringList &candidates)
{
    const QStringList supported = languages();
    for (const QString &candidate : candidates) {
        const QString tag = QString(candidate).replace(QLatin1Char('-'), QLatin1Char('_'));
        const QLocale locale(tag);
        if (locale.language() == QLocale::Chinese)
            return locale.script() == QLocale::TraditionalHanScript ? QStringLiteral("zh_Hant")
                                                                    : QStringLiteral("zh_Hans");
        QString code = tag.section(QLatin1Char('_'), 0, 0).toLower();
        if (code == QLatin1String("no") || code == QLatin1String("nn"))
            code = QStringLiteral("nb");
        if (supported.contains(code))
            return code;
    }
    return QStringLiteral("en");
}

QString currentLanguage()
{
    return resolveLanguage(candidatesFor(storedChoice()));
}

void install()
{
    const QString choice = storedChoice();
    const QString code = resolveLanguage(candidatesFor(choice));
    QLocale::setDefault(choice == QLatin1String("system") ? QLocale::system() : QLocale(code));

    State &s = state();
    if (s.catalog) {
        QCoreApplication::removeTranslator(s.catalog);
        delete s.catalog;
    }
    if (s.qtTranslator) {
        QCoreApplication::removeTranslator(s.qtTranslator);
        delete s.qtTranslator;
    }

    s.qtTranslator = new QTranslator(QCoreApplication::instance());
    if (s.qtTranslator->load(QStringLiteral(":/qt-i18n/qtbase_%1.qm").arg(code)))
        QCoreApplication::installTranslator(s.qtTranslator);

    s.catalog = new Catalog(QCoreApplication::instance());
    if (s.catalog->load(code))
        QCoreApplication::installTranslator(s.catalog);
}

void onLanguageChanged(QObject *guard, std::function<void()> callback)
{
    dropDestroyedGuards();
    state().registry.append({guard, std::move(callback)});
}

void notifyLanguageChanged()
{
    dropDestroyedGuards();
    // Callbacks may register new entries or destroy guards of later ones, so walk
    // a copy; each guard is checked again at its turn.
    const QList<Registration> registry = state().registry;
    for (const Registration &entry : registry) {
        if (!entry.guard.isNull())
            entry.callback();
    }
}

void bind(QObject *object, const char *property, const char *sourceText)
{
    if (!object || !property || !sourceText)
        return;
    QVariantMap sources = object->property(sourcesProperty).toMap();
    if (sources.isEmpty()) {
        QPointer<QObject> target(object);
        onLanguageChanged(object, [target] {
            if (target)
                applyBindings(target);
        });
    }
    sources.insert(QString::fromLatin1(property), QByteArray(sourceText));
    object->setProperty(sourcesProperty, sources);
    object->setProperty(property, text(sourceText));
}

void followLayoutDirection()
{
    const auto apply = [] {
        QGuiApplication::setLayoutDirection(QLocale(currentLanguage()).textDirection());
    };
    apply();
    onLanguageChanged(QCoreApplication::instance(), apply);
}

void changeLanguage(const QString &choice)
{
    Settings::instance()->setValue(SettingsKeys::uiLanguage, choice);
    install();
    notifyLanguageChanged();
}

} // namespace L10n
