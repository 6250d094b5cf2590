// The floor for the start-up benchmark: an otherwise empty Qt program that maps
// the windows the organiser maps at its first start, in the same places and
// sizes, as translucent frameless tool windows, the way the organiser maps them
// (every native window created first). Nothing a Qt program can do maps its
// windows sooner, so the organiser's start-up is judged as a ratio to this on
// the same machine in the same run.
// Run: build/bench/larkspan_bench_floor [windows=9] [width=300] [height=400]
//      build/bench/larkspan_bench_floor --at x,y,width,height [x,y,width,height...]
#include <QApplication>
#include <QPainter>
#include <QWidget>

#include <algorithm>
#include <memory>
#include <vector>

namespace {

// Paints what a panel paints at the least: a translucent rounded plate.
class Plate : public QWidget
{
public:
    Plate()
        : QWidget(nullptr, Qt::Tool | Qt::FramelessWindowHint)
    {
        setAttribute(Qt::WA_TranslucentBackground);
        setAttribute(Qt::WA_ShowWithoutActivating);
    }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(Qt::NoPen);
        painter.setBrush(QColor(30, 30, 30, 160));
        painter.drawRoundedRect(rect(), 8, 8);
    }
};

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    std::vector<QRect> places;
    if (args.size() > 1 && args.at(1) == QLatin1StringView("--at")) {
        for (qsizetype i = 2; i < args.size(); ++i) {
            const QStringList parts = args.at(i).split(QLatin1Char(','));
            if (parts.size() == 4)
                places.emplace_back(parts[0].toInt(), parts[1].toInt(), std::max(parts[2].toInt(), 1),
                                    std::max(parts[3].toInt(), 1));
        }
    } else {
        const int count = args.size() > 1 ? std::max(args.at(1).toInt(), 1) : 9;
        const int width = args.size() > 2 ? std::max(args.at(2).toInt(), 1) : 300;
        const int height = args.size() > 3 ? std::max(args.at(3).toInt(), 1) : 400;
        for (int i = 0; i < count; ++i)
            places.emplace_back(24 + (i % 5) * (width + 12), 24 + (i / 5) * (height + 12), width, height);
    }

    std::vector<std::unique_ptr<Plate>> windows;
    for (const QRect &place : places) {
        auto window = std::make_unique<Plate>();
        window->setGeometry(place);
        windows.push_back(std::move(window));
    }
    for (const auto &window : windows)
        window->winId();
    for (const auto &window : windows)
        window->show();
    return QApplication::exec();
}
