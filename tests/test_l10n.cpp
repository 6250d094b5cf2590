#include "TestEnvironment.h"
#include "app/SettingsKeys.h"
#include "app/l10n/Catalog.h"
#include "app/l10n/L10n.h"

#include <QDialogButtonBox>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QPushButton>
#include <QRegularExpression>
#include <QSettings>
#include <QtTest>

class TestL10n : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void cleanup();

    void resolve_data();
    void resolve();
    void storedChoice_data();
    void storedChoice();
    void catalogues_data();
    void catalogues();
    void catalogTranslatesOwnContextOnly();
    void bindTwiceRegistersOnce();
    void callbacksInOrderAndGuarded();
    void liveSwitching();
    void qtTextsFollow();

private:
    static QJsonObject catalogue(const QString &code);
    std::unique_ptr<TestEnvironment> m_env;
};

void TestL10n::initTestCase()
{
    m_env = std::make_unique<TestEnvironment>();
}

void TestL10n::cleanup()
{
    QSettings().remove(SettingsKeys::uiLanguage);
    L10n::install();
}

QJsonObject TestL10n::catalogue(const QString &code)
{
    QFile file(QStringLiteral(":/i18n/%1.json").arg(code));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QJsonDocument::fromJson(file.readAll()).object();
}

void TestL10n::resolve_data()
{
    QTest::addColumn<QStringList>("tags");
    QTest::addColumn<QString>("code");
    QTest::newRow("zh-TW") << QStringList{"zh-TW"} << "zh_Hant";
    QTest::newRow("zh-HK") << QStringList{"zh-HK"} << "zh_Hant";
    QTest::newRow("zh-Hant") << QStringList{"zh-Hant"} << "zh_Hant";
    QTest::newRow("zh-CN") << QStringList{"zh-CN"} << "zh_Hans";
    QTest::newRow("zh-Hans-SG") << QStringList{"zh-Hans-SG"} << "zh_Hans";
    QTest::newRow("zh") << QStringList{"zh"} << "zh_Hans";
    QTest::newRow("nn-NO") << QStringList{"nn-NO"} << "nb";
    QTest::newRow("no") << QStringList{"no"} << "nb";
    QTest::newRow("nb-NO") << QStringList{"nb-NO"} << "nb";
    QTest::newRow("en-GB") << QStringList{"en-GB"} << "en";
    QTest::newRow("pt-PT") << QStringList{"pt-PT"} << "pt";
    QTest::newRow("underscore tag") << QStringList{"de_AT"} << "de";
    QTest::newRow("first supported wins") << QStringList{"tlh", "fr-CA", "en-US"} << "fr";
    QTest::newRow("none supported") << QStringList{"tlh", "xx-YY"} << "en";
    QTest::newRow("empty") << QStringList() << "en";
    QTest::newRow("System is not system") << QStringList{"System"} << "en";
    QTest::newRow("junk") << QStringList{"", "-", "__", "\u00e9\u00e9"} << "en";
}

void TestL10n::resolve()
{
    QFETCH(QStringList, tags);
    QFETCH(QString, code);
    QCOMPARE(L10n::resolveLanguage(tags), code);
}

void TestL10n::storedChoice_data()
{
    QTest::addColumn<QString>("stored");
    QTest::addColumn<QString>("code");
    QTest::newRow("german") << "de"
                            << "de";
    QTest::newRow("region tag") << "fr-CA"
                                << "fr";
    QTest::newRow("capital System") << "System"
                                    << "en";
    QTest::newRow("junk") << "%%%"
                          << "en";
}

void TestL10n::storedChoice()
{
    QFETCH(QString, stored);
    QFETCH(QString, code);
    QSettings().setValue(SettingsKeys::uiLanguage, stored);
    QCOMPARE(L10n::currentLanguage(), code);
    L10n::install();
    QCOMPARE(QLocale().name().left(2), code.left(2));
    QCOMPARE(L10n::text("Icon size"), catalogue(code).value(QLatin1String("Icon size")).toString());
}

void TestL10n::catalogues_data()
{
    QTest::addColumn<QString>("code");
    for (const QString &code : L10n::languages())
        QTest::newRow(qPrintable(code)) << code;
}

void TestL10n::catalogues()
{
    QFETCH(QString, code);
    QFile file(QStringLiteral(":/i18n/%1.json").arg(code));
    QVERIFY2(file.open(QIODevice::ReadOnly), "catalogue is compiled in");
    QJsonParseError error{};
    const QJsonDocument document = QJsonDocument::fromJson(file.readAll(), &error);
    QCOMPARE(error.error, QJsonParseError::NoError);
    QVERIFY(document.isObject());
    const QJsonObject texts = document.object();
    const QJsonObject english = catalogue(QStringLiteral("en"));
    QCOMPARE(english.size(), 118);
    QCOMPARE(texts.keys(), english.keys());

    static const QRegularExpression placeholder(QStringLiteral("%\\d"));
    int same = 0;
    for (auto it = english.constBegin(); it != english.constEnd(); ++it) {
        const QString source = it.key();
        QCOMPARE(it.value().toString(), source); // English maps to itself
        const QJsonValue value = texts.value(source);
        QVERIFY2(value.isString(), qPrintable(source));
        const QString translated = value.toString();
        QVERIFY2(!translated.trimmed().isEmpty(), qPrintable(source));
        QCOMPARE(translated.count(placeholder), source.count(placeholder));
        QCOMPARE(translated.count(QLatin1Char('\n')), source.count(QLatin1Char('\n')));
        for (const char *name : {"Larkspan", "Frankfurter", "Windows"}) {
            if (source.contains(QLatin1String(name)))
                QVERIFY2(translated.contains(QLatin1String(name)),
                         qPrintable(source + QLatin1String(" / ") + translated));
        }
        if (translated == source)
            ++same;
    }
    if (code != QLatin1String("en"))
        QVERIFY2(same * 5 < english.size(), "most texts are translated");
}

void TestL10n::catalogTranslatesOwnContextOnly()
{
    L10n::Catalog catalog;
    QVERIFY(catalog.isEmpty());
    QVERIFY(!catalog.load(QStringLiteral("xx")));
    QVERIFY(catalog.isEmpty());
    QVERIFY(catalog.load(QStringLiteral("de")));
    QVERIFY(!catalog.isEmpty());
    QCOMPARE(catalog.translate("Brimvale", "Quit"),
             catalogue(QStringLiteral("de")).value(QLatin1String("Quit")).toString());
    QVERIFY(catalog.translate("QDialogButtonBox", "Quit").isNull());
    QVERIFY(catalog.translate("Brimvale", "Not a catalogue text").isNull());
    QVERIFY(catalog.translate(nullptr, "Quit").isNull());
    // A failed load empties what was there.
    QVERIFY(!catalog.load(QStringLiteral("nope")));
    QVERIFY(catalog.isEmpty());
}

void TestL10n::bindTwiceRegistersOnce()
{
    QLabel label;
    int calls = 0;
    L10n::onLanguageChanged(&label, [&calls] { ++calls; });
    L10n::bind(&label, "text", "Quit");
    L10n::bind(&label, "text", "Refresh");
    L10n::bind(&label, "toolTip", "Read the desktop again");
    QCOMPARE(label.text(), QStringLiteral("Refresh"));

    QSettings().setValue(SettingsKeys::uiLanguage, QStringLiteral("fr"));
    L10n::install();
    label.setText(QStringLiteral("changed by hand"));
    L10n::notifyLanguageChanged();
    const QJsonObject french = catalogue(QStringLiteral("fr"));
    QCOMPARE(label.text(), french.value(QLatin1String("Refresh")).toString());
    QCOMPARE(label.toolTip(), french.value(QLatin1String("Read the desktop again")).toString());
    QCOMPARE(calls, 1);
    const QVariantMap sources = label.property("_l10n_sources").toMap();
    QCOMPARE(sources.keys(), (QStringList{"text", "toolTip"}));
    QCOMPARE(sources.value(QStringLiteral("text")).toByteArray(), QByteArray("Refresh"));
}

void TestL10n::callbacksInOrderAndGuarded()
{
    QStringList calls;
    auto first = std::make_unique<QObject>();
    auto second = std::make_unique<QObject>();
    auto third = std::make_unique<QObject>();
    {
        QLabel deleted;
        L10n::bind(&deleted, "text", "Quit");
    }
    L10n::onLanguageChanged(first.get(), [&] {
        calls << QStringLiteral("first");
        second.reset(); // destroys the guard of a later entry
    });
    L10n::onLanguageChanged(second.get(), [&] { calls << QStringLiteral("second"); });
    L10n::onLanguageChanged(third.get(), [&] {
        calls << QStringLiteral("third");
        // Registering during a notification is safe and takes effect next time.
        L10n::onLanguageChanged(third.get(), [&] { calls << QStringLiteral("late"); });
    });
    L10n::notifyLanguageChanged();
    QCOMPARE(calls, (QStringList{"first", "third"}));
    first.reset();
    third.reset();
    calls.clear();
    L10n::notifyLanguageChanged();
    QVERIFY(calls.isEmpty());
}

void TestL10n::liveSwitching()
{
    L10n::followLayoutDirection();
    QCOMPARE(QGuiApplication::layoutDirection(), Qt::LeftToRight);
    QLabel label;
    L10n::bind(&label, "text", "Tidy panels");

    L10n::changeLanguage(QStringLiteral("ar"));
    QCOMPARE(QSettings().value(SettingsKeys::uiLanguage).toString(), QStringLiteral("ar"));
    QCOMPARE(QGuiApplication::layoutDirection(), Qt::RightToLeft);
    QCOMPARE(label.layoutDirection(), Qt::RightToLeft);
    QCOMPARE(label.text(), catalogue(QStringLiteral("ar")).value(QLatin1String("Tidy panels")).toString());
    QVERIFY(label.text() != QLatin1String("Tidy panels"));

    L10n::changeLanguage(QStringLiteral("de"));
    QCOMPARE(QGuiApplication::layoutDirection(), Qt::LeftToRight);
    QCOMPARE(label.text(), catalogue(QStringLiteral("de")).value(QLatin1String("Tidy panels")).toString());

    L10n::changeLanguage(QStringLiteral("en"));
    QCOMPARE(label.text(), QStringLiteral("Tidy panels"));
}

void TestL10n::qtTextsFollow()
{
    QDialogButtonBox box(QDialogButtonBox::Cancel);
    const QString english = box.button(QDialogButtonBox::Cancel)->text();
    L10n::changeLanguage(QStringLiteral("de"));
    QDialogButtonBox german(QDialogButtonBox::Cancel);
    QCOMPARE(german.button(QDialogButtonBox::Cancel)->text().remove(QLatin1Char('&')),
             QStringLiteral("Abbrechen"));
    QVERIFY(german.button(QDialogButtonBox::Cancel)->text() != english);

    // Lithuanian has a catalogue of ours but no Qt translation: Qt's texts stay English.
    L10n::changeLanguage(QStringLiteral("lt"));
    QDialogButtonBox lithuanian(QDialogButtonBox::Cancel);
    QCOMPARE(lithuanian.button(QDialogButtonBox::Cancel)->text(), english);
    QVERIFY(L10n::text("Quit") != QLatin1String("Quit"));
}

QTEST_MAIN(TestL10n)
#include "test_l10n.moc"
