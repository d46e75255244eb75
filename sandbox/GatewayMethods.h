#pragma once

#include "ReplyXml.h"
#include "RequestParams.h"
#include "SandboxModel.h"

#include <QDateTime>
#include <QHash>
#include <QString>

namespace topsandbox {

class Gateway;

// One call that passed the gateway's checks (app key, signature, timestamp,
// version, format, session), as its method sees it.
struct MethodCall
{
    MethodCall(ShopModel &model, const Gateway &gateway) : model(model), gateway(gateway) {}

    QString method;
    RequestParams params;
    // The shop of the call's session; nullptr only for a method that takes
    // no session when none was sent.
    Shop *shop = nullptr;
    ShopModel &model;
    const Gateway &gateway;

    QDateTime now() const; // the platform's clock
};

// A method of the platform: answers one call, changing the model as it goes.
using MethodHandler = GatewayReply (*)(MethodCall &call);

// Whether a method needs the "session" parameter (error 26 without it). A
// session that was sent must be valid for any method (error 27).
enum class Session { Optional, Required };

// The gateway's methods by name. A method is one function in the file of
// what it serves, reading its parameters with RequestParams, and one line in
// that file's add function:
//
//     void addItemReads(MethodTable &t)
//     {
//         t.add("taobao.items.list.get", Session::Optional, itemsListGet);
//         ...
//     }
//
// The Gateway's constructor calls each add function once. sandbox/README.md
// shows a whole method.
class MethodTable
{
public:
    struct Entry
    {
        MethodHandler handler = nullptr;
        Session session = Session::Optional;
    };

    void add(const char *method, Session session, MethodHandler handler)
    {
        m_entries.insert(QLatin1String(method), Entry{handler, session});
    }
    // nullptr for a method the gateway does not know (error 22).
    const Entry *find(const QString &method) const
    {
        const auto it = m_entries.constFind(method);
        return it == m_entries.constEnd() ? nullptr : &it.value();
    }

private:
    QHash<QString, Entry> m_entries;
};

// The files of methods.
void addItemReads(MethodTable &table);   // ItemReads.cpp: item lists, by id, code, sale state; SKUs by id
void addItemUploads(MethodTable &table); // ItemUploads.cpp: quantity, price, listing time, listing, delisting

} // namespace topsandbox
