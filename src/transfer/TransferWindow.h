#pragma once

#include "shell/FileTransfer.h"

#include <QWidget>

class QLabel;
class QProgressBar;
class QPushButton;

// The small window of a transfer that takes a while: which file of how many,
// a bar of the bytes done, and a button to cancel. Drawn as a panel's body, so
// it looks the same with or without a compositor.
class TransferWindow : public QWidget
{
    Q_OBJECT

public:
    // mode Move says "Moving"; Copy and Automatic say "Copying", as a transfer
    // that lasts long enough to show this copies (a rename is done at once).
    TransferWindow(FileTransfer::Mode mode, int fileCount);
    ~TransferWindow() override;

    void setProgress(qint64 doneBytes, qint64 totalBytes, int doneFiles, int totalFiles);

    // The bar's full range, in steps of the bytes done.
    static constexpr int barSteps = 1000;

Q_SIGNALS:
    void cancelRequested();

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void updateText();

    FileTransfer::Mode m_mode;
    int m_doneFiles = 0;
    int m_totalFiles;
    QLabel *m_label;
    QProgressBar *m_bar;
    QPushButton *m_cancel;
};
