// Measures a keystroke in the quick search on a crowded desktop: re-filtering
// and re-sorting every item for a one-letter query that matches most of them.
// Run: QT_QPA_PLATFORM=offscreen build/bench/larkspan_bench_search [items=10000]
#include "panels/ItemPlacement.h"
#include "search/QuickSearch.h"
#include "search/SearchFilter.h"
#include "shell/DesktopModel.h"
#include "shell/freedesktop/FreedesktopDesktopSource.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QRandomGenerator>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTextStream>

#include <algorithm>
#include <vector>

namespace {

// The ranking as written: every comparison reads and case-folds both names again.
class WrittenRuleFilter : public QSortFilterProxyModel
{
public:
    void setQuery(const QString &text)
    {
        m_query = text.simplified();
        m_terms = m_query.split(u' ', Qt::SkipEmptyParts);
        invalidate();
    }

protected:
    bool filterAcceptsRow(int row, const QModelIndex &parent) const override
    {
        if (m_terms.isEmpty())
            return false;
        const QString name = sourceModel()->index(row, 0, parent).data().toString();
        return std::all_of(m_terms.cbegin(), m_terms.cend(), [&name](const QString &term) {
            return name.indexOf(term, 0, Qt::CaseInsensitive) >= 0;
        });
    }
    bool lessThan(const QModelIndex &left, const QModelIndex &right) const override
    {
        const QString l = left.data().toString();
        const QString r = right.data().toString();
        const int lc = SearchFilter::matchClass(l, m_query);
        const int rc = SearchFilter::matchClass(r, m_query);
        if (lc != rc)
            return lc < rc;
        const int order = QString::localeAwareCompare(l.toCaseFolded(), r.toCaseFolded());
        return order != 0 ? order < 0 : left.row() < right.row();
    }

private:
    QString m_query;
    QStringList m_terms;
};

void populate(const QString &folder, int count)
{
    const QStringList words = {
        QStringLiteral("Report"),  QStringLiteral("notes"),   QStringLiteral("Invoice"),
        QStringLiteral("photo"),   QStringLiteral("Résumé"),  QStringLiteral("Übersicht"),
        QStringLiteral("draft"),   QStringLiteral("FINAL"),   QStringLiteral("budget"),
        QStringLiteral("Straße"),  QStringLiteral("meeting"), QStringLiteral("Projekt"),
        QStringLiteral("holiday"), QStringLiteral("scan"),    QStringLiteral("Ärger"),
        QStringLiteral("ölja"),    QStringLiteral("table"),   QStringLiteral("Setup"),
        QStringLiteral("backup"),  QStringLiteral("Zebra")};
    const QStringList suffixes = {QStringLiteral(".pdf"), QStringLiteral(".txt"), QStringLiteral(".png"),
                                  QStringLiteral(".odt"), QStringLiteral(".zip"), QString()};
    QDir().mkpath(folder);
    QRandomGenerator random(42);
    for (int i = 0; i < count; ++i) {
        QString name = words.at(int(random.bounded(words.size())));
        for (int w = int(random.bounded(3)); w > 0; --w)
            name += QLatin1Char(' ') + words.at(int(random.bounded(words.size())));
        name += QStringLiteral(" %1").arg(i) + suffixes.at(int(random.bounded(suffixes.size())));
        QFile file(folder + QLatin1Char('/') + name);
        if (!file.open(QIODevice::WriteOnly))
            qFatal("cannot write the desktop");
    }
}

double median(std::vector<double> samples)
{
    std::sort(samples.begin(), samples.end());
    return samples[samples.size() / 2];
}

template<typename Keystroke>
std::vector<double> time(int runs, Keystroke keystroke)
{
    std::vector<double> samples;
    for (int run = 0; run < runs; ++run) {
        QElapsedTimer timer;
        timer.start();
        keystroke(run);
        samples.push_back(double(timer.nsecsElapsed()) / 1e6);
    }
    return samples;
}

} // namespace

int main(int argc, char *argv[])
{
    QTemporaryDir home;
    qputenv("HOME", QFile::encodeName(home.path()));
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(home.path() + QLatin1String("/.config")));
    QStandardPaths::setTestModeEnabled(true);
    QApplication app(argc, argv);
    const int count = argc > 1 ? QString::fromLocal8Bit(argv[1]).toInt() : 10000;
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    QTextStream out(stdout);

    const QString folder = home.filePath(QStringLiteral("Desktop"));
    populate(folder, count);
    DesktopModel model(std::make_unique<FreedesktopDesktopSource>(folder), std::make_unique<ItemPlacement>());
    model.reload();

    // Two one-letter queries in turn, each matching most items, so every
    // keystroke really filters and sorts everything again.
    const QString queries[] = {QStringLiteral("e"), QStringLiteral("o")};
    SearchFilter filter;
    filter.setSourceModel(&model);
    filter.sort(0, Qt::AscendingOrder);

    QElapsedTimer cold;
    cold.start();
    filter.setQuery(queries[0]);
    const int matches = filter.rowCount();
    const double coldMs = double(cold.nsecsElapsed()) / 1e6;

    const auto keystroke = time(51, [&](int run) {
        filter.setQuery(queries[run % 2]);
        (void)filter.rowCount();
    });

    // The same keystroke in the window: field, filter, current row, status and layout.
    QuickSearch window(&model);
    auto *input = window.findChild<QLineEdit *>(QStringLiteral("quickSearchInput"));
    window.showFor(nullptr, queries[1]);
    const auto inWindow = time(51, [&](int run) {
        input->setText(queries[run % 2]);
        QCoreApplication::processEvents();
    });

    WrittenRuleFilter written;
    written.setSourceModel(&model);
    written.sort(0, Qt::AscendingOrder);
    const auto plain = time(5, [&](int run) {
        written.setQuery(queries[run % 2]);
        (void)written.rowCount();
    });

    out << QStringLiteral("%1 items, %2 match \"%3\"\n").arg(model.rowCount()).arg(matches).arg(queries[0]);
    out << QStringLiteral("first keystroke after a reload (names and order kept anew): %1 ms\n")
               .arg(coldMs, 0, 'f', 2);
    out << QStringLiteral("keystroke, filter alone: median %1 ms, max %2 ms\n")
               .arg(median(keystroke), 0, 'f', 2)
               .arg(*std::max_element(keystroke.begin(), keystroke.end()), 0, 'f', 2);
    out << QStringLiteral("keystroke in the window (filter, list, status, layout): median %1 ms, max %2 ms\n")
               .arg(median(inWindow), 0, 'f', 2)
               .arg(*std::max_element(inWindow.begin(), inWindow.end()), 0, 'f', 2);
    out << QStringLiteral("keystroke with the rule as written: median %1 ms\n").arg(median(plain), 0, 'f', 2);
    return 0;
}
