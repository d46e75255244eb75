#include "app/ui/LoginShow.h"

#include "base/Clock.h"

#include <QGuiApplication>
#include <QIcon>
#include <QLabel>
#include <QPixmap>
#include <QScreen>

void LoadProgramResources()
{
    static bool loaded = false;
    if (!loaded) {
        Q_INIT_RESOURCE(resources);
        loaded = true;
    }
}

QIcon ProgramIcon()
{
    LoadProgramResources();
    QIcon icon;
    for (int s : {16, 32, 64, 256})
        icon.addFile(QStringLiteral(":/images/stocksync_%1.png").arg(s), QSize(s, s));
    return icon;
}

TfrmLoginShow::TfrmLoginShow(QWidget *parent)
    : QWidget(parent, Qt::SplashScreen | Qt::FramelessWindowHint), m_picture(new QLabel(this)),
      m_loading(new QLabel(QStringLiteral("Loading..."), this))
{
    LoadProgramResources();
    setObjectName(QStringLiteral("frmLoginShow"));
    setFixedSize(PictureWidth, PictureHeight);
    m_picture->setObjectName(QStringLiteral("Image1"));
    m_picture->setGeometry(0, 0, PictureWidth, PictureHeight);
    m_picture->setScaledContents(true);
    m_picture->setPixmap(QPixmap(QStringLiteral(":/images/splash.png")));
    m_loading->setObjectName(QStringLiteral("Label1"));
    m_loading->setStyleSheet(QStringLiteral("color: rgb(90, 90, 90);"));
    m_loading->adjustSize();
    m_loading->move(14, PictureHeight - m_loading->height() - 14);
    m_timer.setSingleShot(true);
    connect(&m_timer, &QTimer::timeout, this, [this] {
        m_timer.stop();
        Q_EMIT timerFired();
    });
}

void TfrmLoginShow::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    setFixedSize(PictureWidth, PictureHeight);
    centreOnScreen();
    Intervals::arm(m_timer, 1000, true);
}

void TfrmLoginShow::centreOnScreen()
{
    if (QScreen *screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->availableGeometry();
        move(area.center() - QPoint(width() / 2, height() / 2));
    }
}
