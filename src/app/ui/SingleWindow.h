#pragma once

#include <QObject>
#include <QPointer>
#include <QString>

class QLocalServer;
class QWidget;

// One window per data folder: the window that holds a folder listens on a
// local socket named after it (Application::windowSocketName); a second
// start of the window on that folder connects, asks it to come to the
// front and ends.
class SingleWindow : public QObject
{
    Q_OBJECT
public:
    explicit SingleWindow(const QString &dataDir, QObject *parent = nullptr);
    ~SingleWindow() override;

    // Asks the window that holds dataDir to come forward. True when one
    // answered within waitMs.
    static bool bringForward(const QString &dataDir, int waitMs);

    // Starts listening (a name left by a copy that was killed is taken over).
    bool listen();
    // The window brought forward on a request; until it exists, requests
    // are remembered and served when it is set.
    void setWindow(QWidget *window);

Q_SIGNALS:
    // A second start asked for the window.
    void forwardWanted();

private:
    void serve();

    QString m_name;
    QLocalServer *m_server = nullptr;
    QPointer<QWidget> m_window;
    bool m_pending = false;
};
