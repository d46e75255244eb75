#include "app/ui/SingleWindow.h"

#include "app/Application.h"

#include <QLocalServer>
#include <QLocalSocket>
#include <QWidget>

namespace {
const QByteArray kForward = "forward\n";
const QByteArray kDone = "ok\n";
} // namespace

SingleWindow::SingleWindow(const QString &dataDir, QObject *parent)
    : QObject(parent), m_name(Application::windowSocketName(dataDir))
{
}

SingleWindow::~SingleWindow()
{
    if (m_server)
        m_server->close();
}

bool SingleWindow::bringForward(const QString &dataDir, int waitMs)
{
    QLocalSocket socket;
    socket.connectToServer(Application::windowSocketName(dataDir));
    if (!socket.waitForConnected(waitMs))
        return false;
    socket.write(kForward);
    if (!socket.waitForBytesWritten(waitMs))
        return false;
    // the answer says the window took the request
    while (socket.bytesAvailable() < kDone.size())
        if (!socket.waitForReadyRead(waitMs))
            return false;
    return socket.readAll().startsWith(kDone);
}

bool SingleWindow::listen()
{
    m_server = new QLocalServer(this);
    // only this user's programs may ask
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    if (!m_server->listen(m_name)) {
        // a socket file left by a copy that was killed: the folder's lock
        // (held by this copy now) says that copy is gone
        QLocalServer::removeServer(m_name);
        if (!m_server->listen(m_name))
            return false;
    }
    connect(m_server, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket *socket = m_server->nextPendingConnection()) {
            connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
            connect(socket, &QLocalSocket::readyRead, socket, [this, socket] {
                if (!socket->canReadLine())
                    return;
                const QByteArray line = socket->readLine();
                if (line == kForward) {
                    serve();
                    socket->write(kDone);
                    socket->flush();
                }
                socket->disconnectFromServer();
            });
        }
    });
    return true;
}

void SingleWindow::setWindow(QWidget *window)
{
    m_window = window;
    if (m_pending)
        serve();
}

void SingleWindow::serve()
{
    Q_EMIT forwardWanted();
    if (!m_window) {
        m_pending = true;
        return;
    }
    m_pending = false;
    QWidget *w = m_window;
    // out of the notification area or the task bar, in front of the others
    if (w->isMinimized())
        w->setWindowState((w->windowState() & ~Qt::WindowMinimized) | Qt::WindowActive);
    if (!w->isVisible())
        w->show();
    w->raise();
    w->activateWindow();
}
