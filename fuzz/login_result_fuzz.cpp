// The login's readers of the pages that come back: the authorization
// container's page in the hidden frame and the result page of the login in
// the visible browser. Any page is read or refused with a message, and never
// crashes; no page is ever fetched.

#include "base/Browser.h"
#include "base/Interaction.h"
#include "shop/Login.h"
#include "top/Endpoints.h"

#include <QCoreApplication>

#include <cstddef>
#include <cstdint>

namespace {

// A browser that goes nowhere: the harness hands it its pages.
class StillBrowser : public Browser
{
public:
    void navigate(const QString &) override {}
    void setFieldValue(const QString &, const QString &) override {}
    void checkAndClick(const QString &) override {}
    void clickById(const QString &) override {}
    void clearCookies() override {}
    void complete(const Page &page) { documentComplete(page); }
};

ScriptedInteraction *ui = nullptr;

} // namespace

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    static QCoreApplication app(*argc, *argv);
    ui = new ScriptedInteraction;
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString html = QString::fromUtf8(reinterpret_cast<const char *>(data), qsizetype(size));
    // the hosts of the stand-in on port 8765, where the seed pages were taken
    static const LoginHosts hosts =
        LoginHosts::from(TopEndpoints::onSandbox(QStringLiteral("http://127.0.0.1:8765")), QStringLiteral("12345678"));

    StillBrowser frame, browser;
    ShopLogin login(*ui, frame, browser, hosts);
    login.setAccountSource([] { return LoginAccount{QStringLiteral("店主"), QStringLiteral("secret")}; });
    login.LoginClick();
    // the container's first page, then the result page at the container
    frame.complete({hosts.authorizationAddress, html, html});
    browser.complete({hosts.container + QStringLiteral("?code=1"), html, html});
    (void)ShopLogin::loginFrameIn(html);
    (void)ShopLogin::resultText(html);
    (void)login.sessionKey();
    ui->clear();
    return 0;
}
