#include "top/WinHTTP.h"

#include "base/Clock.h"

#include <QByteArrayList>
#include <QMetaObject>
#include <QPointer>
#include <QRegularExpression>
#include <QThread>

#include <curl/curl.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>

namespace {

using SteadyClock = std::chrono::steady_clock;

// What the worker needs of the component, copied when the request starts.
struct Request
{
    QByteArray url;
    QByteArray referer;
    QByteArray postData;
    QByteArray agent;
    QByteArray acceptTypes;
    long connectMs = 0;
    long receiveMs = 0;
    long sendMs = 0;
    TWinHTTP::AccessType accessType = TWinHTTP::AccessType::Preconfig;
    QByteArray proxy;
    QByteArray proxyBypass;
    QByteArray noProxy; // environment exceptions + bypass list, for the preconfigured proxy
    QByteArray proxyUsername;
    QByteArray proxyPassword;
};

void initCurlOnce()
{
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

// The limit in force for a time-out property: 0 stands for the default.
// Scaled like every interval, but never below a second (or the limit itself
// when that is shorter): a loaded machine must not turn a quick local reply
// into a time-out when tests run the clock fast.
long scaledTimeout(int wanted, int byDefault)
{
    const int limit = wanted > 0 ? wanted : byDefault;
    return std::max({Intervals::ms(limit), std::min(limit, 1000), 1});
}

// The printable bytes (33..127) that stay as they are, except those named in `escaped`:
// Qt's percent-encoder keeps only the unreserved characters and these.
QByteArray keptPrintable(const QByteArray &escaped)
{
    QByteArray kept;
    for (int b = 33; b < 128; ++b) {
        if (!escaped.contains(char(b)))
            kept += char(b);
    }
    return kept;
}

// Percent-encodes the bytes that may not stand in a request line: controls,
// the blank and every byte from 128 up. A "%" stays (the path may be encoded
// already); Qt's encoder always escapes it, so the pieces between are encoded.
QByteArray encodeUnsafePath(const QByteArray &path)
{
    static const QByteArray kept = keptPrintable(QByteArray());
    QByteArrayList pieces = path.split('%');
    for (QByteArray &piece : pieces)
        piece = piece.toPercentEncoding(kept);
    return pieces.join('%');
}

} // namespace

struct TWinHTTP::Result
{
    bool success = false;
    int status = -1;
    QString contentType;
    qint64 received = 0;
    QByteArray body;
    QString message;
};

struct TWinHTTP::Shared
{
    std::mutex mutex;
    std::condition_variable cv;
    bool delivered = false;
    std::atomic<bool> aborted{false};
    CURLM *multi = nullptr; // guarded by mutex, for the wake-up on abort
};

namespace {

// State of one transfer, touched only by the worker's callbacks.
struct Transfer
{
    TWinHTTP::Result *result = nullptr;
    std::atomic<bool> *aborted = nullptr;
    qint64 contentLength = -1;
    QByteArray statusLine; // of the last response, e.g. "HTTP/1.1 404 Not Found"
    bool connected = false;
    bool uploadDone = false;
    curl_off_t lastUpload = 0;
    curl_off_t lastDownload = 0;
    SteadyClock::time_point lastActivity = SteadyClock::now();
};

size_t onHeader(char *data, size_t size, size_t count, void *user)
{
    auto *t = static_cast<Transfer *>(user);
    const size_t n = size * count;
    t->lastActivity = SteadyClock::now();
    const QByteArray line = QByteArray(data, qsizetype(n)).trimmed();
    if (line.startsWith("HTTP/")) {
        // A new response (after a redirect or an interim reply): its headers replace the old ones.
        t->result->contentType.clear();
        t->contentLength = -1;
        t->statusLine = line;
        return n;
    }
    const qsizetype colon = line.indexOf(':');
    if (colon <= 0)
        return n;
    const QByteArray name = line.left(colon).trimmed().toLower();
    const QByteArray value = line.mid(colon + 1).trimmed();
    if (name == "content-type") {
        t->result->contentType = QString::fromLatin1(value);
    } else if (name == "content-length") {
        bool ok = false;
        const qint64 length = value.toLongLong(&ok);
        t->contentLength = ok && length >= 0 ? length : -1;
    }
    return n;
}

size_t onBody(char *data, size_t size, size_t count, void *user)
{
    auto *t = static_cast<Transfer *>(user);
    if (t->aborted->load())
        return 0;
    const size_t n = size * count;
    t->lastActivity = SteadyClock::now();
    QByteArray &body = t->result->body;
    if (body.isEmpty() && t->contentLength > 0)
        body.reserve(qsizetype(std::min<qint64>(t->contentLength, 64 * 1024 * 1024)));
    body.append(data, qsizetype(n));
    t->result->received += qint64(n);
    return n;
}

int onProgress(void *user, curl_off_t, curl_off_t dlnow, curl_off_t ultotal, curl_off_t ulnow)
{
    auto *t = static_cast<Transfer *>(user);
    if (t->aborted->load())
        return 1;
    if (ulnow != t->lastUpload || dlnow != t->lastDownload) {
        t->lastUpload = ulnow;
        t->lastDownload = dlnow;
        t->lastActivity = SteadyClock::now();
    }
    if (t->connected && ulnow >= ultotal)
        t->uploadDone = true;
    return 0;
}

int onConnected(void *user, char *, char *, int, int)
{
    auto *t = static_cast<Transfer *>(user);
    t->connected = true;
    t->lastActivity = SteadyClock::now();
    return CURL_PREREQFUNC_OK;
}

QString curlDetail(CURLcode code, const char *errorText)
{
    return QString::fromLocal8Bit(errorText && errorText[0] ? errorText : curl_easy_strerror(code));
}

// "404 Not Found" of the status line "HTTP/1.1 404 Not Found".
QString statusDetail(const Transfer &t, int status)
{
    const qsizetype space = t.statusLine.indexOf(' ');
    const QByteArray rest = space > 0 ? t.statusLine.mid(space + 1).trimmed() : QByteArray();
    return rest.startsWith(QByteArray::number(status)) ? QString::fromLatin1(rest) : QString::number(status);
}

QString bytesDetail(const Transfer &t)
{
    const qint64 received = t.result->received;
    if (t.contentLength >= 0)
        return QStringLiteral("received %1 of %2 bytes").arg(received).arg(t.contentLength);
    return QStringLiteral("received %1 bytes").arg(received);
}

// Why a request failed: words for the user, the technical detail after them.
QString failureText(const Transfer &t, const Request &req, CURLcode code, const char *errorText, bool timedOut,
                    bool finished)
{
    const int status = t.result->status;
    const bool statusOk = status == 200 || status == 206;
    if (status > 0 && !statusOk)
        return QStringLiteral("服务器返回错误 (HTTP %1)").arg(statusDetail(t, status));
    if (timedOut) {
        if (!t.uploadDone)
            return QStringLiteral("发送请求超时 (send timeout after %1 ms)").arg(req.sendMs);
        if (status < 0)
            return QStringLiteral("等待服务器应答超时 (receive timeout after %1 ms)").arg(req.receiveMs);
        return QStringLiteral("接收应答超时,应答不完整 (receive timeout after %1 ms, %2)")
            .arg(req.receiveMs)
            .arg(bytesDetail(t));
    }
    if (statusOk) {
        QString detail = bytesDetail(t);
        if (code != CURLE_OK)
            detail += QStringLiteral("; ") + curlDetail(code, errorText);
        return QStringLiteral("应答不完整,连接中断 (%1)").arg(detail);
    }
    if (!finished)
        return QStringLiteral("网络通讯失败 (transfer did not finish)");
    switch (code) {
    case CURLE_OPERATION_TIMEDOUT:
        if (!t.connected)
            return QStringLiteral("连接超时 (connect timeout after %1 ms)").arg(req.connectMs);
        return QStringLiteral("等待服务器应答超时 (%1)").arg(curlDetail(code, errorText));
    case CURLE_COULDNT_CONNECT:
        return QStringLiteral("无法连接服务器 (%1)").arg(curlDetail(code, errorText));
    case CURLE_COULDNT_RESOLVE_HOST:
    case CURLE_COULDNT_RESOLVE_PROXY:
        return QStringLiteral("找不到服务器 (%1)").arg(curlDetail(code, errorText));
    case CURLE_GOT_NOTHING:
        return QStringLiteral("服务器关闭了连接,没有应答 (%1)").arg(curlDetail(code, errorText));
    case CURLE_SEND_ERROR:
        return QStringLiteral("发送请求失败 (%1)").arg(curlDetail(code, errorText));
    case CURLE_RECV_ERROR:
        return QStringLiteral("接收应答失败 (%1)").arg(curlDetail(code, errorText));
    default:
        return QStringLiteral("网络通讯失败 (%1)").arg(curlDetail(code, errorText));
    }
}

// The request sequence; returns with aborted set when the component went away.
TWinHTTP::Result perform(const Request &req, std::atomic<bool> &aborted, CURLM *multi)
{
    TWinHTTP::Result result;
    Transfer t;
    t.result = &result;
    t.aborted = &aborted;

    CURL *easy = curl_easy_init();
    if (!easy) {
        result.message = QStringLiteral("无法建立网络会话");
        return result;
    }
    struct curl_slist *headers = nullptr;
    char errorText[CURL_ERROR_SIZE] = {0};

    curl_easy_setopt(easy, CURLOPT_URL, req.url.constData());
    curl_easy_setopt(easy, CURLOPT_ERRORBUFFER, errorText);
    curl_easy_setopt(easy, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(easy, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(easy, CURLOPT_MAXREDIRS, 10L);
    curl_easy_setopt(easy, CURLOPT_USERAGENT, req.agent.constData());
    if (!req.referer.isEmpty())
        curl_easy_setopt(easy, CURLOPT_REFERER, req.referer.constData());
    const QByteArray accept = QByteArray("Accept: ") + req.acceptTypes;
    headers = curl_slist_append(headers, accept.constData());
    headers = curl_slist_append(headers, "Expect:");
    if (!req.postData.isEmpty()) {
        headers = curl_slist_append(headers, "Content-Type: application/x-www-form-urlencoded");
        curl_easy_setopt(easy, CURLOPT_POST, 1L);
        curl_easy_setopt(easy, CURLOPT_POSTFIELDSIZE_LARGE, curl_off_t(req.postData.size()));
        curl_easy_setopt(easy, CURLOPT_POSTFIELDS, req.postData.constData());
    } else {
        curl_easy_setopt(easy, CURLOPT_HTTPGET, 1L);
    }
    curl_easy_setopt(easy, CURLOPT_HTTPHEADER, headers);
    curl_easy_setopt(easy, CURLOPT_CONNECTTIMEOUT_MS, req.connectMs);
    switch (req.accessType) {
    case TWinHTTP::AccessType::Preconfig:
        // The proxy of the environment, if any; the bypass list is added to
        // its own exceptions, so that local addresses stay direct.
        if (!req.noProxy.isEmpty())
            curl_easy_setopt(easy, CURLOPT_NOPROXY, req.noProxy.constData());
        break;
    case TWinHTTP::AccessType::Direct:
        curl_easy_setopt(easy, CURLOPT_PROXY, "");
        break;
    case TWinHTTP::AccessType::UseProxy:
        curl_easy_setopt(easy, CURLOPT_PROXY, req.proxy.constData());
        if (!req.proxyBypass.isEmpty())
            curl_easy_setopt(easy, CURLOPT_NOPROXY, req.proxyBypass.constData());
        if (!req.proxyUsername.isEmpty()) {
            curl_easy_setopt(easy, CURLOPT_PROXYUSERNAME, req.proxyUsername.constData());
            curl_easy_setopt(easy, CURLOPT_PROXYPASSWORD, req.proxyPassword.constData());
        }
        break;
    }
    curl_easy_setopt(easy, CURLOPT_HEADERFUNCTION, onHeader);
    curl_easy_setopt(easy, CURLOPT_HEADERDATA, &t);
    curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, onBody);
    curl_easy_setopt(easy, CURLOPT_WRITEDATA, &t);
    curl_easy_setopt(easy, CURLOPT_NOPROGRESS, 0L);
    curl_easy_setopt(easy, CURLOPT_XFERINFOFUNCTION, onProgress);
    curl_easy_setopt(easy, CURLOPT_XFERINFODATA, &t);
    curl_easy_setopt(easy, CURLOPT_PREREQFUNCTION, onConnected);
    curl_easy_setopt(easy, CURLOPT_PREREQDATA, &t);

    curl_multi_add_handle(multi, easy);
    bool timedOut = false;
    bool finished = false;
    CURLcode code = CURLE_OK;
    int running = 1;
    while (running) {
        if (curl_multi_perform(multi, &running) != CURLM_OK)
            break;
        if (!running || aborted.load())
            break;
        // Send and receive time-outs: the longest silence allowed while
        // sending the request and while waiting for the reply.
        const long idleLimit = t.uploadDone ? req.receiveMs : req.sendMs;
        if (t.connected) {
            const auto idle =
                std::chrono::duration_cast<std::chrono::milliseconds>(SteadyClock::now() - t.lastActivity);
            if (idle.count() >= idleLimit) {
                timedOut = true;
                break;
            }
        }
        curl_multi_poll(multi, nullptr, 0, 50, nullptr);
    }
    int left = 0;
    while (CURLMsg *msg = curl_multi_info_read(multi, &left)) {
        if (msg->msg == CURLMSG_DONE && msg->easy_handle == easy) {
            code = msg->data.result;
            finished = true;
        }
    }
    long status = 0;
    curl_easy_getinfo(easy, CURLINFO_RESPONSE_CODE, &status);
    result.status = status > 0 ? int(status) : -1;
    curl_multi_remove_handle(multi, easy);
    curl_easy_cleanup(easy);
    curl_slist_free_all(headers);

    if (aborted.load())
        return result;

    const bool statusOk = result.status == 200 || result.status == 206;
    const bool lengthKnown = t.contentLength >= 0;
    if (timedOut) {
        // The one break-off that counts as success: a reply without
        // Content-Length whose body stops coming until the receive time-out
        // ends it; the owner gets the bytes that arrived.
        result.success = statusOk && !lengthKnown && t.uploadDone;
    } else {
        // Anything the transport reports as broken (a chunked body cut off,
        // a connection reset after the status) is a failure, as is a body
        // shorter than its Content-Length.
        result.success = statusOk && finished && code == CURLE_OK &&
                         (!lengthKnown || result.received == t.contentLength);
    }
    if (!result.success)
        result.message = failureText(t, req, code, errorText, timedOut, finished);
    return result;
}

} // namespace

TWinHTTP::TWinHTTP(QObject *parent)
    : QObject(parent), m_agent(defaultAgent()), m_acceptTypes(QStringLiteral("text/html, */*")),
      m_proxyBypass(QStringLiteral("127.0.0.1;"))
{
    initCurlOnce();
}

TWinHTTP::~TWinHTTP()
{
    stopWorker();
}

QString TWinHTTP::defaultAgent()
{
    return QStringLiteral("stocksync-http/1.0");
}

QString TWinHTTP::browserAgent()
{
    return QStringLiteral(
        "Mozilla/4.0 (compatible; MSIE 8.0; Windows NT 6.1; Trident/4.0; SLCC2; .NET CLR 2.0.50727; "
        ".NET CLR 3.5.30729; .NET CLR 3.0.30729; Media Center PC 6.0; .NET4.0C; Tablet PC 2.0)");
}

void TWinHTTP::setTimeouts(int ms)
{
    m_connectTimeout = m_receiveTimeout = m_sendTimeout = ms;
}

QByteArray TWinHTTP::EncodeExtra(const QByteArray &extra)
{
    // %xx sequences back into bytes first, so that an encoded address is not encoded twice.
    // Only a "%" followed by two hex digits is an escape; any other "%" is a plain
    // character (Qt's decoder would turn "%zz" into a byte), so it is protected first.
    static const QRegularExpression strayPercent(QStringLiteral("%(?![0-9A-Fa-f]{2})"));
    const QByteArray raw = QByteArray::fromPercentEncoding(
        QString::fromLatin1(extra).replace(strayPercent, QStringLiteral("%25")).toLatin1());
    static const QByteArray kept = keptPrintable(QByteArrayLiteral(" #%*+<>"));
    return raw.toPercentEncoding(kept);
}

QByteArray TWinHTTP::wireUrl(const QString &url)
{
    QByteArray u = url.trimmed().toUtf8();
    if (!u.contains("://"))
        u.prepend("http://");
    const qsizetype hostStart = u.indexOf("://") + 3;
    qsizetype extraStart = u.size();
    for (qsizetype i = hostStart; i < u.size(); ++i) {
        if (u.at(i) == '?' || u.at(i) == '#') {
            extraStart = i;
            break;
        }
    }
    return encodeUnsafePath(u.left(extraStart)) + EncodeExtra(u.mid(extraStart));
}

bool TWinHTTP::Start()
{
    if (m_busy || m_releasePending)
        return false;
    if (m_worker.joinable())
        m_worker.join(); // the previous worker has handed over its event and is ending
    m_busy = true;

    Request req;
    req.url = wireUrl(m_url);
    req.referer = m_referer.toUtf8();
    req.postData = m_postData;
    req.agent = m_agent.toUtf8();
    req.acceptTypes = m_acceptTypes.toUtf8();
    req.connectMs = scaledTimeout(m_connectTimeout, DefaultConnectTimeout);
    req.receiveMs = scaledTimeout(m_receiveTimeout, DefaultIdleTimeout);
    req.sendMs = scaledTimeout(m_sendTimeout, DefaultIdleTimeout);
    req.accessType = m_accessType;
    req.proxy = (m_proxyServer + QLatin1Char(':') + QString::number(m_proxyPort)).toUtf8();
    req.proxyBypass = QString(m_proxyBypass).replace(QLatin1Char(';'), QLatin1Char(',')).toUtf8();
    QByteArray envNoProxy = qgetenv("no_proxy");
    if (envNoProxy.isEmpty())
        envNoProxy = qgetenv("NO_PROXY");
    if (!envNoProxy.isEmpty() || !req.proxyBypass.isEmpty())
        req.noProxy = envNoProxy + (envNoProxy.isEmpty() ? "" : ",") + req.proxyBypass;
    req.proxyUsername = m_proxyUsername.toUtf8();
    req.proxyPassword = m_proxyPassword.toUtf8();

    auto shared = std::make_shared<Shared>();
    m_shared = shared;
    m_worker = std::thread([this, shared, req] {
        CURLM *multi = curl_multi_init();
        {
            std::lock_guard lock(shared->mutex);
            shared->multi = multi;
        }
        Result result;
        try {
            result = perform(req, shared->aborted, multi);
        } catch (const std::exception &e) {
            result = Result();
            result.message = QStringLiteral("请求失败 (%1)").arg(QString::fromLocal8Bit(e.what()));
        } catch (...) {
            result = Result();
            result.message = QStringLiteral("请求失败 (unknown exception)");
        }
        {
            std::lock_guard lock(shared->mutex);
            shared->multi = nullptr;
        }
        curl_multi_cleanup(multi);
        if (shared->aborted.load())
            return;
        if (QThread::currentThread() == thread()) {
            finish(result);
            return;
        }
        // Hand the outcome to the owner's thread and wait there until its
        // event has returned; a component released meanwhile wakes us instead.
        QMetaObject::invokeMethod(
            this,
            [this, shared, result] {
                finish(result);
                {
                    std::lock_guard lock(shared->mutex);
                    shared->delivered = true;
                }
                shared->cv.notify_all();
            },
            Qt::QueuedConnection);
        std::unique_lock lock(shared->mutex);
        shared->cv.wait(lock, [&] { return shared->delivered || shared->aborted.load(); });
    });
    return true;
}

void TWinHTTP::finish(const Result &result)
{
    if (m_releasePending) {
        m_busy = false;
        return;
    }
    // A handler that deletes the component outright (instead of release())
    // must not leave us touching a deleted object.
    const QPointer<TWinHTTP> self(this);
    m_inEvent = true;
    if (result.success) {
        try {
            Q_EMIT OnDone(result.contentType, result.received, result.body);
        } catch (const std::exception &e) {
            if (self)
                Q_EMIT OnAnyError(QString::fromLocal8Bit(e.what()));
        } catch (...) {
            if (self)
                Q_EMIT OnAnyError(QStringLiteral("处理回复时出错"));
        }
    } else {
        try {
            Q_EMIT OnAnyError(result.message);
        } catch (...) {
        }
    }
    if (!self)
        return;
    m_inEvent = false;
    m_busy = false;
    if (m_releasePending)
        deleteLater();
}

void TWinHTTP::release()
{
    if (m_releasePending)
        return;
    m_releasePending = true;
    if (m_inEvent)
        return; // finish() deletes the component once the event has returned
    stopWorker();
    m_busy = false;
    deleteLater();
}

void TWinHTTP::stopWorker()
{
    if (m_shared) {
        std::lock_guard lock(m_shared->mutex);
        m_shared->aborted.store(true);
        if (m_shared->multi)
            curl_multi_wakeup(m_shared->multi);
        m_shared->cv.notify_all();
    }
    if (m_worker.joinable())
        m_worker.join();
    m_shared.reset();
}
