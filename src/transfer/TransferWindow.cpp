#include "TransferWindow.h"

#include "base/l10n/L10n.h"
#include "frame/PanelFrame.h"
#include "frame/PanelStyle.h"
#include "look/AppStyle.h"

#include <QCursor>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

#include <algorithm>

namespace {

const char movingText[] = QT_TRANSLATE_NOOP("Brimvale", "Moving file %1 of %2");
const char copyingText[] = QT_TRANSLATE_NOOP("Brimvale", "Copying file %1 of %2");
constexpr int windowWidth = 320;

QString windowStyleSheet()
{
    return QStringLiteral("QWidget { %1 font-size: 12px; }"
                          "QLabel { color: #e7ebf2; background: transparent; }"
                          "QProgressBar { background: #252d39; border: 1px solid #4a5668; border-radius: 4px;"
                          " max-height: 8px; }"
                          "QProgressBar::chunk { background: #91abc9; border-radius: 3px; }"
                          "QPushButton { background: #2a303a; color: #e7ebf2; border: 1px solid #4a5668;"
                          " border-radius: 6px; padding: 4px 14px; }"
                          "QPushButton:hover { background: #38414e; }")
        .arg(AppStyle::fontFamilyDeclaration());
}

} // namespace

TransferWindow::TransferWindow(FileTransfer::Mode mode, int fileCount)
    : QWidget(nullptr, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint)
    , m_mode(mode)
    , m_totalFiles(fileCount)
    , m_label(new QLabel(this))
    , m_bar(new QProgressBar(this))
    , m_cancel(new QPushButton(this))
{
    PanelFrame::prepareWindow(this, true);
    setStyleSheet(windowStyleSheet());
    m_bar->setRange(0, barSteps);
    m_bar->setTextVisible(false);
    L10n::bind(m_cancel, "text", "Cancel");
    connect(m_cancel, &QPushButton::clicked, this, &TransferWindow::cancelRequested);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(18, 14, 18, 14);
    layout->setSpacing(10);
    layout->addWidget(m_label);
    layout->addWidget(m_bar);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_cancel);
    layout->addLayout(buttons);
    updateText();
    L10n::onLanguageChanged(this, [this] { updateText(); });
    setFixedWidth(windowWidth);
    adjustSize();
    // Where the user is looking: the middle of the screen under the pointer.
    if (const QScreen *screen = QGuiApplication::screenAt(QCursor::pos()))
        move(screen->availableGeometry().center() - rect().center());
}

TransferWindow::~TransferWindow() = default;

void TransferWindow::setProgress(qint64 doneBytes, qint64 totalBytes, int doneFiles, int totalFiles)
{
    m_doneFiles = doneFiles;
    m_totalFiles = totalFiles;
    m_bar->setValue(totalBytes > 0 ? int(std::clamp<qint64>(doneBytes * barSteps / totalBytes, 0, barSteps))
                                   : 0);
    updateText();
}

void TransferWindow::updateText()
{
    const QString text = L10n::text(m_mode == FileTransfer::Mode::Move ? movingText : copyingText);
    // The file under way, counted from one; the last one once all are done.
    const int current = qBound(1, m_doneFiles + 1, qMax(1, m_totalFiles));
    m_label->setText(text.arg(current).arg(m_totalFiles));
    m_bar->setAccessibleName(m_label->text());
}

void TransferWindow::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.fillRect(rect(), PanelStyle::bodyColor(100, true));
}

void TransferWindow::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    setMask(PanelStyle::roundedShape(size(), PanelStyle::metrics(false).radius));
}
