#pragma once

#include <QDateTime>

class QTimer;

// "Now" for the whole program. Tests fix it or move it; the program reads it
// from here and never from QDateTime directly.
class Clock
{
public:
    static QDateTime now();
    // Fixes now() to the given moment until reset(); advance() moves a fixed clock on.
    static void setNow(const QDateTime &moment);
    static void advance(qint64 milliseconds);
    static void reset();
    static bool isFixed();
    // now() formatted "yyyy/MM/dd hh:mm:ss", the form stored for job start times.
    static QString nowText();
};

// Every timer interval of the program goes through here, so that tests can
// run ten-second countdowns and minute intervals in milliseconds.
class Intervals
{
public:
    // The interval the program wants, scaled; never below 0.
    static int ms(int wanted);
    static void setScale(double factor);
    static double scale();
    // Sets the timer's interval to ms(wanted) and, when start is set, starts it.
    static void arm(QTimer &timer, int wanted, bool start = false);
};
