#pragma once
// A bare client of the platform stand-in for its tests. It signs with its own
// few lines of code (checked against fixed digests in sandbox_signing_test), so
// that the tests do not lean on the sandbox's signing code.

#include <httplib.h>

#include <QByteArray>
#include <QCryptographicHash>
#include <QHash>
#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>
#include <QXmlStreamReader>

#include <algorithm>

namespace sandboxtest {

inline const QString appKey = QStringLiteral("21770501");
inline const QString appSecret = QStringLiteral("5f3c9a1e7b2d4c6e8a0f1b3d5e7c9a2b");
inline const QString fixedTime = QStringLiteral("2026-12-09 10:00:00");

using Pairs = QList<QPair<QString, QString>>;

// Name/value pairs written as {{"num_iid", id}, {"quantity", "5"}}.
struct KV
{
    QString k, v;
    KV(const char *a, const char *b) : k(QString::fromUtf8(a)), v(QString::fromUtf8(b)) {}
    KV(const char *a, const QString &b) : k(QString::fromUtf8(a)), v(b) {}
    KV(const QString &a, const QString &b) : k(a), v(b) {}
};

struct Args
{
    Pairs p;
    Args() = default;
    Args(std::initializer_list<KV> list)
    {
        for (const KV &x : list)
            p.append({x.k, x.v});
    }
    Args(const Pairs &pairs) : p(pairs) {}
};

inline QStringList words(const char *text)
{
    return QString::fromUtf8(text).split(QLatin1Char(' '));
}

inline QString md5Sign(Pairs pairs, const QString &secret)
{
    pairs.erase(
        std::remove_if(pairs.begin(), pairs.end(),
                       [](const auto &p) { return p.second.isEmpty() || p.first == QStringLiteral("sign"); }),
        pairs.end());
    std::sort(pairs.begin(), pairs.end(),
              [](const auto &a, const auto &b) { return a.first.toUtf8() < b.first.toUtf8(); });
    QByteArray text = secret.toUtf8();
    for (const auto &p : pairs)
        text += p.first.toUtf8() + p.second.toUtf8();
    text += secret.toUtf8();
    return QString::fromLatin1(QCryptographicHash::hash(text, QCryptographicHash::Md5).toHex().toUpper());
}

// The common parameters with the fixed time.
inline Pairs common(const QString &method, const QString &timestamp = fixedTime)
{
    return {{QStringLiteral("app_key"), appKey},      {QStringLiteral("format"), QStringLiteral("xml")},
            {QStringLiteral("method"), method},       {QStringLiteral("sign_method"), QStringLiteral("md5")},
            {QStringLiteral("timestamp"), timestamp}, {QStringLiteral("v"), QStringLiteral("2.0")}};
}

// A body written as the program writes it: values as they are, no escaping.
inline std::string rawBody(const Pairs &pairs, const QString &sign)
{
    QByteArray body;
    for (const auto &p : pairs)
        body += p.first.toUtf8() + '=' + p.second.toUtf8() + '&';
    body += "sign=" + sign.toUtf8();
    return body.toStdString();
}

struct Client
{
    httplib::Client http;
    explicit Client(int port) : http("127.0.0.1", port) { http.set_read_timeout(5, 0); }

    QByteArray postBody(const std::string &body, int *status = nullptr)
    {
        auto res = http.Post("/router/rest", body, "application/x-www-form-urlencoded;charset=utf-8");
        if (status)
            *status = res ? res->status : -1;
        return res ? QByteArray::fromStdString(res->body) : QByteArray();
    }
    // method + own parameters (+ session when not empty), signed, sent as the program sends.
    QByteArray call(const QString &method, const Args &own, const QString &session = QString())
    {
        Pairs p = common(method);
        p += own.p;
        if (!session.isEmpty())
            p.append({QStringLiteral("session"), session});
        return postBody(rawBody(p, md5Sign(p, appSecret)));
    }
};

// The text of the first <name> element, "" when there is none.
inline QString firstText(const QByteArray &xml, const QString &name)
{
    QXmlStreamReader r(xml);
    while (!r.atEnd()) {
        r.readNext();
        if (r.isStartElement() && r.name() == name)
            return r.readElementText(QXmlStreamReader::IncludeChildElements);
    }
    return QString();
}

// One <item> of a reply: its child elements in reply order, and its SKUs.
struct XmlItem
{
    QStringList order;
    QHash<QString, QString> field;
    QString skusList;     // the list attribute of <skus>
    QStringList skuOrder; // element order of the first SKU
    QList<QHash<QString, QString>> skus;
};

inline QList<XmlItem> itemsOf(const QByteArray &xml, QString *itemsList = nullptr)
{
    QList<XmlItem> out;
    QXmlStreamReader r(xml);
    while (!r.atEnd()) {
        r.readNext();
        if (r.isStartElement() && r.name() == QStringLiteral("items") && itemsList)
            *itemsList = r.attributes().value(QStringLiteral("list")).toString();
        if (!r.isStartElement() || r.name() != QStringLiteral("item"))
            continue;
        XmlItem it;
        while (r.readNextStartElement()) {
            const QString name = r.name().toString();
            it.order.append(name);
            if (name != QStringLiteral("skus")) {
                it.field.insert(name, r.readElementText());
                continue;
            }
            it.skusList = r.attributes().value(QStringLiteral("list")).toString();
            while (r.readNextStartElement()) { // <sku>
                QHash<QString, QString> sku;
                QStringList order;
                while (r.readNextStartElement()) {
                    order.append(r.name().toString());
                    sku.insert(r.name().toString(), r.readElementText());
                }
                if (it.skus.isEmpty())
                    it.skuOrder = order;
                it.skus.append(sku);
            }
        }
        out.append(it);
    }
    return out;
}

// True when the children of every element come in alphabetical order of their names.
inline bool childrenSorted(const QByteArray &xml)
{
    QXmlStreamReader r(xml);
    QList<QString> last{QString()}; // the last child name seen at each open level
    while (!r.atEnd()) {
        r.readNext();
        if (r.isStartElement()) {
            const QString name = r.name().toString();
            if (name < last.back())
                return false;
            last.back() = name;
            last.append(QString());
        } else if (r.isEndElement()) {
            last.removeLast();
        }
    }
    return !r.hasError();
}

inline int errorCode(const QByteArray &xml)
{
    return xml.contains("<error_response>") ? firstText(xml, QStringLiteral("code")).toInt() : 0;
}

} // namespace sandboxtest
