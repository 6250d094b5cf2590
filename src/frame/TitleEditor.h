#pragma once

#include <QObject>
#include <QString>

class QLineEdit;
class QRect;
class QWidget;

// Renaming a panel in place: a line editor over the title that commits with
// Return or by losing focus and cancels with Escape. The editor is made on the
// first rename: most panels are never renamed, and a line editor is among the
// dearer widgets to make and polish at start.
class TitleEditor : public QObject
{
    Q_OBJECT

public:
    explicit TitleEditor(QWidget *window);
    ~TitleEditor() override;

    bool isEditing() const;
    // Opens the editor at rect (window coordinates) on the current title.
    void edit(const QRect &rect, const QString &current);
    // Closes the editor; a commit reports a changed, non-blank name.
    void finish(bool commit);

Q_SIGNALS:
    void nameCommitted(const QString &name);
    void closed();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QWidget *m_window;
    QLineEdit *m_editor = nullptr;
    QString m_original;
};
