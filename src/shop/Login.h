#pragma once

#include "base/Browser.h"
#include "top/Endpoints.h"

#include <QObject>
#include <QString>

#include <functional>
#include <optional>

class Interaction;

// The shop account the login fills in: the member name selected in `_users`
// and its stored password deciphered (nullopt when it cannot be deciphered;
// passwordError then says why, for the user).
struct LoginAccount
{
    QString name;
    std::optional<QString> password;
    QString passwordError;
};

// The addresses of the login and the authorization.
struct LoginHosts
{
    QString authorizationAddress; // the API container + "?appkey=" + the key in force
    QString container;            // the API container, path /container
    QString openContainer;        // the open platform's container, path /container
    QString loginPage;            // the marketplace's login page, path /member/login.jhtml
    QString openPlatformSite;     // named in the refusal and not-allowed messages

    // The hosts in force, with the application key that signs the requests.
    static LoginHosts from(const TopEndpoints &hosts, const QString &appKey);
};

// Login, logout and the short authorization of the current shop account.
// Drives two browsers: the hidden `_WebBrowserFrame` opens the authorization
// container and finds the login frame in it, the visible `_WebBrowser` shows
// the login page (filled in and submitted), whatever the pages ask of the
// person (captcha, phone check, consent) and the result page with the session
// key. What the window shows and enables is state here; it follows changed().
//
// The session key lives here and in the request client (sessionKeyChanged)
// only; it is written nowhere but into the debug memo while that is shown.
class ShopLogin : public QObject
{
    Q_OBJECT

public:
    static constexpr int NormalPanelHeight = 313;
    static constexpr int NormalBrowserHeight = 269;
    static constexpr int ConsentPanelHeight = 613;
    static constexpr int ConsentBrowserHeight = 569;

    // frame: `_WebBrowserFrame`; browser: `_WebBrowser`. Both outlive the login.
    ShopLogin(Interaction &ui, Browser &frame, Browser &browser, const LoginHosts &hosts,
              QObject *parent = nullptr);

    // Read once at the start of each login: the password is deciphered once
    // and tried once. The source shows nothing itself.
    void setAccountSource(std::function<LoginAccount()> account) { m_account = std::move(account); }
    // True while a job's progress panel is shown: the commands then do nothing.
    void setBusyCheck(std::function<bool()> busy) { m_busy = std::move(busy); }
    // The debug memo `_Debug`: whether it is shown, and adding one entry.
    void setDebugMemo(std::function<bool()> visible, std::function<void(const QString &)> add);
    // `chkLogin` ("登录时检查 淘宝证书 Appkey  权限").
    void setCheckLogin(bool on) { m_checkLogin = on; }

    // `_LoginClick`: log in, or (logged in) log out after asking.
    void LoginClick();
    // `_UserGradeClick` ("获取短授权").
    void UserGradeClick();
    // `RzLabel7Click`, the '关闭' label of the browser panel.
    void RzLabel7Click();
    // The cancel button of `_ProcessPanel2` while the login holds it.
    void cancelProgress();

    // The browsers' document-complete events (wired by the constructor).
    void WebBrowserFrameDocumentComplete(const Browser::Page &page);
    void WebBrowserDocumentComplete(const Browser::Page &page);

    // `_Login`: Tag 1 and caption "注销登录" when logged in, else Tag 0 and "登录".
    bool loggedIn() const { return m_loggedIn; }
    QString loginCaption() const;
    bool usersEnabled() const { return m_usersEnabled; }
    // NDownload, NUpload, _delisting, _listing, _UserGrade, _Upload, _inventory
    // (with _q, _page_size, _page_no), _onsaleUpload, _planupload.
    bool loginCommandsEnabled() const { return m_commandsEnabled; }
    bool updatePriceEnabled() const { return m_updatePriceEnabled; } // `_updateprice`
    bool userGradeRunning() const { return m_userGrade; }            // `_UserGrade`.Tag
    bool refused() const { return m_refused; }
    // How the last login ended when it did not log in and no person is asked for.
    enum class Failure {
        None,
        NoAccount,          // no account selected
        PasswordUnreadable, // the stored password cannot be deciphered: nothing was filled in
        PasswordRefused,    // the login page came back with the platform's wrong-password message
    };
    Failure failure() const { return m_failure; }
    // The platform's wrong-password message on a login page that came back.
    static bool isWrongPasswordPage(const QString &html);
    // What the user is told when the stored password of memberName was refused.
    static QString passwordRefusedText(const QString &memberName);
    QString sessionKey() const { return m_session; }
    QString loginFrameAddress() const { return m_frameAddress; }

    // `_ProcessPanel2` as far as the login uses it.
    bool progressShown() const { return m_progressShown; }
    QString progressCaption() const { return m_progressCaption; }
    // `_PanelWebBrowser1`: in front of the other controls or behind them, its
    // height and that of `_WebBrowser`.
    bool browserPanelInFront() const { return m_panelInFront; }
    int panelHeight() const { return m_panelHeight; }
    int browserHeight() const { return m_browserHeight; }

    // The marker searches, on the page as sent and on the engine's DOM text.
    static QString loginFrameIn(const QString &html);
    // The text between <PRE> and the following </PRE>; the whole text when it has no <PRE>.
    static QString resultText(const QString &html);

Q_SIGNALS:
    void changed();
    void sessionKeyChanged(const QString &sessionKey);
    void clearCancelFlag(); // the job host's cancel flag
    void focusUsers();
    void centreBrowserPanel();
    void clearTargetList();  // `_RzListViewTo`
    void reloadTargetList(); // `GetData_TB_Object` of the current account
private:
    // The account of the login under way, as read when it started.
    const LoginAccount &account() const { return m_current; }
    void debug(const QString &text);
    void showProgress(const QString &caption);
    void hideProgress();
    void setPanel(bool inFront, int panelHeight, int browserHeight);
    void setSession(const QString &key);
    void finishLogin();
    void noNetwork();

    Interaction &m_ui;
    Browser &m_frame;
    Browser &m_browser;
    LoginHosts m_hosts;
    std::function<LoginAccount()> m_account;
    LoginAccount m_current;
    bool m_submitted = false; // the form of this login has been submitted
    Failure m_failure = Failure::None;
    std::function<bool()> m_busy;
    std::function<bool()> m_debugVisible;
    std::function<void(const QString &)> m_addDebug;
    bool m_checkLogin = false;

    bool m_loggedIn = false;
    bool m_usersEnabled = true;
    bool m_commandsEnabled = false;
    bool m_updatePriceEnabled = false;
    bool m_userGrade = false;
    bool m_refused = false;
    QString m_session;
    QString m_frameAddress;
    bool m_progressShown = false;
    QString m_progressCaption;
    bool m_panelInFront = false;
    int m_panelHeight = NormalPanelHeight;
    int m_browserHeight = NormalBrowserHeight;
};
