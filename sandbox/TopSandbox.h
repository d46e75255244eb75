#pragma once

#include "SandboxModel.h"
#include "SandboxSigning.h"

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QString>

#include <functional>
#include <memory>
#include <optional>

// A local stand-in for the open platform's REST gateway, for tests, benchmarks
// and for trying the program without a real shop.
//
//     topsandbox::TopSandbox sandbox;
//     sandbox.loadFixture(QStringLiteral("sandbox/fixtures/demo.json"));
//     const int port = sandbox.start();          // 127.0.0.1, ephemeral port
//     ... POST signed forms to sandbox.gatewayUrl() ...
//     QCOMPARE(sandbox.skuQuantity(610000003001, 6100000030012), 7);
//     sandbox.stop();
//
// The gateway answers POST (form body) and GET (query) on /router/rest. Admin
// paths, served on the same loopback port:
//   GET  /_sandbox/state     the shop model as JSON (the fixture format)
//   GET  /_sandbox/calls     the recorded calls as JSON
//   GET  /_sandbox/ping      "ok" (no gateway work)
//   POST /_sandbox/fault     method=M&kind=error|close|truncate|delay|http500&count=N
//                            [&code=C&msg=..&sub_code=..&sub_msg=..][&delay_ms=MS]
//   POST /_sandbox/faults/clear
//   POST /_sandbox/rate-limit calls=N&seconds=S (calls=0 switches the limit off)
//   POST /_sandbox/calls/clear
//
// The demo fixture has three shops (password "taobao1234"): the seller's own
// shop sandbox_c_1 (session "sandbox-session-c-1", items 610000003001-3009)
// and the suppliers sandbox_c_2 ("sandbox-session-c-2", 520000001001-1007)
// and sandbox_b_01 (Tmall, "sandbox-session-b-01", 530000002001-2004). A SKU
// id is its item id followed by one digit (6100000030011 .. 6100000030016).
// sessionFor(nick) gives the session key a shop's authorization hands out.
//
// Every public member is thread-safe (start and stop belong to one thread);
// the server runs on threads of its own.
namespace topsandbox {

// The program's built-in application key pair, known to every sandbox.
inline constexpr const char builtinAppKey[] = "21770501";
inline constexpr const char builtinAppSecret[] = "5f3c9a1e7b2d4c6e8a0f1b3d5e7c9a2b";

// One call that reached /router/rest.
struct RecordedCall
{
    QString method;  // the "method" parameter ("" when missing)
    Params params;   // decoded, in the order they were sent
    QByteArray body; // the raw form body (the query for GET)
    bool signatureValid = false;
    int errorCode = 0; // 0: method response; else the <code> sent back
    QString subCode;
    QString fault; // the injected fault that answered it ("" for none)
    QDateTime received;

    QString param(const QString &name) const;
    bool hasParam(const QString &name) const;
};

// How the next call(s) of a method are answered instead of normally.
struct Fault
{
    enum Kind {
        ErrorReply,      // an <error_response> with code/msg/sub_code/sub_msg; the model is not changed
        CloseConnection, // the connection is closed without a reply; the model is not changed
        TruncatedBody,   // the call is carried out, the reply is cut off halfway
        Delay,           // the call is carried out, the reply comes after delayMs
        Http500,         // HTTP status 500 with a short text body; the model is not changed
    };
    Kind kind = ErrorReply;
    int code = 15;
    QString msg; // empty: the platform's text for the code
    QString subCode;
    QString subMsg;
    int delayMs = 0;

    static Fault error(int code, const QString &subCode = QString(), const QString &subMsg = QString(),
                       const QString &msg = QString());
    static Fault closeConnection();
    static Fault truncatedBody();
    static Fault delay(int ms);
    static Fault http500();

    QString kindName() const; // "error", "close", "truncate", "delay", "http500"
    // "error" -> ErrorReply and so on; false for an unknown name.
    static bool parseKind(const QString &kind, Kind *out);
};

class TopSandbox
{
public:
    // A sandbox with no shops that knows the built-in application key pair.
    TopSandbox();
    ~TopSandbox(); // stops the server
    TopSandbox(const TopSandbox &) = delete;
    TopSandbox &operator=(const TopSandbox &) = delete;

    // Model set-up (replaces or extends the shops; allowed while serving).
    bool loadFixture(const QString &path, QString *error = nullptr);
    bool loadFixtureJson(const QByteArray &json, QString *error = nullptr);
    void generate(const GenerateOptions &options);
    void addApp(const QString &key, const QString &secret);

    // Serving on 127.0.0.1 only. port 0 picks a free port. Returns the port, or
    // -1 when it cannot listen. Calls are served on the server's own threads.
    int start(int port = 0);
    void stop();
    bool isRunning() const;
    int port() const;
    QString baseUrl() const;    // "http://127.0.0.1:PORT"
    QString gatewayUrl() const; // baseUrl() + "/router/rest"

    // The login and authorization pages (AuthPages.h). start() serves them on
    // hosts of their own with the gateway's port: the API's container on
    // 127.0.0.2, the open platform's container (and its site, "/") on
    // 127.0.0.3, the login page on 127.0.0.4. When one of those cannot be had,
    // all of them are served on the gateway's host; the gateway's host serves
    // every page in any case.
    bool hasDistinctPageHosts() const;
    QString containerUrl() const;     // "http://127.0.0.2:PORT/container"
    QString openContainerUrl() const; // "http://127.0.0.3:PORT/container"
    QString loginPageUrl() const;     // "http://127.0.0.4:PORT/member/login.jhtml"
    QString openPlatformUrl() const;  // "http://127.0.0.3:PORT/"
    // The shops' own search pages (ShopPages.h): a Taobao shop's address on
    // 127.0.0.5, a Tmall shop's on 127.0.0.6 ("http://127.0.0.5:PORT/shop/NICK"),
    // and the Tmall item page on 127.0.0.6 ("http://127.0.0.6:PORT/item.htm").
    QString shopUrl(const QString &nick) const;
    QString tmallItemPageUrl() const;
    // An app key that does not manage shops is sent to the open platform's
    // container after the login.
    void setAppManagesShops(const QString &appKey, bool manages);
    // The session key the pages handed out last ("" before any).
    QString lastIssuedSession() const;
    // The fixture's session follows price_authorized; a session handed out by
    // the pages may change prices when it was asked for with scope usergrade.
    bool sessionMayChangePrices(const QString &session) const;

    // The platform's clock (local time), used for the timestamp check, the
    // rate limit and the times an update writes. Default: the system clock.
    // A call's "timestamp" (yyyy-MM-dd HH:mm:ss) is read as local time and
    // refused (error 31) when it lies more than 10 minutes from this clock.
    void setClock(std::function<QDateTime()> clock);
    // At most `calls` gateway calls per app key within `seconds`, then error 7
    // until the window frees up; calls <= 0 switches the limit off.
    void setRateLimit(int calls, int seconds);

    // Fault injection: the next `count` calls whose method parameter is `method`
    // ("*" for any call) are answered with the fault. Faults queue per method.
    void injectFault(const QString &method, const Fault &fault, int count = 1);
    // "method=M,kind=K,count=N,code=C,msg=..,sub_code=..,sub_msg=..,delay_ms=MS"
    bool injectFaultText(const QString &text, QString *error = nullptr);
    void clearFaults();
    int pendingFaults(const QString &method) const;

    // The fixture's session key of a shop (the pages hand out keys of their own).
    QString sessionFor(const QString &nick) const; // "" for an unknown shop
    void setSession(const QString &nick, const QString &session);
    // The short authorization that price changes need (error 12 without it).
    void setPriceAuthorized(const QString &nick, bool authorized);
    QString passwordFor(const QString &nick) const;
    QStringList nicks() const;

    // Reading and changing the model (for assertions and set-ups).
    std::optional<Item> item(qint64 numIid) const;
    QList<qint64> itemIds(const QString &nick) const;
    int itemQuantity(qint64 numIid) const;              // -1 for an unknown item
    int skuQuantity(qint64 numIid, qint64 skuId) const; // -1 for an unknown SKU
    QString itemPrice(qint64 numIid) const;             // "12.50"; "" for an unknown item
    QString skuPrice(qint64 numIid, qint64 skuId) const;
    QString approveStatus(qint64 numIid) const;
    bool setItemQuantity(qint64 numIid, int quantity); // items without SKUs only
    bool setSkuQuantity(qint64 numIid, qint64 skuId, int quantity);
    bool setItemPrice(qint64 numIid, const QString &price);
    bool setSkuPrice(qint64 numIid, qint64 skuId, const QString &price);
    bool setApproveStatus(qint64 numIid, const QString &status);
    // Any other change: runs `change` on the model under the sandbox's lock.
    void modify(const std::function<void(ShopModel &)> &change);
    QByteArray stateJson() const;

    // The calls that reached /router/rest, oldest first.
    QList<RecordedCall> calls() const;
    QList<RecordedCall> calls(const QString &method) const;
    int callCount(const QString &method = QString()) const;
    void clearCalls();
    // Only the newest `limit` calls are kept (default 10000).
    void setCallLogLimit(int limit);

    // Answers one gateway call in-process, as the server would, with faults of
    // the kind ErrorReply applied (the transport faults need the server).
    QByteArray handleForm(const QByteArray &formBody);

    // A correctly signed form body for a call with the given parameters: adds
    // method, app_key, timestamp (the sandbox clock), format, v, sign_method
    // and sign. For tools and benchmarks; tests check the signature with
    // vectors of their own.
    QByteArray signedForm(const QString &method, Params params,
                          const QString &appKey = QLatin1String(builtinAppKey),
                          const QString &secret = QLatin1String(builtinAppSecret)) const;

private:
    struct Private;
    std::unique_ptr<Private> d;
};

} // namespace topsandbox
