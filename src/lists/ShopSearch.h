#pragma once

#include "top/Endpoints.h"

#include <QByteArray>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>

class Interaction;
class QTimer;
class TWinHTTP;

// A shop's own search on the marketplace's web site, read page after page
// for item links. One page request at a time; the next page is asked for by
// the timer after the previous one has been read. Messages and the final
// question go through the interaction; the links collected, the progress
// panel and the debug lines are reported by signal for the dialog to show.
class ShopSearch : public QObject
{
    Q_OBJECT
public:
    // The shop types, in the order of the type box.
    enum Type { NormalShop = 0, OldShop = 1, TmallMall = 2, NewNormalShop = 3, TmallShop = 4 };
    static QStringList typeCaptions();
    static bool isTmall(int type) { return type == TmallMall || type == TmallShop; }

    // The text in GB18030 (GBK for every character GBK has), byte by byte:
    // ! $ ' ( ) * - . 0-9 @ A-Z _ a-z stay, a blank becomes "+", every other
    // byte "%" and two upper-case hexadecimal digits.
    static QByteArray URLEncode(const QString &text);

    struct Request
    {
        QString address;
        QByteArray body;
    };
    // The first request of a search and the request for a later page (k: the keyword, encoded).
    static Request firstRequest(int type, const QString &shop, const QByteArray &k);
    static Request pageRequest(int type, const QString &shop, const QByteArray &k, int page);

    ShopSearch(Interaction &ui, const TopEndpoints &hosts, QObject *parent = nullptr);
    ~ShopSearch() override;

    // The message for a shop address that does not fit the type; empty when it fits.
    QString addressError(int type, const QString &shop) const;

    // Starts a search (the address and keyword trimmed); the address must
    // fit the type, else its message is shown and false returned.
    bool start(int type, const QString &shop, const QString &keyword);
    // Stops the timer and ignores what arrives; the links stay.
    void cancel();
    // Stops the timer (the dialog closes).
    void stop();

    bool panelShown() const { return m_panelShown; }
    QString caption() const { return m_caption; }
    const QStringList &links() const { return m_links; }
    int total() const { return m_total; }
    int pageCount() const { return m_pageCount; }
    int currentPage() const { return m_currentPage; }
    QString pageInfo() const { return m_pageInfo; }
    // The item-page prefix of a type (PM for the Tmall types, else PT).
    QString prefixOf(int type) const;

    // One page request (address, form body).
    void ProcessURL(const QString &address, const QByteArray &body);
    // The page readers; each returns after it has asked for the next page,
    // finished or stopped with a message.
    void ProcessURL_HTML(const QString &page);
    void ProcessURL_HTML_OLD(const QString &page);
    void ProcessURL_HTML2(const QString &page);

Q_SIGNALS:
    void panelChanged(bool shown, const QString &caption);
    void linksChanged(const QStringList &links);
    void debugLine(const QString &text);
    // The user asked for the links to go into the list at once.
    void addConfirmed();
    // The search is over: finished, stopped by a message, cancelled or failed.
    void ended();

private:
    enum class Read { NextPage, Finish, Stopped };
    void showPanel(const QString &caption);
    void hidePanel();
    void newComponent();
    void nextPage();
    void pageDone(const QString &contentType, const QByteArray &body);
    void pageFailed();
    // Adds the links of region r found by marker m up to end e; false when m is not in r.
    bool collect(const QString &r, const QString &m, const QString &e, const QString &p);
    void finish(int count);
    bool readNumber(const QString &text, int *value);
    QString region(const QString &page) const;

    Interaction &m_ui;
    TopEndpoints m_hosts;
    QPointer<TWinHTTP> m_http;
    QTimer *m_timer = nullptr;

    int m_type = 0;
    QString m_shop;
    QByteArray m_k;
    int m_total = 0;
    int m_pageCount = 0;
    int m_currentPage = 0;
    QString m_pageInfo;
    bool m_cancel = false;
    bool m_panelShown = false;
    QString m_caption;
    QStringList m_links;
};
