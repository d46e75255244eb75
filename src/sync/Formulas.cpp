#include "sync/Formulas.h"

#include "base/TextRoutines.h"
#include "store/Settings.h"

#include <QStringList>
#include <cmath>
#include <limits>

namespace {

const QString kOn = QStringLiteral("1");

// A number as a box with d decimals shows it, and the value it then holds.
QString boxText(double value, int decimals)
{
    QString t = QString::number(value, 'f', decimals);
    if (t.startsWith(QLatin1Char('-')) && t.toDouble() == 0.0)
        t.remove(0, 1); // "-0.00" shows as "0.00"
    return t;
}

double boxValue(double value, int decimals)
{
    return std::isfinite(value) ? boxText(value, decimals).toDouble() : 0.0;
}

// Field i of a stored form, or the default when the form has fewer fields.
QString field(const QStringList &fields, int i, const char *fallback)
{
    return i < fields.size() ? fields.at(i) : QString::fromLatin1(fallback);
}

// A number field; an unreadable text keeps the default.
double numberField(const QStringList &fields, int i, double fallback)
{
    if (i >= fields.size())
        return fallback;
    bool ok = false;
    const double v = TrimText(fields.at(i)).toDouble(&ok);
    return ok && std::isfinite(v) ? v : fallback;
}

QString flag(bool on)
{
    return on ? QStringLiteral("1") : QStringLiteral("0");
}

qint64 clampToInteger(double v)
{
    constexpr double lo = -9.2e18, hi = 9.2e18;
    if (!(v >= lo))
        return v != v ? 0 : static_cast<qint64>(lo);
    if (v > hi)
        return static_cast<qint64>(hi);
    return static_cast<qint64>(v);
}

} // namespace

QString QuantityFormula::multiplierText() const
{
    return boxText(multiplier, 2);
}

QString QuantityFormula::addendText() const
{
    return boxText(addend, 0);
}

void QuantityFormula::setMultiplier(double m)
{
    multiplier = boxValue(m, 2);
}

void QuantityFormula::setAddend(double s)
{
    addend = std::isfinite(s) ? RoundHalfEven(s) : 0.0;
    if (addend == 0.0)
        addend = 0.0;
}

qint64 QuantityFormula::apply(qint64 quantity) const
{
    const double v = multiplier * static_cast<double>(quantity) + addend;
    const double r = rounding == Rounding::Round ? RoundHalfEven(v) : std::trunc(v);
    const qint64 n = clampToInteger(r);
    return n < 0 ? 0 : n;
}

QString QuantityFormula::apply(const QString &quantity) const
{
    bool ok = false;
    qint64 q = TrimText(quantity).toLongLong(&ok);
    if (!ok)
        q = clampToInteger(std::trunc(TrimText(quantity).toDouble()));
    return QString::number(apply(q));
}

QString QuantityFormula::storedForm() const
{
    return flag(enabled) + QLatin1Char(';') + multiplierText() + QLatin1Char(';') + addendText() +
           QLatin1Char(';') + flag(rounding == Rounding::Round) + QLatin1Char(';') +
           flag(rounding == Rounding::Truncate);
}

QuantityFormula QuantityFormula::fromStoredForm(const QString &text)
{
    const QStringList f = SplitToList(text, QStringLiteral(";"));
    QuantityFormula q;
    q.enabled = field(f, 0, "0") == kOn;
    q.setMultiplier(numberField(f, 1, 1.0));
    q.setAddend(numberField(f, 2, 0.0));
    // the truncation field is not read: one of the two is always chosen
    q.rounding = field(f, 3, "1") == kOn ? Rounding::Round : Rounding::Truncate;
    return q;
}

QString PriceFormula::multiplierText() const
{
    return boxText(multiplier, 2);
}

QString PriceFormula::addendText() const
{
    return boxText(addend, 2);
}

void PriceFormula::setMultiplier(double m)
{
    multiplier = boxValue(m, 2);
}

void PriceFormula::setAddend(double s)
{
    addend = boxValue(s, 2);
}

double PriceFormula::apply(double price) const
{
    double v = price * multiplier + addend;
    switch (rounding) {
    case Rounding::Round:
        v = RoundHalfEven(v);
        break;
    case Rounding::Truncate:
        v = std::trunc(v);
        break;
    case Rounding::None:
        v = RoundHalfEven(v * 100.0) / 100.0;
        break;
    }
    // not >= 0 catches NaN; -0 reads as 0
    if (!(v >= 0.0) || v == 0.0)
        v = 0.0;
    return v;
}

QString PriceFormula::apply(const QString &price) const
{
    return PriceText(apply(TrimText(price).toDouble()));
}

QString PriceFormula::storedForm() const
{
    return flag(enabled) + QLatin1Char(';') + multiplierText() + QLatin1Char(';') + addendText() +
           QLatin1Char(';') + flag(rounding == Rounding::None) + QLatin1Char(';') +
           flag(rounding == Rounding::Round) + QLatin1Char(';') + flag(rounding == Rounding::Truncate);
}

PriceFormula PriceFormula::fromStoredForm(const QString &text)
{
    const QStringList f = SplitToList(text, QStringLiteral(";"));
    PriceFormula p;
    p.enabled = field(f, 0, "0") == kOn;
    p.setMultiplier(numberField(f, 1, 1.0));
    p.setAddend(numberField(f, 2, 0.0));
    if (field(f, 3, "1") == kOn)
        p.rounding = Rounding::None;
    else if (field(f, 4, "0") == kOn)
        p.rounding = Rounding::Round;
    else
        p.rounding = Rounding::Truncate;
    return p;
}

QString PriceText(double value)
{
    if (value == 0.0 || !std::isfinite(value))
        return value == 0.0 ? QStringLiteral("0") : QString::number(value);
    return QString::number(value, 'g', 15);
}

Formulas GetFormula(const Settings &settings, Formulas current)
{
    // A missing row reads as its default (both formulas off): edits the user
    // declined to save never stay in effect.
    current.quantity = QuantityFormula::fromStoredForm(settings.text(Setting::QuantityFormula));
    current.price = PriceFormula::fromStoredForm(settings.text(Setting::PriceFormula));
    return current;
}

bool SetFormula(const Settings &settings, const Formulas &formulas)
{
    return settings.set(Setting::QuantityFormula, formulas.quantity.storedForm()) &&
           settings.set(Setting::PriceFormula, formulas.price.storedForm());
}
