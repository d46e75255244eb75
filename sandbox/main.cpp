// top-sandbox: the platform stand-in as a program of its own.
#include "TopSandbox.h"

#include <QString>
#include <QStringList>

#include <csignal>
#include <cstdio>
#include <pthread.h>

namespace {

const char usage[] = "usage: top-sandbox [--fixture FILE] [--generate shops=3,items=5000,skus=6,seed=1]\n"
                     "                   [--port N] [--app KEY:SECRET]... [--rate-limit CALLS/SECONDS]\n"
                     "                   [--app-without-shops KEY]...\n"
                     "                   [--fault method=M,kind=error|close|truncate|delay|http500,count=N,\n"
                     "                            code=C,msg=..,sub_code=..,sub_msg=..,delay_ms=MS]...\n"
                     "Serves the gateway on http://127.0.0.1:PORT/router/rest (loopback only) and prints\n"
                     "the port on the first line of standard output. --port 0 picks a free port; the\n"
                     "default is 8765. The built-in application key 21770501 is always known.\n"
                     "The login pages: the API container on http://127.0.0.2:PORT/container, the open\n"
                     "platform's container on http://127.0.0.3:PORT/container, the login page on\n"
                     "http://127.0.0.4:PORT/member/login.jhtml (all of them on 127.0.0.1:PORT as well).\n"
                     "--app-without-shops KEY sends KEY to the open platform's container after a login.\n"
                     "Admin paths: GET /_sandbox/state, GET /_sandbox/calls, POST /_sandbox/fault,\n"
                     "POST /_sandbox/faults/clear, POST /_sandbox/rate-limit, POST /_sandbox/calls/clear.\n";

int fail(const QString &text)
{
    std::fprintf(stderr, "top-sandbox: %s\n%s", text.toLocal8Bit().constData(), usage);
    return 2;
}

} // namespace

int main(int argc, char **argv)
{
    // Block the stop signals before any thread starts, so that only sigwait sees them.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);

    topsandbox::TopSandbox sandbox;
    int port = 8765;
    bool haveShops = false;
    QStringList faults;
    for (int i = 1; i < argc; ++i) {
        const QString a = QString::fromLocal8Bit(argv[i]);
        auto next = [&](QString *out) {
            if (i + 1 >= argc)
                return false;
            *out = QString::fromLocal8Bit(argv[++i]);
            return true;
        };
        QString v, error;
        if (a == QStringLiteral("--help") || a == QStringLiteral("-h")) {
            std::fputs(usage, stdout);
            return 0;
        } else if (a == QStringLiteral("--fixture")) {
            if (!next(&v))
                return fail(QStringLiteral("--fixture needs a file"));
            if (!sandbox.loadFixture(v, &error))
                return fail(error);
            haveShops = true;
        } else if (a == QStringLiteral("--generate")) {
            topsandbox::GenerateOptions o;
            if (!next(&v) || !topsandbox::GenerateOptions::parse(v, &o, &error))
                return fail(error.isEmpty() ? QStringLiteral("--generate needs options") : error);
            sandbox.generate(o);
            haveShops = true;
        } else if (a == QStringLiteral("--port")) {
            bool ok = false;
            port = next(&v) ? v.toInt(&ok) : -1;
            if (!ok || port < 0 || port > 65535)
                return fail(QStringLiteral("--port needs a number from 0 to 65535"));
        } else if (a == QStringLiteral("--app")) {
            const int colon = next(&v) ? v.indexOf(QLatin1Char(':')) : -1;
            if (colon <= 0 || colon == v.size() - 1)
                return fail(QStringLiteral("--app needs KEY:SECRET"));
            sandbox.addApp(v.left(colon), v.mid(colon + 1));
        } else if (a == QStringLiteral("--app-without-shops")) {
            if (!next(&v) || v.isEmpty())
                return fail(QStringLiteral("--app-without-shops needs an app key"));
            sandbox.setAppManagesShops(v, false);
        } else if (a == QStringLiteral("--rate-limit")) {
            const QStringList parts = next(&v) ? v.split(QLatin1Char('/')) : QStringList();
            bool ok1 = false, ok2 = parts.size() == 1;
            const int calls = parts.value(0).toInt(&ok1);
            const int seconds = parts.size() == 2 ? parts[1].toInt(&ok2) : 1;
            if (!ok1 || !ok2 || calls < 0 || seconds < 1 || parts.size() > 2)
                return fail(QStringLiteral("--rate-limit needs CALLS/SECONDS, e.g. 10/60"));
            sandbox.setRateLimit(calls, seconds);
        } else if (a == QStringLiteral("--fault")) {
            if (!next(&v) || !sandbox.injectFaultText(v, &error))
                return fail(error.isEmpty() ? QStringLiteral("--fault needs a description") : error);
        } else {
            return fail(QStringLiteral("unknown option ") + a);
        }
    }
    if (!haveShops)
        return fail(QStringLiteral("nothing to serve: give --fixture or --generate"));
    const int bound = sandbox.start(port);
    if (bound < 0)
        return fail(QStringLiteral("cannot listen on 127.0.0.1:") + QString::number(port));
    std::printf("%d\n", bound);
    std::fflush(stdout);
    std::fprintf(stderr, "top-sandbox: %lld shops on %s (Ctrl+C stops)\n",
                 static_cast<long long>(sandbox.nicks().size()),
                 sandbox.gatewayUrl().toLocal8Bit().constData());
    std::fprintf(stderr, "top-sandbox: container %s, open platform %s, login %s\n",
                 sandbox.containerUrl().toLocal8Bit().constData(),
                 sandbox.openContainerUrl().toLocal8Bit().constData(),
                 sandbox.loginPageUrl().toLocal8Bit().constData());
    int sig = 0;
    sigwait(&stopSignals, &sig);
    sandbox.stop();
    return 0;
}
