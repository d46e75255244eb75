#include "base/Clock.h"

#include <QTimer>
#include <cmath>

namespace {
bool g_fixed = false;
QDateTime g_now;
double g_scale = 1.0;
} // namespace

QDateTime Clock::now()
{
    return g_fixed ? g_now : QDateTime::currentDateTime();
}

void Clock::setNow(const QDateTime &moment)
{
    g_fixed = true;
    g_now = moment;
}

void Clock::advance(qint64 milliseconds)
{
    if (g_fixed)
        g_now = g_now.addMSecs(milliseconds);
}

void Clock::reset()
{
    g_fixed = false;
    g_now = QDateTime();
}

bool Clock::isFixed()
{
    return g_fixed;
}

QString Clock::nowText()
{
    return now().toString(QStringLiteral("yyyy/MM/dd hh:mm:ss"));
}

int Intervals::ms(int wanted)
{
    if (wanted <= 0)
        return 0;
    const double scaled = std::round(wanted * g_scale);
    return scaled < 0 ? 0 : static_cast<int>(scaled);
}

void Intervals::setScale(double factor)
{
    g_scale = factor < 0 ? 0 : factor;
}

double Intervals::scale()
{
    return g_scale;
}

void Intervals::arm(QTimer &timer, int wanted, bool start)
{
    timer.setInterval(ms(wanted));
    if (start)
        timer.start();
}
