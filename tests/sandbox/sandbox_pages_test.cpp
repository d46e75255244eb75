// The stand-in's login and authorization pages, walked over HTTP as a browser
// walks them: each host with its own cookies, redirects followed by hand.
#include "SandboxClient.h"
#include "TopSandbox.h"

#include <QHash>
#include <QRegularExpression>
#include <QTest>
#include <QUrl>

using namespace sandboxtest;
using topsandbox::TopSandbox;

namespace {

const QString seller = QStringLiteral("sandbox_c_1");
const QString supplier = QStringLiteral("sandbox_c_2");
const QString tmall = QStringLiteral("sandbox_b_01");
const QString iframeMarker =
    QStringLiteral("<iframe frameborder=\"0\" width=400 scrolling=no allowtransparency=\"true\" src=\"");

struct Page
{
    int status = -1;
    QString url;
    QString html;
};

// A browser without script: one cookie jar per host, 302 followed.
struct Walker
{
    QHash<QString, QHash<QString, QString>> jar; // host:port -> cookies

    Page go(const QString &address, const httplib::Params &form = {}, bool post = false)
    {
        Page p;
        QUrl url(address);
        for (int hop = 0; hop < 5; ++hop) {
            const QString origin = url.host() + QLatin1Char(':') + QString::number(url.port());
            httplib::Client http(url.host().toStdString(), url.port());
            http.set_read_timeout(5, 0);
            QStringList cookies;
            for (auto it = jar[origin].cbegin(); it != jar[origin].cend(); ++it)
                cookies << it.key() + QLatin1Char('=') + it.value();
            httplib::Headers headers;
            if (!cookies.isEmpty())
                headers.emplace("Cookie", cookies.join(QStringLiteral("; ")).toStdString());
            const std::string target = url.path(QUrl::FullyEncoded).toStdString() +
                                       (url.hasQuery() ? "?" + url.query(QUrl::FullyEncoded).toStdString() : "");
            auto res = post ? http.Post(target, headers, form) : http.Get(target, headers);
            p.url = url.toString();
            if (!res)
                return p;
            p.status = res->status;
            for (const auto &h : res->headers)
                if (h.first == "Set-Cookie") {
                    const QString c = QString::fromStdString(h.second).section(QLatin1Char(';'), 0, 0);
                    jar[origin].insert(c.section(QLatin1Char('='), 0, 0), c.section(QLatin1Char('='), 1));
                }
            if (res->status != 302) {
                p.html = QString::fromUtf8(res->body);
                return p;
            }
            url = url.resolved(QUrl(QString::fromStdString(res->get_header_value("Location"))));
            post = false;
        }
        return p;
    }

    // The container page's login frame, its form submitted with the password.
    Page login(const QString &containerAddress, const QString &nick, const QString &password)
    {
        const Page container = go(containerAddress);
        const QString src = frameSource(container.html);
        if (src.isEmpty())
            return container;
        const Page form = go(src);
        return submit(form, nick, password);
    }

    Page submit(const Page &form, const QString &nick, const QString &password, const QString &code = QString())
    {
        httplib::Params fields{{"TPL_username", nick.toStdString()},
                               {"TPL_password", password.toStdString()},
                               {"redirect_url", hiddenValue(form.html, "redirect_url").toStdString()},
                               {"TPL_failures", hiddenValue(form.html, "TPL_failures").toStdString()}};
        if (!code.isEmpty())
            fields.emplace("TPL_checkcode", code.toStdString());
        return go(form.url, fields, true);
    }

    static QString frameSource(const QString &html)
    {
        const int at = html.indexOf(iframeMarker);
        if (at < 0)
            return QString();
        const int from = at + iframeMarker.size();
        return html.mid(from, html.indexOf(QStringLiteral("\"></iframe>"), from) - from);
    }
    static QString hiddenValue(const QString &html, const char *name)
    {
        const QRegularExpression re(QStringLiteral("name=\"%1\" value=\"([^\"]*)\"").arg(QLatin1String(name)));
        return QUrl::fromPercentEncoding(re.match(html).captured(1).replace(QStringLiteral("&amp;"), QStringLiteral("&")).toUtf8());
    }
};

QString sessionOf(const QString &html)
{
    const QRegularExpression re(QStringLiteral("<PRE>top_appkey=21770501&top_parameters=[^&]+&top_session=([^&]+)"
                                               "&top_sign=[^&<]+</PRE>"));
    return re.match(html).captured(1);
}

} // namespace

class SandboxPagesTest : public QObject
{
    Q_OBJECT

    TopSandbox sandbox;
    QString container;

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(sandbox.loadFixture(QStringLiteral(SANDBOX_FIXTURE)));
        sandbox.setClock([] { return QDateTime::fromString(fixedTime, QStringLiteral("yyyy-MM-dd HH:mm:ss")); });
        QVERIFY(sandbox.start(0) > 0);
        container = sandbox.containerUrl() + QStringLiteral("?appkey=21770501");
    }

    // Three hosts of their own, each serving only its own pages.
    void hostsAreDistinct()
    {
        QVERIFY(sandbox.hasDistinctPageHosts());
        const QString port = QString::number(sandbox.port());
        QCOMPARE(sandbox.containerUrl(), QStringLiteral("http://127.0.0.2:%1/container").arg(port));
        QCOMPARE(sandbox.openContainerUrl(), QStringLiteral("http://127.0.0.3:%1/container").arg(port));
        QCOMPARE(sandbox.loginPageUrl(), QStringLiteral("http://127.0.0.4:%1/member/login.jhtml").arg(port));
        Walker w;
        QCOMPARE(w.go(QStringLiteral("http://127.0.0.4:%1/container?appkey=21770501").arg(port)).status, 404);
        QCOMPARE(w.go(sandbox.containerUrl().replace(QStringLiteral("/container"), QStringLiteral("/member/login.jhtml")))
                     .status,
                 404);
        QCOMPARE(w.go(sandbox.openPlatformUrl()).status, 200);
    }

    // The seller has authorized the built-in key: container, login frame, form,
    // result page, and the key works; prices need the short authorization.
    void sellerLogsInAndShortAuthorizationAddsPrices()
    {
        Walker w;
        const Page c = w.go(container);
        const QString src = Walker::frameSource(c.html);
        QVERIFY2(src.startsWith(sandbox.loginPageUrl() + QStringLiteral("?redirect_url=")), qPrintable(c.html));
        QVERIFY(!src.contains(QLatin1Char('&')));
        const Page form = w.go(src);
        for (const char *id : {"name=\"TPL_username\"", "name=\"TPL_password\"", "id=\"J_SafeLoginCheck\"",
                               "id=\"J_SubmitStatic\""})
            QVERIFY2(form.html.contains(QLatin1String(id)), id);
        const Page result = w.submit(form, seller, QStringLiteral("taobao1234"));
        QVERIFY2(result.url.startsWith(sandbox.containerUrl()), qPrintable(result.url));
        const QString key = sessionOf(result.html);
        QVERIFY2(!key.isEmpty(), qPrintable(result.html));
        QCOMPARE(key, sandbox.lastIssuedSession());
        QVERIFY(!result.html.contains(QStringLiteral("您授权后，此应用可以")));

        Client api(sandbox.port());
        const QByteArray read = api.call(QStringLiteral("taobao.items.onsale.get"),
                                         {{"fields", "num_iid"}, {"page_no", "1"}, {"page_size", "40"}}, key);
        QCOMPARE(errorCode(read), 0);
        const QByteArray price =
            api.call(QStringLiteral("taobao.item.price.update"), {{"num_iid", "610000003006"}, {"price", "32.50"}}, key);
        QVERIFY2(price.contains("Insufficient session permissions"), price.constData());

        // The short authorization: the container again, logged in by its cookie.
        const Page shortAuth = w.go(container + QStringLiteral("&scope=item,usergrade"));
        const QString priced = sessionOf(shortAuth.html);
        QVERIFY2(!priced.isEmpty() && priced != key, qPrintable(shortAuth.html));
        QCOMPARE(errorCode(api.call(QStringLiteral("taobao.item.price.update"),
                                    {{"num_iid", "610000003006"}, {"price", "32.50"}}, priced)),
                 0);
        QVERIFY(!sandbox.sessionMayChangePrices(key));
    }

    // A rejected password shows the form again; the second rejection asks for
    // a captcha, and the right password with the code lets the member in.
    void rejectedPasswordThenCaptcha()
    {
        Walker w;
        const Page first = w.login(container, seller, QStringLiteral("wrong"));
        QVERIFY(first.html.contains(QStringLiteral("您输入的密码和账户名不匹配")));
        QVERIFY(first.html.contains(QStringLiteral("id=\"J_SubmitStatic\"")));
        QVERIFY(!first.html.contains(QStringLiteral("为了您的账号安全，请输入验证码")));
        const Page second = w.submit(first, seller, QStringLiteral("wrong"));
        QVERIFY(second.html.contains(QStringLiteral("为了您的账号安全，请输入验证码")));
        const Page noCode = w.submit(second, seller, QStringLiteral("taobao1234"));
        QVERIFY(noCode.html.contains(QStringLiteral("为了您的账号安全，请输入验证码")));
        QVERIFY(!sessionOf(w.submit(noCode, seller, QStringLiteral("taobao1234"), QStringLiteral("8341")).html)
                     .isEmpty());
    }

    // First login of a supplier: consent once, then straight to the result.
    // A fixture's phone check and captcha come before.
    void consentPhoneCheckAndCaptcha()
    {
        sandbox.modify([](topsandbox::ShopModel &m) {
            m.shopByNick(QStringLiteral("sandbox_c_2"))->phoneCheck = true;
            m.shopByNick(QStringLiteral("sandbox_c_2"))->captcha = true;
        });
        Walker w;
        const Page captcha = w.login(container, supplier, QStringLiteral("taobao1234"));
        QVERIFY(captcha.html.contains(QStringLiteral("为了您的账号安全，请输入验证码")));
        const Page phone = w.submit(captcha, supplier, QStringLiteral("taobao1234"), QStringLiteral("8341"));
        for (const char *word : {"手机有效性", "二次验证", "安全验证"})
            QVERIFY2(phone.html.contains(QString::fromUtf8(word)), word);
        const Page consent = w.go(sandbox.containerUrl() + QStringLiteral("/phone"),
                                  {{"appkey", "21770501"}, {"scope", ""}, {"phone_code", "246810"}}, true);
        QVERIFY2(consent.html.contains(QStringLiteral("您授权后，此应用可以")), qPrintable(consent.html));
        QVERIFY(sessionOf(consent.html).isEmpty());
        const Page result = w.go(sandbox.containerUrl() + QStringLiteral("/authorize"),
                                 {{"appkey", "21770501"}, {"scope", ""}}, true);
        QVERIFY(!sessionOf(result.html).isEmpty());

        sandbox.modify([](topsandbox::ShopModel &m) {
            m.shopByNick(QStringLiteral("sandbox_c_2"))->phoneCheck = false;
            m.shopByNick(QStringLiteral("sandbox_c_2"))->captcha = false;
        });
        Walker again;
        QVERIFY(!sessionOf(again.login(container, supplier, QStringLiteral("taobao1234")).html).isEmpty());
    }

    // Error pages: a key the member may not use, an unknown key (no login
    // frame), and a key without shop management sent to the open container.
    void errorsAndTheOpenContainer()
    {
        sandbox.modify([](topsandbox::ShopModel &m) {
            m.shopByNick(QStringLiteral("sandbox_b_01"))->forbiddenApps = {QStringLiteral("21770501")};
        });
        Walker w;
        const Page forbidden = w.login(container, tmall, QStringLiteral("taobao1234"));
        QVERIFY(forbidden.html.contains(QStringLiteral("error_description")));
        QVERIFY(forbidden.html.contains(QStringLiteral("此应用不允许当前用户访问")));
        QVERIFY(!forbidden.html.contains(QStringLiteral("<PRE>")));

        const Page unknown = w.go(sandbox.containerUrl() + QStringLiteral("?appkey=12345678"));
        QVERIFY(unknown.html.contains(QStringLiteral("error_description")));
        QVERIFY(!unknown.html.contains(iframeMarker));

        sandbox.setAppManagesShops(QStringLiteral("21770501"), false);
        Walker o;
        const Page open = o.login(container, seller, QStringLiteral("taobao1234"));
        sandbox.setAppManagesShops(QStringLiteral("21770501"), true);
        QVERIFY2(open.url.startsWith(sandbox.openContainerUrl() + QStringLiteral("?appkey=21770501")),
                 qPrintable(open.url));
        QVERIFY(!sessionOf(open.html).isEmpty());
    }
};

QTEST_GUILESS_MAIN(SandboxPagesTest)
#include "sandbox_pages_test.moc"
