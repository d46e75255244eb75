#pragma once

#include <QString>

#include <functional>

// An embedded web browser, as far as the shop login drives one. The widget
// implementation wraps a web engine view; tests script pages.
//
// A completed document is handed over with its texts already read, so that the
// login works on it synchronously. An address that cannot be reached completes
// as the browser's own error page, whose HTML holds unreachableMarker().
class Browser
{
public:
    struct Page
    {
        QString address;  // the document's address
        QString html;     // the document's HTML: as the server sent it where the engine
                          // allows it, otherwise the engine's serialisation of the DOM
        QString bodyHtml; // the outer HTML of the document's body
    };
    using CompleteHandler = std::function<void(const Page &page)>;

    virtual ~Browser() = default;

    virtual void navigate(const QString &address) = 0;
    // The handler is called once per completed top-level document.
    void onDocumentComplete(CompleteHandler handler) { m_complete = std::move(handler); }

    // The value of the first form field of that name (or id).
    virtual void setFieldValue(const QString &name, const QString &value) = 0;
    // Sets the attribute "checked" of the element of that name (or id) to true, then clicks it.
    virtual void checkAndClick(const QString &name) = 0;
    // Clicks the element with that id.
    virtual void clickById(const QString &id) = 0;
    // Ends the browser session: no cookie of an earlier login survives. The
    // navigations that follow see the cleared store.
    virtual void clearCookies() = 0;

    static QString unreachableMarker() { return QStringLiteral("您可以尝试以下操作:"); }

protected:
    void documentComplete(const Page &page)
    {
        if (m_complete)
            m_complete(page);
    }

private:
    CompleteHandler m_complete;
};
