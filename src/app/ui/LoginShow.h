#pragma once

#include <QTimer>
#include <QWidget>

class QLabel;

// The splash window: borderless, centred on the screen, the program's
// picture with "Loading..." near its lower left corner. When shown it arms
// its one-shot timer; the start-up creates the main window when it fires.
class TfrmLoginShow : public QWidget
{
    Q_OBJECT
public:
    explicit TfrmLoginShow(QWidget *parent = nullptr);

    static constexpr int PictureWidth = 467;
    static constexpr int PictureHeight = 307;

    QTimer &timer() { return m_timer; }

Q_SIGNALS:
    // The one-shot timer fired (it is already stopped).
    void timerFired();

protected:
    void showEvent(QShowEvent *event) override;

private:
    void centreOnScreen();
    QLabel *m_picture;
    QLabel *m_loading;
    QTimer m_timer;
};

// Loads the pictures compiled into the program (they live in a static library).
void LoadProgramResources();
// The program's icon in every size it ships.
class QIcon;
QIcon ProgramIcon();
