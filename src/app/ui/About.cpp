#include "app/ui/About.h"

#include "app/MainWindowState.h"
#include "app/ui/LoginShow.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QKeySequence>
#include <QLabel>
#include <QPixmap>
#include <QShortcut>
#include <QVBoxLayout>

TfrmAbout::TfrmAbout(const QString &versionText, QWidget *parent) : QDialog(parent)
{
    LoadProgramResources();
    setObjectName(QStringLiteral("frmAbout"));
    setWindowTitle(QStringLiteral("关于"));
    setModal(true);

    auto *picture = new QLabel(this);
    picture->setObjectName(QStringLiteral("Image1"));
    picture->setPixmap(QPixmap(QStringLiteral(":/images/stocksync_64.png")));

    auto *name = new QLabel(ProductName(), this);
    name->setObjectName(QStringLiteral("lblProduct"));
    QFont f = name->font();
    f.setBold(true);
    f.setPointSize(f.pointSize() + 3);
    name->setFont(f);
    auto *version = new QLabel(QStringLiteral("版本：") + versionText, this);
    version->setObjectName(QStringLiteral("lblVersion"));
    auto *maker = new QLabel(QStringLiteral("奥万软件工作室"), this);
    maker->setObjectName(QStringLiteral("lblMaker"));
    auto *site = new QLabel(QStringLiteral("网站: www.aowan-soft.example"), this);
    site->setObjectName(QStringLiteral("lblWebsite"));
    auto *mail = new QLabel(QStringLiteral("邮箱: feedback@aowan-soft.example"), this);
    mail->setObjectName(QStringLiteral("lblMail"));

    auto *text = new QVBoxLayout;
    for (QLabel *l : {name, version, maker, site, mail})
        text->addWidget(l);
    auto *row = new QHBoxLayout(this);
    row->addWidget(picture, 0, Qt::AlignTop);
    row->addSpacing(12);
    row->addLayout(text);

    for (QLabel *l : findChildren<QLabel *>())
        l->installEventFilter(this);
    auto *close = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_W), this);
    connect(close, &QShortcut::activated, this, &QDialog::accept);
}

bool TfrmAbout::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::MouseButtonRelease && qobject_cast<QLabel *>(watched)) {
        accept();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}
