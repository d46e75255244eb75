#include "shop/ui/WebEngineBrowser.h"

#include <QUrl>
#include <QWebEngineCookieStore>
#include <QWebEngineLoadingInfo>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineView>

namespace {

// Chromium's net::ERR_ABORTED: the load gave way to another navigation.
constexpr int abortedError = -3;

QString escapedHtml(const QString &text)
{
    return text.toHtmlEscaped();
}

} // namespace

QWebEngineProfile *WebEngineBrowser::newProfile(QObject *parent)
{
    // A profile without a storage name keeps everything in memory.
    auto *profile = new QWebEngineProfile(parent);
    profile->setHttpCacheType(QWebEngineProfile::MemoryHttpCache);
    profile->setPersistentCookiesPolicy(QWebEngineProfile::NoPersistentCookies);
    return profile;
}

WebEngineBrowser::WebEngineBrowser(QWebEngineProfile *profile, QObject *parent)
    : QObject(parent), m_profile(profile), m_page(new QWebEnginePage(profile, this))
{
    connect(m_page, &QWebEnginePage::loadingChanged, this, &WebEngineBrowser::loadingChanged);
}

WebEngineBrowser::~WebEngineBrowser()
{
    // The page goes before its profile and apart from a view that outlives it.
    if (m_view)
        m_view->setPage(nullptr);
    delete m_page;
}

QWebEngineView *WebEngineBrowser::view(QWidget *parent)
{
    if (!m_view) {
        m_view = new QWebEngineView(parent);
        m_view->setPage(m_page);
    }
    return m_view;
}

void WebEngineBrowser::navigate(const QString &address)
{
    m_page->load(QUrl(address));
}

void WebEngineBrowser::loadingChanged(const QWebEngineLoadingInfo &info)
{
    const QString address = info.url().toString();
    switch (info.status()) {
    case QWebEngineLoadingInfo::LoadStartedStatus:
        ++m_load;
        m_failed = false;
        return;
    case QWebEngineLoadingInfo::LoadStoppedStatus:
        return;
    case QWebEngineLoadingInfo::LoadSucceededStatus:
        // The engine's own error page loads as a success of the failed address.
        if (info.isErrorPage())
            failed(address, info.errorString());
        else
            readDocument(address);
        return;
    case QWebEngineLoadingInfo::LoadFailedStatus:
        if (info.errorCode() == abortedError && info.errorDomain() != QWebEngineLoadingInfo::HttpErrorDomain)
            return;
        if (!info.isErrorPage() && info.errorDomain() == QWebEngineLoadingInfo::HttpErrorDomain) {
            // The server answered: its page is the document.
            readDocument(address);
            return;
        }
        failed(address, info.errorString());
        return;
    }
}

void WebEngineBrowser::readDocument(const QString &address)
{
    const quint64 load = m_load;
    QPointer<WebEngineBrowser> self(this);
    m_page->toHtml([self, load, address](const QString &html) {
        if (!self || self->m_load != load)
            return;
        self->m_page->runJavaScript(
            QStringLiteral("document.body ? document.body.outerHTML : ''"),
            [self, load, address, html](const QVariant &body) {
                if (!self || self->m_load != load)
                    return;
                self->documentComplete({address, html, body.toString()});
            });
    });
}

void WebEngineBrowser::failed(const QString &address, const QString &reason)
{
    if (m_failed) // reported once per load
        return;
    m_failed = true;
    const QString body = QStringLiteral("<body><h1>无法显示此页</h1><p>") + escapedHtml(address) +
                         QStringLiteral("</p><p>") + escapedHtml(reason) + QStringLiteral("</p><p>") +
                         unreachableMarker() + QStringLiteral("</p><ul><li>检查网络连接</li></ul></body>");
    documentComplete({address, QStringLiteral("<html>") + body + QStringLiteral("</html>"), body});
}

void WebEngineBrowser::run(const QString &script)
{
    m_page->runJavaScript(script);
}

QString WebEngineBrowser::javaScriptString(const QString &text)
{
    QString literal = QStringLiteral("\"");
    for (const QChar c : text) {
        const ushort u = c.unicode();
        if ((u >= 'a' && u <= 'z') || (u >= 'A' && u <= 'Z') || (u >= '0' && u <= '9') || u == ' ')
            literal += c;
        else
            literal += QStringLiteral("\\u%1").arg(u, 4, 16, QLatin1Char('0'));
    }
    return literal + QLatin1Char('"');
}

namespace {

// The first element of that name, else the one of that id.
QString elementNamed(const QString &name)
{
    const QString n = WebEngineBrowser::javaScriptString(name);
    return QStringLiteral("(document.getElementsByName(%1)[0] || document.getElementById(%1))").arg(n);
}

} // namespace

void WebEngineBrowser::setFieldValue(const QString &name, const QString &value)
{
    run(QStringLiteral("(function(){var e=%1; if (e) e.value=%2;})();")
            .arg(elementNamed(name), javaScriptString(value)));
}

void WebEngineBrowser::checkAndClick(const QString &name)
{
    run(QStringLiteral("(function(){var e=%1; if (e) { e.setAttribute('checked', 'true'); e.click(); }})();")
            .arg(elementNamed(name)));
}

void WebEngineBrowser::clickById(const QString &id)
{
    run(QStringLiteral("(function(){var e=document.getElementById(%1); if (e) e.click();})();")
            .arg(javaScriptString(id)));
}

void WebEngineBrowser::clearCookies()
{
    m_profile->cookieStore()->deleteAllCookies();
}
