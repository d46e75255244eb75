#pragma once

#include <QHash>
#include <QObject>
#include <QPointer>

#include <functional>

class Application;
class QAbstractButton;
class QAction;
class QFrame;
class QLabel;
class QWidget;
class QWebEngineProfile;
class ShopLogin;
class TargetPane;
class WebEngineBrowser;

// The main window's side of the shop login: the two browser panels with
// their browsers, the login commands and what a login enables. The browsers
// and the login are created at the first login command, so a window that
// never logs in never starts the web engine.
class LoginPanels : public QObject
{
    Q_OBJECT
public:
    // The controls the login switches; the frame's command table builds them.
    struct Commands
    {
        QAbstractButton *login = nullptr;    // `_Login`
        QAction *userGrade = nullptr;        // `_UserGrade`
        QAction *updatePrice = nullptr;      // `_updateprice`
        QList<QObject *> enabledByLogin;     // actions and widgets
    };

    // Builds `_PanelWebBrowser1` and `_PanelWebBrowser2` inside area.
    LoginPanels(Application &app, TargetPane &targets, QWidget *area, QObject *parent = nullptr);
    ~LoginPanels() override;

    void setCommands(const Commands &commands);
    void setDebugMemo(std::function<bool()> visible, std::function<void(const QString &)> add);

    QFrame *browserPanel() const { return m_panel1; }
    // The tooltip of a command that waits for a login, while it waits.
    static QString loginNeededTip();
    // The status bar's note when a login has succeeded.
    static QString loggedInText(const QString &account);
    QFrame *framePanel() const { return m_panel2; }
    // Null until the first login command.
    ShopLogin *login() const { return m_login; }
    // The login shows `_ProcessPanel2` now: its cancel button is the login's.
    bool holdsProgress() const { return m_holdsProgress; }

public Q_SLOTS:
    void LoginClick();
    void UserGradeClick();
    void RzLabel7Click();
    void cancelProgress();

Q_SIGNALS:
    // The browser panel changed its size or wants centring.
    void centreWanted();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void ensureLogin();
    void apply();
    // The commands' tooltips say that a login is needed while one is.
    void showLoginNeeded(bool needed);

    Application &m_app;
    TargetPane &m_targets;
    Commands m_commands;
    std::function<bool()> m_debugVisible;
    std::function<void(const QString &)> m_addDebug;

    QFrame *m_panel1 = nullptr;
    QFrame *m_panel2 = nullptr;
    QLabel *m_close = nullptr;
    QWidget *m_browserSlot = nullptr; // `_WebBrowser` until the view replaces it
    QWidget *m_frameSlot = nullptr;   // `_WebBrowserFrame` until the view replaces it
    QWebEngineProfile *m_profile = nullptr;
    WebEngineBrowser *m_frame = nullptr;
    WebEngineBrowser *m_browser = nullptr;
    ShopLogin *m_login = nullptr;
    bool m_holdsProgress = false;
    bool m_wasLoggedIn = false;
    QHash<QObject *, QString> m_tips; // the commands' own tooltips
};
