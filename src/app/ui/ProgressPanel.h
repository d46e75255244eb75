#pragma once

#include <QElapsedTimer>
#include <QFrame>

class ProgressPanelState;
class QLabel;
class QProgressBar;
class QPushButton;

// A floating progress panel: caption, retry countdown, animation and cancel
// button, mirroring one panel of the job host. Side 1 is `_ProcessPanel1`
// (source side; its cancel button shows only for the jobs that can be
// cancelled), side 2 is `_ProcessPanel2` (target side; cancel always there).
class ProgressPanel : public QFrame
{
    Q_OBJECT
public:
    ProgressPanel(ProgressPanelState &state, int side, QWidget *parent);

    QLabel *caption() const { return m_caption; }
    QLabel *retry() const { return m_retry; }
    QPushButton *cancelButton() const { return m_cancel; }
    // Shows the percentage of the caption ("...(33%)"); moves to and fro
    // while the caption carries none.
    QProgressBar *bar() const { return m_bar; }
    // The last "(N%)" of a caption; -1 when there is none.
    static int percentOf(const QString &caption);

Q_SIGNALS:
    void cancelClicked();
    // Just before the panel appears: the window places it.
    void aboutToShow();

private:
    void mirror();

    ProgressPanelState &m_state;
    int m_side;
    QLabel *m_caption = nullptr;
    QLabel *m_retry = nullptr;
    QPushButton *m_cancel = nullptr;
    QProgressBar *m_bar = nullptr;
    QElapsedTimer m_lastPaint;
};
