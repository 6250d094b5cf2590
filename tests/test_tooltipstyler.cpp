#include "look/AppStyle.h"
#include "look/ToolTipStyler.h"

#include <QApplication>
#include <QLabel>
#include <QStyle>
#include <QToolTip>
#include <QtTest>

// Tool tips get the program's look, and no other widget is drawn by the style
// sheet engine because of it.
class TestToolTipStyler : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { ToolTipStyler::install(qApp); }

    void toolTipAloneGetsTheSheet()
    {
        QLabel owner(QStringLiteral("owner"));
        owner.show();
        QVERIFY(QTest::qWaitForWindowExposed(&owner));
        QToolTip::showText(owner.mapToGlobal(QPoint(4, 4)), QStringLiteral("A tip"), &owner);
        QWidget *tip = nullptr;
        QTRY_VERIFY((tip = findTip()) != nullptr);
        QCOMPARE(tip->styleSheet(), AppStyle::toolTipStyleSheet());
        // The sheet's padding and 12 px font are part of the tip's size, so it
        // was in place before the tip measured its text.
        QCOMPARE(tip->font().pixelSize(), 12);
        QCOMPARE(tip->palette().color(QPalette::WindowText), AppStyle::Palette::primaryText);
        QVERIFY(qApp->styleSheet().isEmpty());
        QVERIFY(owner.styleSheet().isEmpty());
        QVERIFY(!owner.style()->inherits("QStyleSheetStyle"));
        QToolTip::hideText();
    }

private:
    static QWidget *findTip()
    {
        for (QWidget *widget : QApplication::topLevelWidgets()) {
            if (widget->inherits("QTipLabel") && widget->isVisible())
                return widget;
        }
        return nullptr;
    }
};

QTEST_MAIN(TestToolTipStyler)
#include "test_tooltipstyler.moc"
