#include "top/LocalHttpServer.h"

#include "base/Clock.h"
#include "top/WinHTTP.h"

#include <QPointer>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

#include <atomic>

using namespace std::chrono_literals;

class WinHttpTest : public QObject
{
    Q_OBJECT

private:
    // Waits until the component has raised one of its events.
    static bool waitForEvent(QSignalSpy &done, QSignalSpy &error, int ms = 5000)
    {
        QElapsedTimer t;
        t.start();
        while (done.isEmpty() && error.isEmpty() && t.elapsed() < ms)
            QTest::qWait(5);
        return !done.isEmpty() || !error.isEmpty();
    }

private Q_SLOTS:
    void init() { Intervals::setScale(1.0); }
    void cleanup() { Intervals::setScale(1.0); }

    void getAndPostRequests()
    {
        LocalHttpServer srv;
        QByteArray binary;
        for (int i = 0; i < 5000; ++i)
            binary += char(i % 256);
        srv.Get("/file", [&](const httplib::Request &, httplib::Response &res) {
            res.set_content(binary.toStdString(), "application/octet-stream");
        });
        srv.Post("/form", [](const httplib::Request &, httplib::Response &res) {
            res.set_content("<ok/>", "text/xml;charset=UTF-8");
        });

        // Empty POSTData: a GET without Content-Type, with the default accept type.
        TWinHTTP http;
        http.setURL(srv.url(QStringLiteral("/file")));
        http.setReferer(QStringLiteral("http://gw.example.test"));
        QSignalSpy done(&http, &TWinHTTP::OnDone);
        QSignalSpy error(&http, &TWinHTTP::OnAnyError);
        QVERIFY(http.Start());
        QVERIFY(http.busy());
        QVERIFY(waitForEvent(done, error));
        QCOMPARE(error.count(), 0);
        QCOMPARE(done.count(), 1);
        QCOMPARE(done.at(0).at(0).toString(), QStringLiteral("application/octet-stream"));
        QCOMPARE(done.at(0).at(1).toLongLong(), qint64(binary.size()));
        QCOMPARE(done.at(0).at(2).toByteArray(), binary);
        QVERIFY(!http.busy());
        SeenRequest get = srv.seen().at(0);
        QCOMPARE(get.method, QByteArray("GET"));
        QCOMPARE(get.headerCount("Content-Type"), 0);
        QCOMPARE(get.header("Accept"), QByteArray("text/html, */*"));
        QCOMPARE(get.header("Referer"), QByteArray("http://gw.example.test"));
        QCOMPARE(get.header("User-Agent"), TWinHTTP::defaultAgent().toUtf8());

        // A body makes it a form POST with the one Content-Type header, sent byte for byte.
        done.clear();
        http.setURL(srv.url(QStringLiteral("/form")));
        http.setPOSTData(QByteArray("a=1&b=%E4%B8%AD&sign=X"));
        http.setAgent(TWinHTTP::browserAgent());
        http.setAcceptTypes(QStringLiteral("*/*"));
        QVERIFY(http.Start());
        QVERIFY(waitForEvent(done, error));
        QCOMPARE(done.count(), 1);
        QCOMPARE(done.at(0).at(1).toLongLong(), qint64(5));
        SeenRequest post = srv.seen().at(1);
        QCOMPARE(post.method, QByteArray("POST"));
        QCOMPARE(post.headerCount("Content-Type"), 1);
        QCOMPARE(post.header("Content-Type"), QByteArray("application/x-www-form-urlencoded"));
        QCOMPARE(post.header("Accept"), QByteArray("*/*"));
        QCOMPARE(post.header("User-Agent"), TWinHTTP::browserAgent().toUtf8());
        QCOMPARE(post.body, QByteArray("a=1&b=%E4%B8%AD&sign=X"));
    }

    void busyRefusal()
    {
        LocalHttpServer srv;
        srv.Get("/slow", [](const httplib::Request &, httplib::Response &res) {
            std::this_thread::sleep_for(200ms);
            res.set_content("slow", "text/plain");
        });
        srv.Get("/other", [](const httplib::Request &, httplib::Response &res) {
            res.set_content("other", "text/plain");
        });
        TWinHTTP http;
        http.setURL(srv.url(QStringLiteral("/slow")));
        QSignalSpy error(&http, &TWinHTTP::OnAnyError);
        QList<bool> startsInsideDone;
        QByteArray firstBody;
        connect(&http, &TWinHTTP::OnDone, this, [&](const QString &, qint64, const QByteArray &body) {
            if (firstBody.isEmpty())
                firstBody = body;
            QVERIFY(http.busy());
            startsInsideDone.append(http.Start());
        });
        QVERIFY(http.Start());
        http.setURL(srv.url(QStringLiteral("/other")));
        QVERIFY(!http.Start()); // in flight: refused, nothing sent
        QTRY_COMPARE_WITH_TIMEOUT(startsInsideDone.size(), 1, 5000);
        QCOMPARE(startsInsideDone.at(0), false); // from inside its own OnDone: refused
        QCOMPARE(firstBody, QByteArray("slow"));
        QVERIFY(!http.busy());
        QCOMPARE(srv.seen().size(), 1);
        QCOMPARE(srv.seen().at(0).target, QByteArray("/slow"));

        // Once the event has returned, the next request may start (as a job's timer does).
        bool restarted = false;
        QTimer::singleShot(0, this, [&] { restarted = http.Start(); });
        QTRY_COMPARE_WITH_TIMEOUT(startsInsideDone.size(), 2, 5000);
        QVERIFY(restarted);
        QCOMPARE(srv.seen().at(1).target, QByteArray("/other"));
        QCOMPARE(error.count(), 0);
    }

    void failuresRaiseAnyError_data()
    {
        // target: a path of the local server, "closed" (nothing listens) or
        // "mute" (takes the connection, never answers); timeouts 0 = the defaults.
        QTest::addColumn<QString>("target");
        QTest::addColumn<int>("timeouts");
        QTest::addColumn<QString>("why");
        QTest::newRow("404") << QStringLiteral("/missing") << 10000
                             << QStringLiteral("服务器返回错误 (HTTP 404 Not Found)");
        QTest::newRow("500") << QStringLiteral("/broken") << 10000
                             << QStringLiteral("服务器返回错误 (HTTP 500 Internal Server Error)");
        QTest::newRow("body shorter than its Content-Length")
            << QStringLiteral("/short") << 10000
            << QStringLiteral("应答不完整,连接中断 (received 600 of 1000 bytes");
        QTest::newRow("no reply within the receive time-out")
            << QStringLiteral("/silent") << 10000
            << QStringLiteral("等待服务器应答超时 (receive timeout after 1000 ms)");
        QTest::newRow("server never answers") << QStringLiteral("mute") << 10000
                                              << QStringLiteral("等待服务器应答超时 (receive timeout after 1000 ms)");
        // A component created at run time: half a minute of silence, scaled
        // (and, like every scaled time-out, not below a second).
        QTest::newRow("server never answers, default time-outs")
            << QStringLiteral("mute") << 0 << QStringLiteral("等待服务器应答超时 (receive timeout after 1000 ms)");
        QTest::newRow("closed port") << QStringLiteral("closed") << 10000 << QStringLiteral("无法连接服务器 (");
    }

    void failuresRaiseAnyError()
    {
        QFETCH(QString, target);
        QFETCH(int, timeouts);
        QFETCH(QString, why);
        LocalHttpServer srv;
        MuteLocalPort mute;
        srv.Get("/broken", [](const httplib::Request &, httplib::Response &res) {
            res.status = 500;
            res.set_content("<html>oops</html>", "text/html");
        });
        srv.Get("/short", [](const httplib::Request &, httplib::Response &res) {
            res.set_content_provider(1000, "text/plain", [](size_t offset, size_t, httplib::DataSink &sink) {
                if (offset > 0)
                    return false;
                const std::string part(600, 'x');
                sink.write(part.data(), part.size());
                return true;
            });
        });
        srv.Get("/silent", [](const httplib::Request &, httplib::Response &res) {
            std::this_thread::sleep_for(2500ms);
            res.set_content("late", "text/plain");
        });
        Intervals::setScale(0.01); // the program's 10 s time-outs become a second
        TWinHTTP http;
        if (timeouts > 0)
            http.setTimeouts(timeouts);
        if (target == QLatin1String("closed"))
            http.setURL(QStringLiteral("http://127.0.0.1:%1/x").arg(ClosedLocalPort()));
        else if (target == QLatin1String("mute"))
            http.setURL(QStringLiteral("http://127.0.0.1:%1/x").arg(mute.port()));
        else
            http.setURL(srv.url(target));
        QSignalSpy done(&http, &TWinHTTP::OnDone);
        QSignalSpy error(&http, &TWinHTTP::OnAnyError);
        QVERIFY(http.Start());
        QVERIFY(waitForEvent(done, error));
        QTest::qWait(20);
        QCOMPARE(done.count(), 0);
        QCOMPARE(error.count(), 1);
        QVERIFY2(error.at(0).at(0).toString().startsWith(why), qPrintable(error.at(0).at(0).toString()));
        QVERIFY(!http.busy());
    }

    void replyWithoutLengthThatBreaksOff_data()
    {
        QTest::addColumn<bool>("stall");
        QTest::newRow("connection dropped") << false;
        QTest::newRow("receive time-out") << true;
    }

    void replyWithoutLengthThatBreaksOff()
    {
        // A chunked reply that stops coming until the receive time-out counts
        // as success with the bytes that arrived; one whose connection drops
        // before the last chunk is a broken reply.
        QFETCH(bool, stall);
        LocalHttpServer srv;
        srv.Get("/stream", [stall](const httplib::Request &, httplib::Response &res) {
            res.set_chunked_content_provider("text/plain", [stall](size_t offset, httplib::DataSink &sink) {
                if (offset > 0) {
                    if (stall)
                        std::this_thread::sleep_for(2500ms);
                    return false;
                }
                sink.write("partial", 7);
                return true;
            });
        });
        Intervals::setScale(0.01);
        TWinHTTP http;
        http.setTimeouts(10000);
        http.setURL(srv.url(QStringLiteral("/stream")));
        QSignalSpy done(&http, &TWinHTTP::OnDone);
        QSignalSpy error(&http, &TWinHTTP::OnAnyError);
        QVERIFY(http.Start());
        QVERIFY(waitForEvent(done, error));
        if (!stall) {
            QCOMPARE(done.count(), 0);
            QCOMPARE(error.count(), 1);
            const QString why = error.at(0).at(0).toString();
            QVERIFY2(why.startsWith(QStringLiteral("应答不完整,连接中断 (received 7 bytes; ")), qPrintable(why));
            return;
        }
        QCOMPARE(error.count(), 0);
        QCOMPARE(done.count(), 1);
        QCOMPARE(done.at(0).at(2).toByteArray(), QByteArray("partial"));
        QCOMPARE(done.at(0).at(1).toLongLong(), qint64(7));
    }

    void addressForms()
    {
        // The scheme is added when missing; the query is percent-encoded
        // with upper-case hex, its =, &, ? and / kept; %xx is not encoded twice.
        QCOMPARE(TWinHTTP::wireUrl(QStringLiteral("127.0.0.1:8080/a")),
                 QByteArray("http://127.0.0.1:8080/a"));
        QCOMPARE(TWinHTTP::wireUrl(QStringLiteral("https://h/p?q=a b+c%d*<>#x")),
                 QByteArray("https://h/p?q=a%20b%2Bc%25d%2A%3C%3E%23x"));
        QCOMPARE(TWinHTTP::wireUrl(QStringLiteral("http://h/p?k=中&x=%41%2b/?y")),
                 QByteArray("http://h/p?k=%E4%B8%AD&x=A%2B/?y"));
        QCOMPARE(TWinHTTP::EncodeExtra(QByteArray("?a=\x01\x7f\xff")), QByteArray("?a=%01\x7f%FF"));
        // a % without two hex digits after it is a plain character, not an escape
        QCOMPARE(TWinHTTP::EncodeExtra(QByteArray("?a=%zz&b=%4")), QByteArray("?a=%25zz&b=%254"));

        LocalHttpServer srv;
        srv.Get(R"(/search.*)", [](const httplib::Request &, httplib::Response &res) {
            res.set_content("found", "text/html");
        });
        TWinHTTP http;
        http.setURL(QStringLiteral("127.0.0.1:%1/search?q=red shirt+2&cat=5/6&p=100%").arg(srv.port()));
        QSignalSpy done(&http, &TWinHTTP::OnDone);
        QSignalSpy error(&http, &TWinHTTP::OnAnyError);
        QVERIFY(http.Start());
        QVERIFY(waitForEvent(done, error));
        QCOMPARE(done.count(), 1);
        QCOMPARE(srv.seen().at(0).target, QByteArray("/search?q=red%20shirt%2B2&cat=5/6&p=100%25"));
    }

    void releasingInFlightRaisesNothing()
    {
        LocalHttpServer srv;
        srv.Get("/slow", [](const httplib::Request &, httplib::Response &res) {
            std::this_thread::sleep_for(300ms);
            res.set_content("slow", "text/plain");
        });
        std::atomic<int> events{0};
        auto *http = new TWinHTTP;
        http->setURL(srv.url(QStringLiteral("/slow")));
        connect(http, &TWinHTTP::OnDone, this, [&] { ++events; });
        connect(http, &TWinHTTP::OnAnyError, this, [&] { ++events; });
        QVERIFY(http->Start());
        QTest::qWait(50);
        QElapsedTimer t;
        t.start();
        delete http;
        QVERIFY2(t.elapsed() < 250, "the worker is stopped, not waited for");
        QTest::qWait(400);
        QCOMPARE(events.load(), 0);

        // release() outside an event: no event follows either.
        QPointer<TWinHTTP> second = new TWinHTTP;
        second->setURL(srv.url(QStringLiteral("/slow")));
        connect(second, &TWinHTTP::OnDone, this, [&] { ++events; });
        QVERIFY(second->Start());
        second->release();
        QTRY_VERIFY_WITH_TIMEOUT(second.isNull(), 2000);
        QTest::qWait(400);
        QCOMPARE(events.load(), 0);
    }

    void replacingFromInsideItsOwnEvent()
    {
        // An error handler swaps in a fresh component, as the retrying jobs do.
        LocalHttpServer srv;
        srv.Get("/ok", [](const httplib::Request &, httplib::Response &res) {
            res.set_content("ok", "text/plain");
        });
        QPointer<TWinHTTP> current = new TWinHTTP;
        current->setURL(srv.url(QStringLiteral("/missing")));
        QPointer<TWinHTTP> old = current;
        bool oldAliveInHandler = false;
        QByteArray second;
        connect(current, &TWinHTTP::OnAnyError, this, [&] {
            TWinHTTP *fresh = new TWinHTTP;
            fresh->setURL(srv.url(QStringLiteral("/ok")));
            connect(fresh, &TWinHTTP::OnDone, this,
                    [&](const QString &, qint64, const QByteArray &body) { second = body; });
            current->release();
            oldAliveInHandler = !old.isNull() && old->busy();
            current = fresh;
            QTimer::singleShot(0, fresh, [fresh] { fresh->Start(); });
        });
        QVERIFY(current->Start());
        QTRY_COMPARE_WITH_TIMEOUT(second, QByteArray("ok"), 5000);
        QVERIFY(oldAliveInHandler);
        QTRY_VERIFY(old.isNull());
        delete current;
    }

    void exceptionInDoneBecomesAnyError()
    {
        LocalHttpServer srv;
        srv.Get("/ok", [](const httplib::Request &, httplib::Response &res) {
            res.set_content("ok", "text/plain");
        });
        TWinHTTP http;
        http.setURL(srv.url(QStringLiteral("/ok")));
        connect(&http, &TWinHTTP::OnDone, this, [] { throw std::runtime_error("bad reply"); });
        QSignalSpy error(&http, &TWinHTTP::OnAnyError);
        QVERIFY(http.Start());
        QTRY_COMPARE_WITH_TIMEOUT(error.count(), 1, 5000);
        QCOMPARE(error.at(0).at(0).toString(), QStringLiteral("bad reply"));
        QVERIFY(!http.busy());
    }
};

QTEST_GUILESS_MAIN(WinHttpTest)
#include "winhttp_test.moc"
