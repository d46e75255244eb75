#include "lists/ShopSearch.h"

#include "base/Clock.h"
#include "base/Interaction.h"
#include "base/TextRoutines.h"
#include "lists/ItemLists.h"
#include "top/TopClient.h"
#include "top/WinHTTP.h"

#include <QStringDecoder>
#include <QStringEncoder>
#include <QTimer>

namespace {

const QChar Q = QLatin1Char('"');

// More result pages than any shop search shows.
constexpr double kMostPages = 100000;

QString markerA(const QString &p)
{
    return QStringLiteral("<a target=") + Q + QStringLiteral("_blank") + Q + QStringLiteral(" href=") + Q + p;
}
QString markerB(const QString &p)
{
    return QStringLiteral("<a class=") + Q + QStringLiteral("item-name") + Q + QStringLiteral(" href=") + Q + p;
}
QString markerC(const QString &p)
{
    return QStringLiteral("href=") + Q + p;
}

QString zeroFound()
{
    return QStringLiteral("完成搜索,共搜索到 0 个符合条件的商品.\r\n（友情提示：请注意检查选择店铺类型是否正确）");
}

constexpr int kOldShopPageSize = 20;
constexpr int kPageInterval = 200;

} // namespace

QStringList ShopSearch::typeCaptions()
{
    return {QStringLiteral("普通C店"), QStringLiteral("旧版C店"), QStringLiteral("天猫商城"),
            QStringLiteral("普通C店(新版旺铺)"), QStringLiteral("天猫商城(旺铺)")};
}

QByteArray ShopSearch::URLEncode(const QString &text)
{
    QStringEncoder gbk("GB18030");
    const QByteArray bytes = gbk.isValid() ? QByteArray(gbk.encode(text)) : text.toUtf8();
    static const char hex[] = "0123456789ABCDEF";
    QByteArray out;
    for (const char ch : bytes) {
        const auto b = static_cast<unsigned char>(ch);
        if ((b >= '0' && b <= '9') || (b >= 'A' && b <= 'Z') || (b >= 'a' && b <= 'z') ||
            QByteArrayView("!$'()*-.@_").contains(ch)) {
            out += ch;
        } else if (b == ' ') {
            out += '+';
        } else {
            out += '%';
            out += hex[b >> 4];
            out += hex[b & 15];
        }
    }
    return out;
}

ShopSearch::Request ShopSearch::firstRequest(int type, const QString &shop, const QByteArray &k)
{
    switch (type) {
    case OldShop:
        return {shop + QStringLiteral("/?"),
                "pageNum=1&catId=null&categoryName=null&encodeCategoriesName=y&price1=&price2=&searchWord=" +
                    (k.isEmpty() ? QByteArray("null") : k) + "&order=null&queryType=all&browseType=list"};
    case TmallShop:
        return {shop + QStringLiteral("/search.htm"),
                "orderType=hotsell_desc&viewType=list&keyword=" + k + "&lowPrice=&highPrice="};
    default:
        return {shop + QStringLiteral("/search.htm"),
                "orderType=_hotsell&viewType=grid&baobei_type=&keyword=" + k + "&price1=&price2="};
    }
}

ShopSearch::Request ShopSearch::pageRequest(int type, const QString &shop, const QByteArray &k, int page)
{
    const QByteArray p = QByteArray::number(page);
    switch (type) {
    case OldShop:
        return {shop + QStringLiteral("/?"), "pageNum=" + p +
                                                 "&catId=null&categoryName=null&encodeCategoriesName=y&price1=&price2="
                                                 "&searchWord=" +
                                                 (k.isEmpty() ? QByteArray("null") : k) +
                                                 "&order=null&queryType=all&browseType=list"};
    case NewNormalShop:
        return {shop + QStringLiteral("/search.htm"),
                "search=y&keyword=" + k + "&viewType=grid&orderType=_hotsell&pageNo=" + p};
    case TmallShop:
        return {shop + QStringLiteral("/search.htm"),
                "search=y&orderType=hotsell_desc&viewType=list&keyword=" + k + "&pageNo=" + p + "&tsearch=y#anchor"};
    default:
        return {shop + QStringLiteral("/search.htm"),
                "search=y&keyword=" + k + "&viewType=grid&orderType=_hotsell&pageNum=" + p};
    }
}

ShopSearch::ShopSearch(Interaction &ui, const TopEndpoints &hosts, QObject *parent)
    : QObject(parent), m_ui(ui), m_hosts(hosts), m_timer(new QTimer(this))
{
    m_timer->setSingleShot(true);
    connect(m_timer, &QTimer::timeout, this, &ShopSearch::nextPage);
    newComponent();
}

ShopSearch::~ShopSearch()
{
    if (m_http)
        m_http->release();
}

void ShopSearch::newComponent()
{
    if (m_http)
        m_http->release();
    m_http = new TWinHTTP(this);
    m_http->setAcceptTypes(QStringLiteral("*/*"));
    m_http->setAgent(TWinHTTP::browserAgent());
    connect(m_http, &TWinHTTP::OnDone, this,
            [this](const QString &type, qint64, const QByteArray &body) { pageDone(type, body); });
    connect(m_http, &TWinHTTP::OnAnyError, this, [this](const QString &) { pageFailed(); });
}

QString ShopSearch::prefixOf(int type) const
{
    return isTmall(type) ? m_hosts.tmallItemPageOf(QString()) : m_hosts.itemPageOf(QString());
}

QString ShopSearch::addressError(int type, const QString &shop) const
{
    const QString s = TrimText(shop).toLower();
    if (isTmall(type)) {
        if (m_hosts.tmallDomain.isEmpty() || !s.contains(m_hosts.tmallDomain.toLower()))
            return QStringLiteral("请输入正确的天猫商城店铺地址.(格式 http://xxxx.") + m_hosts.tmallDomain +
                   QStringLiteral(")");
    } else if (m_hosts.taobaoDomain.isEmpty() || !s.contains(m_hosts.taobaoDomain.toLower())) {
        return QStringLiteral("请输入正确的淘宝C店店铺地址.");
    }
    return {};
}

bool ShopSearch::start(int type, const QString &shop, const QString &keyword)
{
    const QString error = addressError(type, shop);
    if (!error.isEmpty()) {
        m_ui.warn(error);
        return false;
    }
    m_timer->stop();
    // a page of an earlier search may still be on its way: it is dropped with its component
    if (m_http && m_http->busy())
        newComponent();
    m_type = type;
    m_shop = TrimText(shop);
    m_k = URLEncode(TrimText(keyword));
    m_cancel = false;
    m_total = m_pageCount = m_currentPage = 0;
    m_pageInfo.clear();
    showPanel(QStringLiteral("正在搜索中..."));
    m_links.clear();
    Q_EMIT linksChanged(m_links);
    const Request r = firstRequest(type, m_shop, m_k);
    ProcessURL(r.address, r.body);
    return true;
}

void ShopSearch::cancel()
{
    m_timer->stop();
    m_cancel = true;
    hidePanel();
    Q_EMIT ended();
}

void ShopSearch::stop()
{
    m_timer->stop();
    m_cancel = true;
}

void ShopSearch::showPanel(const QString &caption)
{
    m_panelShown = true;
    m_caption = caption;
    Q_EMIT panelChanged(true, caption);
}

void ShopSearch::hidePanel()
{
    m_panelShown = false;
    Q_EMIT panelChanged(false, m_caption);
}

void ShopSearch::ProcessURL(const QString &address, const QByteArray &body)
{
    Q_EMIT debugLine(address + QStringLiteral("\r\n") + QString::fromLatin1(body));
    m_http->setURL(address);
    m_http->setPOSTData(body);
    m_http->setReferer(m_type == OldShop ? QString::fromLatin1(body) : QString());
    if (!m_http->Start()) {
        m_ui.message(Interaction::errorCaption(), QStringLiteral("请求未能开始.processurl"), Interaction::Icon::Error);
        hidePanel();
        Q_EMIT ended();
    }
}

void ShopSearch::nextPage()
{
    m_timer->stop();
    if (m_cancel)
        return;
    const Request r = pageRequest(m_type, m_shop, m_k, m_currentPage);
    ProcessURL(r.address, r.body);
}

void ShopSearch::pageDone(const QString &contentType, const QByteArray &body)
{
    if (m_cancel)
        return;
    // shop pages come in GBK; a page that names UTF-8 as its charset is read as such
    QString page;
    if (contentType.contains(QStringLiteral("utf-8"), Qt::CaseInsensitive)) {
        page = QString::fromUtf8(body);
    } else {
        QStringDecoder gbk("GB18030");
        page = gbk.isValid() ? QString(gbk.decode(body)) : QString::fromLatin1(body);
    }
    Q_EMIT debugLine(page);
    switch (m_type) {
    case OldShop:
        ProcessURL_HTML_OLD(page);
        break;
    case TmallShop:
        ProcessURL_HTML2(page);
        break;
    default:
        ProcessURL_HTML(page);
        break;
    }
}

void ShopSearch::pageFailed()
{
    hidePanel();
    m_timer->stop();
    m_ui.error(QStringLiteral("网络通讯错误,请稍候重试."));
    newComponent();
    Q_EMIT ended();
}

QString ShopSearch::region(const QString &page) const
{
    const QString start = QStringLiteral("展开或者收缩");
    QString r = GetBetween(page, start, QStringLiteral("<form id=") + Q + QStringLiteral("J_Pagination") + Q);
    if (r.isEmpty())
        r = GetBetween(page, start, QStringLiteral("class=") + Q + QStringLiteral("J_SearchAsync next") + Q);
    if (r.isEmpty())
        r = GetBetween(page, start, QStringLiteral("<a class=") + Q + QStringLiteral("disable") + Q +
                                        QStringLiteral(">下一页</a>"));
    return r;
}

bool ShopSearch::readNumber(const QString &text, int *value)
{
    const QString t = TrimText(text);
    if (t.isEmpty()) {
        *value = 0;
        return true;
    }
    bool ok = false;
    *value = t.toInt(&ok);
    if (!ok) {
        // the panel stays until the user cancels it
        m_ui.message(Interaction::errorCaption(), Q + t + Q + QStringLiteral(" 不是有效的整数.\r\n"),
                     Interaction::Icon::Error);
        Q_EMIT ended();
    }
    return ok;
}

bool ShopSearch::collect(const QString &r, const QString &m, const QString &e, const QString &p)
{
    if (!r.contains(m))
        return false;
    const qsizetype before = m_links.size();
    qsizetype from = 0;
    for (;;) {
        const qsizetype at = r.indexOf(m, from);
        if (at < 0)
            break;
        const qsizetype idStart = at + m.size();
        const qsizetype end = r.indexOf(e, idStart);
        if (end < 0)
            break;
        // only an item id makes a link; anything else between the markers is passed over
        const QString id = r.mid(idStart, end - idStart);
        const QString link = p + id;
        if (!ItemLists::NormalItemId(id).isEmpty() && id == TrimText(id) && !m_links.contains(link, Qt::CaseInsensitive))
            m_links << link;
        from = end + e.size();
    }
    if (m_links.size() != before)
        Q_EMIT linksChanged(m_links);
    return true;
}

void ShopSearch::ProcessURL_HTML(const QString &page)
{
    const QString p = prefixOf(m_type);
    const QString m = m_type == NewNormalShop ? markerB(p) : markerA(p);
    const QString e = m_type == NewNormalShop ? QString(Q) : QStringLiteral("&");
    const QString r = region(page);
    m_pageInfo = GetBetween(r, QStringLiteral("<span class=") + Q + QStringLiteral("page-info") + Q + QLatin1Char('>'),
                            QStringLiteral("</span>"));
    if (m_total == 0) {
        if (!readNumber(GetBetween(r, QStringLiteral("共搜索到<span>"), QStringLiteral("</span>个符合条件的商品")),
                        &m_total))
            return;
        const qsizetype slash = m_pageInfo.indexOf(QLatin1Char('/'));
        const QString pages = slash < 0 ? m_pageInfo : m_pageInfo.mid(slash + 1);
        if (TrimText(pages).isEmpty())
            m_pageCount = 1;
        else if (!readNumber(pages, &m_pageCount))
            return;
        m_currentPage = 1;
    }
    if (m_total == 0) {
        m_ui.info(zeroFound());
        hidePanel();
        Q_EMIT ended();
        return;
    }
    const auto caption = [this]() -> QString {
        return QStringLiteral("正在搜索中...(") + QString::number(m_links.size()) + QLatin1Char('/') +
               QString::number(m_total) + QStringLiteral(") 页:") + m_pageInfo;
    };
    if (!collect(r, m, e, p)) {
        // a later page without links ends the search with what the earlier pages brought
        if (m_currentPage > 1 && !m_links.isEmpty()) {
            finish(m_total);
            return;
        }
        m_ui.info(QLatin1Char('.') + zeroFound());
        hidePanel();
        Q_EMIT ended();
        return;
    }
    showPanel(caption());
    if (m_currentPage <= m_pageCount && m_links.size() != m_total) {
        ++m_currentPage;
        Intervals::arm(*m_timer, kPageInterval, true);
        return;
    }
    finish(m_total);
}

void ShopSearch::ProcessURL_HTML_OLD(const QString &page)
{
    const QString p = prefixOf(OldShop);
    const QString r = GetBetween(page, QStringLiteral("<span>显示：</span>"),
                                 QStringLiteral("<div class=") + Q + QStringLiteral("page-bottom") + Q + QLatin1Char('>'));
    if (m_currentPage == 0) {
        if (!readNumber(GetBetween(r, QStringLiteral("(共 "), QStringLiteral(" 个宝贝)")), &m_total))
            return;
        m_pageCount = m_total / kOldShopPageSize + (m_total % kOldShopPageSize ? 1 : 0);
        m_currentPage = 1;
    }
    if (m_total == 0) {
        m_ui.info(QStringLiteral("完成搜索.共搜索到 0 个符合条件的商品.\r\n（友情提示：请注意检查选择店铺类型是否正确）"));
        hidePanel();
        Q_EMIT ended();
        return;
    }
    collect(r, markerA(p), QString(Q), p);
    showPanel(QStringLiteral("正在搜索中...(") + QString::number(m_links.size()) + QLatin1Char('/') +
              QString::number(m_total) + QLatin1Char(')'));
    if (m_currentPage < m_pageCount) {
        ++m_currentPage;
        Intervals::arm(*m_timer, kPageInterval, true);
        return;
    }
    finish(m_total);
}

void ShopSearch::ProcessURL_HTML2(const QString &page)
{
    const QString p = prefixOf(TmallShop);
    const QString r = region(page);
    m_pageInfo = GetBetween(r, QStringLiteral("<span class=") + Q + QStringLiteral("page-info") + Q + QLatin1Char('>'),
                            QStringLiteral("</span>"));
    if (m_pageCount == 0) {
        QString t = TrimText(
            GetBetween(r, QStringLiteral("<b class=") + Q + QStringLiteral("ui-page-s-len") + Q + QLatin1Char('>'),
                       QStringLiteral(">")));
        t = GetBetween(t, QStringLiteral("/"), QStringLiteral("</b"));
        if (!IsNumericText(t) || t.toDouble() < 1) {
            hidePanel();
            m_ui.warn(QStringLiteral("没找到符合条件的商品,换个条件或关键词试试吧。"));
            Q_EMIT ended();
            return;
        }
        // a page count no shop has is a page the program cannot read (and no int holds it)
        if (t.toDouble() > kMostPages) {
            hidePanel();
            m_ui.warn(QStringLiteral("无法识别搜索结果的页数 \"") + t + QStringLiteral("\"."));
            Q_EMIT ended();
            return;
        }
        m_pageCount = int(t.toDouble());
        m_currentPage = 1;
    }
    collect(r, markerC(p), QStringLiteral("&"), p);
    showPanel(QStringLiteral("正在搜索中...(") + QString::number(m_currentPage) + QLatin1Char('/') +
              QString::number(m_pageCount) + QStringLiteral("页) :") + QString::number(m_links.size()));
    if (m_currentPage < m_pageCount) {
        ++m_currentPage;
        Intervals::arm(*m_timer, kPageInterval, true);
        return;
    }
    finish(int(m_links.size()));
}

void ShopSearch::finish(int count)
{
    if (m_ui.ask(QStringLiteral("完成搜索,共搜索到 ") + QString::number(count) +
                 QStringLiteral(" 个符合条件的商品.是否马上加入下载源?")))
        Q_EMIT addConfirmed();
    else
        hidePanel();
    Q_EMIT ended();
}
