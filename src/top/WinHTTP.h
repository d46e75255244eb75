#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>

#include <memory>
#include <thread>

// The program's HTTP request component. One request at a time: Start() runs
// the request on a worker thread of its own and returns at once; the outcome
// arrives as OnDone or OnAnyError on the thread that owns the component,
// while the worker waits. The component stays busy until that event has
// returned, so a Start() from inside its own OnDone is refused; owners start
// their next request later, from a timer.
//
// Releasing a component with a request in flight stops the worker; no event
// follows. From inside one of its own events a component must not be deleted
// directly: call release(), which defers the deletion until the event returns.
class TWinHTTP : public QObject
{
    Q_OBJECT
public:
    enum class AccessType { Preconfig, Direct, UseProxy };

    explicit TWinHTTP(QObject *parent = nullptr);
    ~TWinHTTP() override;

    // Begins a request with the current properties; false (and nothing else)
    // while a request is in flight or its event is still running.
    bool Start();
    bool busy() const { return m_busy; }

    // Deletes the component now, or after the event returns when called from
    // inside one of its own events. A request in flight ends without event.
    void release();

    // Address to fetch; "http://" is put in front when it holds no "://".
    QString URL() const { return m_url; }
    void setURL(const QString &url) { m_url = url; }
    QString Referer() const { return m_referer; }
    void setReferer(const QString &referer) { m_referer = referer; }
    // Request body; a non-empty body makes the request a form POST, an empty one a GET.
    QByteArray POSTData() const { return m_postData; }
    void setPOSTData(const QByteArray &body) { m_postData = body; }
    QString Agent() const { return m_agent; }
    void setAgent(const QString &agent) { m_agent = agent; }
    QString AcceptTypes() const { return m_acceptTypes; }
    void setAcceptTypes(const QString &types) { m_acceptTypes = types; }

    // Time-outs in ms as the program wants them (scaled through Intervals
    // when the request starts). 0 stands for the transport's own limits:
    // DefaultConnectTimeout to connect, DefaultIdleTimeout of silence while
    // sending the request or waiting for the reply. No request waits forever.
    int ConnectTimeout() const { return m_connectTimeout; }
    void setConnectTimeout(int ms) { m_connectTimeout = ms; }
    int ReceiveTimeout() const { return m_receiveTimeout; }
    void setReceiveTimeout(int ms) { m_receiveTimeout = ms; }
    int SendTimeout() const { return m_sendTimeout; }
    void setSendTimeout(int ms) { m_sendTimeout = ms; }
    // All three at once, as most components of the main window use them.
    void setTimeouts(int ms);
    static constexpr int DefaultConnectTimeout = 60000;
    static constexpr int DefaultIdleTimeout = 30000;

    AccessType ProxyAccessType() const { return m_accessType; }
    void setProxyAccessType(AccessType type) { m_accessType = type; }
    QString ProxyServer() const { return m_proxyServer; }
    void setProxyServer(const QString &server) { m_proxyServer = server; }
    int ProxyPort() const { return m_proxyPort; }
    void setProxyPort(int port) { m_proxyPort = port; }
    QString ProxyBypass() const { return m_proxyBypass; }
    void setProxyBypass(const QString &bypass) { m_proxyBypass = bypass; }
    QString ProxyUsername() const { return m_proxyUsername; }
    void setProxyUsername(const QString &name) { m_proxyUsername = name; }
    QString ProxyPassword() const { return m_proxyPassword; }
    void setProxyPassword(const QString &password) { m_proxyPassword = password; }

    // The agent text of the windows' components.
    static QString browserAgent();
    // The agent of a component created at run time.
    static QString defaultAgent();

    // The address as it goes on the wire: scheme added, the query part
    // percent-encoded by the component's rule (see EncodeExtra).
    static QByteArray wireUrl(const QString &url);
    // The query part (from its "?") with %xx sequences turned back into
    // bytes, then every byte below 32 or from 128 up and each of
    // blank # % * + < > written as "%" and two upper-case hex digits.
    static QByteArray EncodeExtra(const QByteArray &extra);

    struct Result;

Q_SIGNALS:
    // The request succeeded: the reply's Content-Type, the number of body
    // bytes received and the body.
    void OnDone(const QString &contentType, qint64 fileSize, const QByteArray &body);
    // The request failed, whatever the reason; message says why, in words
    // for the user followed by the technical detail in parentheses, e.g.
    // "连接超时 (connect timeout after 10000 ms)".
    void OnAnyError(const QString &message);

private:
    struct Shared;
    void finish(const Result &result);
    void stopWorker();

    QString m_url;
    QString m_referer;
    QByteArray m_postData;
    QString m_agent;
    QString m_acceptTypes;
    int m_connectTimeout = 0;
    int m_receiveTimeout = 0;
    int m_sendTimeout = 0;
    AccessType m_accessType = AccessType::Preconfig;
    QString m_proxyServer;
    int m_proxyPort = 8080;
    QString m_proxyBypass;
    QString m_proxyUsername;
    QString m_proxyPassword;

    bool m_busy = false;
    bool m_inEvent = false;
    bool m_releasePending = false;
    std::shared_ptr<Shared> m_shared;
    std::thread m_worker;
};
