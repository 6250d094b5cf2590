#include "TestEnvironment.h"
#include "base/SettingsKeys.h"
#include "base/l10n/Catalog.h"
#include "base/l10n/L10n.h"

#include <QFontMetrics>
#include <QGuiApplication>
#include <QtTest>

class TestL10n : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void cleanup()
    {
        TestEnvironment::settings().remove(SettingsKeys::uiLanguage);
        L10n::install();
    }

    void resolve_data()
    {
        QTest::addColumn<QStringList>("tags");
        QTest::addColumn<QString>("code");
        QTest::newRow("zh-TW") << QStringList{"zh-TW"} << "zh_Hant";
        QTest::newRow("zh") << QStringList{"zh"} << "zh_Hans";
        QTest::newRow("nn-NO") << QStringList{"nn-NO"} << "nb";
        QTest::newRow("underscore tag") << QStringList{"de_AT"} << "de";
        QTest::newRow("first supported wins") << QStringList{"tlh", "fr-CA", "en-US"} << "fr";
        QTest::newRow("none supported") << QStringList{"tlh", "xx-YY"} << "en";
        QTest::newRow("junk") << QStringList{"", "-", "__", "System", "\u00e9\u00e9"} << "en";
    }

    void resolve()
    {
        QFETCH(QStringList, tags);
        QTEST(L10n::resolveLanguage(tags), "code");
    }

    void catalogues_data()
    {
        // The build's one list of languages and the catalogues compiled in agree.
        QStringList compiled = QDir(":/i18n").entryList({"*.json"});
        compiled.replaceInStrings(".json", "");
        QStringList listed = L10n::languages();
        QCOMPARE(listed.first(), "en");
        listed.sort();
        QCOMPARE(compiled, listed);

        QTest::addColumn<QString>("code");
        for (const QString &code : L10n::languages())
            QTest::newRow(qPrintable(code)) << code;
    }

    void catalogues()
    {
        QFETCH(QString, code);
        const QJsonObject texts = catalogue(code);
        const QJsonObject english = catalogue("en");
        QVERIFY(texts.keys() == english.keys() && !english.isEmpty());
        L10n::Catalog catalog;
        QVERIFY(catalog.load(code));

        static const QRegularExpression placeholder("%\\d");
        // Every text is drawn by the installed fonts (the application font and
        // those it falls back on): a script no font covers shows as boxes.
        const QFontMetrics fonts(QGuiApplication::font());
        int same = 0;
        for (auto it = english.constBegin(); it != english.constEnd(); ++it) {
            const QString source = it.key();
            QCOMPARE(it.value().toString(), source); // English maps to itself
            const QJsonValue value = texts.value(source);
            QVERIFY2(value.isString() && !value.toString().trimmed().isEmpty(), qPrintable(source));
            const QString translation = value.toString();
            QCOMPARE(catalog.translate("Brimvale", qUtf8Printable(source)), translation);
            for (const uint c : translation.toUcs4())
                QVERIFY2(QChar::isSpace(c) || QChar::category(c) == QChar::Other_Format ||
                             fonts.inFontUcs4(c),
                         qPrintable(QString("no font draws U+%1: install those scripts/setup.sh installs")
                                        .arg(c, 4, 16, QChar('0'))));
            QCOMPARE(translation.count(placeholder), source.count(placeholder));
            QCOMPARE(translation.count('\n'), source.count('\n'));
            for (const char *name : {"Larkspan", "Frankfurter", "Windows"})
                QVERIFY2(!source.contains(name) || translation.contains(name), qPrintable(translation));
            same += translation == source;
        }
        if (code != "en")
            QVERIFY2(same * 5 < english.size(), "most texts are translated");
        // Only our own context is ours to translate.
        QVERIFY(catalog.translate("QDialogButtonBox", "Quit").isNull() &&
                catalog.translate(nullptr, "Quit").isNull());
        QVERIFY(catalog.translate("Brimvale", "Not a catalogue text").isNull());
        QVERIFY(!catalog.load("nope") && catalog.isEmpty()); // a failed load empties what was there
    }

    void liveSwitching()
    {
        // The text of a dialog's Cancel button, as Qt's widgets ask for it.
        auto qtCancel = [] {
            return QCoreApplication::translate("QPlatformTheme", "Cancel");
        };
        const QString englishCancel = qtCancel();
        {
            QObject deleted;
            L10n::bind(&deleted, "text", "Quit");
        }
        QObject label;
        const auto text = [&label] {
            return label.property("text").toString();
        };
        L10n::bind(&label, "text", "Quit");
        L10n::bind(&label, "text", "Tidy panels"); // rebinding replaces, and registers nothing new
        L10n::bind(&label, "toolTip", "Read the desktop again");
        QCOMPARE(text(), "Tidy panels");
        label.setProperty("text", "changed by hand");
        // Told of a change in order, never once their guard is gone.
        QStringList calls;
        auto first = std::make_unique<QObject>();
        auto second = std::make_unique<QObject>();
        auto third = std::make_unique<QObject>();
        L10n::onLanguageChanged(first.get(), [&] {
            calls << "first";
            second.reset(); // destroys the guard of a later entry
        });
        L10n::onLanguageChanged(second.get(), [&] { calls << "second"; });
        L10n::onLanguageChanged(third.get(), [&] {
            calls << "third";
            // Registering during a notification is safe and takes effect next time.
            L10n::onLanguageChanged(third.get(), [&] { calls << "late"; });
        });

        L10n::changeLanguage("ar");
        QCOMPARE(calls, (QStringList{"first", "third"}));
        QVERIFY(text() == translated("ar", "Tidy panels") && text() != "Tidy panels");
        QCOMPARE(label.property("toolTip").toString(), translated("ar", "Read the desktop again"));
        first.reset();
        third.reset();

        // Qt's own texts follow too.
        L10n::changeLanguage("de");
        QCOMPARE(calls, (QStringList{"first", "third"}));
        QCOMPARE(text(), translated("de", "Tidy panels"));
        QCOMPARE(qtCancel().remove('&'), "Abbrechen");
        // Qt names some translations differently; they are found under our codes.
        L10n::changeLanguage("zh_Hant");
        QCOMPARE(qtCancel(), "\u53d6\u6d88");
        // Lithuanian has a catalogue of ours but no Qt translation: Qt's texts stay English.
        L10n::changeLanguage("lt");
        QVERIFY(qtCancel() == englishCancel && text() == translated("lt", "Tidy panels"));
    }

private:
    // A compiled-in catalogue; empty when it is missing or not valid JSON.
    static QJsonObject catalogue(const QString &code)
    {
        return QJsonDocument::fromJson(TestEnvironment::readFile(QString(":/i18n/%1.json").arg(code)))
            .object();
    }
    static QString translated(const QString &code, const char *source)
    {
        return catalogue(code).value(source).toString();
    }

    TestEnvironment m_env;
};

QTEST_MAIN(TestL10n)
#include "test_l10n.moc"
