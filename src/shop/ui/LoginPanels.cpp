#include "shop/ui/LoginPanels.h"
#include "app/Application.h"
#include "app/ui/WidgetHelpers.h"
#include "base/Interaction.h"
#include "base/ListModel.h"
#include "jobs/RequestJob.h"
#include "shop/Login.h"
#include "shop/ShopAccounts.h"
#include "shop/ui/WebEngineBrowser.h"
#include "target/ui/TargetPane.h"
#include "top/TopClient.h"

#include <QAbstractButton>
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QMainWindow>
#include <QStatusBar>
#include <QMouseEvent>
#include <QVBoxLayout>
#include <QWebEngineProfile>
#include <QQuickWidget>
#include <QWebEngineView>

using namespace ui;

namespace {
constexpr int BrowserPanelWidth = 520;
}

LoginPanels::LoginPanels(Application &app, TargetPane &targets, QWidget *area, QObject *parent)
    : QObject(parent), m_app(app), m_targets(targets)
{
    m_panel1 = named(new QFrame(area), QStringLiteral("_PanelWebBrowser1"));
    m_panel1->setFrameShape(QFrame::Box);
    m_panel1->setFixedSize(BrowserPanelWidth, ShopLogin::NormalPanelHeight);
    auto *column = new QVBoxLayout(m_panel1);
    column->setContentsMargins(2, 2, 2, 2);
    column->setSpacing(2);
    m_close = label(m_panel1, QStringLiteral("关闭"), QStringLiteral("_CloseWebBrowser"));
    m_close->setCursor(Qt::PointingHandCursor);
    m_close->installEventFilter(this);
    column->addWidget(m_close, 0, Qt::AlignRight);
    m_browserSlot = named(new QWidget(m_panel1), QStringLiteral("_WebBrowser"));
    m_browserSlot->setFixedHeight(ShopLogin::NormalBrowserHeight);
    column->addWidget(m_browserSlot);
    column->addStretch();
    m_panel1->setHidden(true);
    // The browsers' views draw through the graphics card, and the window that
    // holds them composes its whole content that way once the first view is
    // in it. Qt decides how a window composes when it makes its native window:
    // a window made without such a child is destroyed and made again when the
    // first view arrives (at the first login), and on screen the whole window
    // goes black for a moment. A hidden child of the views' own kind, present
    // before the window is first shown, has the window made that way once;
    // it never draws and starts nothing of the web engine.
    auto *surface = named(new QQuickWidget(m_panel1), QStringLiteral("_BrowserSurface"));
    surface->setFixedSize(1, 1);
    surface->hide();

    m_panel2 = named(new QFrame(area), QStringLiteral("_PanelWebBrowser2"));
    m_panel2->setFixedSize(320, 240);
    auto *column2 = new QVBoxLayout(m_panel2);
    m_frameSlot = named(new QWidget(m_panel2), QStringLiteral("_WebBrowserFrame"));
    column2->addWidget(m_frameSlot, 1);
    m_panel2->setHidden(true);
}

LoginPanels::~LoginPanels()
{
    // the login refers to the browsers; it goes first
    delete m_login;
    m_login = nullptr;
    // the pages before their profile
    delete m_frame;
    delete m_browser;
    delete m_profile;
    if (m_holdsProgress)
        m_app.jobs().panel2().hide();
}

void LoginPanels::setCommands(const Commands &commands)
{
    m_commands = commands;
    m_tips.clear();
    for (QObject *o : std::as_const(m_commands.enabledByLogin)) {
        if (auto *a = qobject_cast<QAction *>(o))
            m_tips.insert(o, a->toolTip());
        else if (auto *w = qobject_cast<QWidget *>(o))
            m_tips.insert(o, w->toolTip());
    }
    showLoginNeeded(!(m_login && m_login->loginCommandsEnabled()));
}

QString LoginPanels::loginNeededTip()
{
    return QStringLiteral("需要先登录店铺帐号: 在帐号框中选择帐号, 再点\"登录\"");
}

QString LoginPanels::loggedInText(const QString &account)
{
    return QStringLiteral("登录成功: ") + account;
}

void LoginPanels::showLoginNeeded(bool needed)
{
    for (auto it = m_tips.cbegin(); it != m_tips.cend(); ++it) {
        QString own = it.value();
        if (auto *a = qobject_cast<QAction *>(it.key()); a && own.isEmpty())
            own = a->text().remove(QLatin1Char('&')).trimmed();
        const QString tip = needed ? own + QStringLiteral("\n") + loginNeededTip() : own;
        if (auto *a = qobject_cast<QAction *>(it.key())) {
            a->setToolTip(tip);
            a->setStatusTip(needed ? loginNeededTip() : QString());
        } else if (auto *w = qobject_cast<QWidget *>(it.key())) {
            w->setToolTip(tip);
        }
    }
}

void LoginPanels::setDebugMemo(std::function<bool()> visible, std::function<void(const QString &)> add)
{
    m_debugVisible = std::move(visible);
    m_addDebug = std::move(add);
    if (m_login)
        m_login->setDebugMemo(m_debugVisible, m_addDebug);
}

bool LoginPanels::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_close && event->type() == QEvent::MouseButtonRelease
        && static_cast<QMouseEvent *>(event)->button() == Qt::LeftButton) {
        RzLabel7Click();
        return true;
    }
    return QObject::eventFilter(watched, event);
}

void LoginPanels::ensureLogin()
{
    if (m_login)
        return;
    m_profile = WebEngineBrowser::newProfile(this);
    m_frame = new WebEngineBrowser(m_profile, this);
    m_browser = new WebEngineBrowser(m_profile, this);

    // the views take the places (and the names) of the placeholders
    auto replace = [](QWidget *slot, QWebEngineView *view) {
        view->setObjectName(slot->objectName());
        slot->parentWidget()->layout()->replaceWidget(slot, view);
        delete slot;
    };
    replace(m_browserSlot, m_browser->view(m_panel1));
    m_browserSlot = nullptr;
    m_browser->view()->setFixedHeight(ShopLogin::NormalBrowserHeight);
    replace(m_frameSlot, m_frame->view(m_panel2));
    m_frameSlot = nullptr;

    m_login = new ShopLogin(m_app.ui(), *m_frame, *m_browser,
                            LoginHosts::from(m_app.endpoints(), m_app.appKey().key), this);
    Application &app = m_app;
    m_login->setAccountSource([&app] {
        LoginAccount account{app.currentAccount(), std::nullopt, QString()};
        if (account.name.trimmed().isEmpty())
            return account;
        const ShopAccounts::Password p = app.shopAccounts().password(account.name, app.currentAccountPassword());
        if (p.ok)
            account.password = p.text;
        else
            account.passwordError = p.error;
        return account;
    });
    m_login->setBusyCheck([&app] { return app.jobs().busy(); });
    if (m_debugVisible)
        m_login->setDebugMemo(m_debugVisible, m_addDebug);

    connect(m_login, &ShopLogin::changed, this, &LoginPanels::apply);
    connect(m_login, &ShopLogin::sessionKeyChanged, this,
            [&app](const QString &key) { app.client().setSessionKey(key); });
    connect(m_login, &ShopLogin::clearCancelFlag, this, [&app] { app.jobs().setCancelFlag(false); });
    connect(m_login, &ShopLogin::focusUsers, this, [this] { m_targets.usersBox()->setFocus(); });
    connect(m_login, &ShopLogin::centreBrowserPanel, this, &LoginPanels::centreWanted);
    connect(m_login, &ShopLogin::clearTargetList, this, [this] {
        if (ListModel *model = m_targets.targetModel())
            model->clear();
    });
    connect(m_login, &ShopLogin::reloadTargetList, this, [this] { m_targets.GetData_TB_Object(QString()); });
}

void LoginPanels::apply()
{
    const ShopLogin &l = *m_login;
    if (m_commands.login) {
        m_commands.login->setText(l.loginCaption());
        m_commands.login->setProperty("Tag", l.loggedIn() ? 1 : 0);
    }
    if (m_commands.userGrade)
        m_commands.userGrade->setProperty("Tag", l.userGradeRunning() ? 1 : 0);
    m_targets.usersBox()->setEnabled(l.usersEnabled());
    for (QObject *o : std::as_const(m_commands.enabledByLogin)) {
        if (auto *a = qobject_cast<QAction *>(o))
            a->setEnabled(l.loginCommandsEnabled());
        else if (auto *w = qobject_cast<QWidget *>(o))
            w->setEnabled(l.loginCommandsEnabled());
    }
    m_targets.setLoginCommandsEnabled(l.loginCommandsEnabled());
    showLoginNeeded(!l.loginCommandsEnabled());
    if (l.loggedIn() && !m_wasLoggedIn) {
        // the success shows where the seller looks, not only in the button's caption
        if (auto *window = qobject_cast<QMainWindow *>(m_panel1->window()))
            window->statusBar()->showMessage(loggedInText(m_app.currentAccount()), 15000);
    }
    m_wasLoggedIn = l.loggedIn();
    if (m_commands.updatePrice)
        m_commands.updatePrice->setEnabled(l.updatePriceEnabled());

    ProgressPanelState &panel = m_app.jobs().panel2();
    if (l.progressShown()) {
        if (!m_holdsProgress || !panel.shown()) {
            panel.show(l.progressCaption(), true);
            m_holdsProgress = true;
        } else if (panel.caption() != l.progressCaption()) {
            panel.setCaption(l.progressCaption());
        }
    } else if (m_holdsProgress) {
        m_holdsProgress = false;
        if (panel.shown())
            panel.hide();
    }

    const QSize size(BrowserPanelWidth, l.panelHeight());
    if (m_panel1->size() != size) {
        m_panel1->setFixedSize(size);
        if (auto *view = m_browser->view())
            view->setFixedHeight(l.browserHeight());
        Q_EMIT centreWanted();
    }
    if (l.browserPanelInFront()) {
        m_panel1->show();
        m_panel1->raise();
    } else {
        m_panel1->lower();
        m_panel1->hide();
    }
}

void LoginPanels::LoginClick()
{
    ensureLogin();
    m_login->setCheckLogin(m_targets.checkLoginBox()->isChecked());
    m_login->LoginClick();
}

void LoginPanels::UserGradeClick()
{
    ensureLogin();
    m_login->setCheckLogin(m_targets.checkLoginBox()->isChecked());
    m_login->UserGradeClick();
}

void LoginPanels::RzLabel7Click()
{
    if (m_login) {
        m_login->RzLabel7Click();
        return;
    }
    m_panel1->lower();
    m_panel1->hide();
    m_targets.GetData_TB_Object(QString());
}

void LoginPanels::cancelProgress()
{
    if (m_login)
        m_login->cancelProgress();
}
