#pragma once

#include <QString>

class Settings;

// The quantity formula: source quantity × M + S, rounded or truncated to a
// whole number, never below 0. Stored in _Parameter 30 as
// enabled;M;S;round;truncate ("0;1;0;1;0").
struct QuantityFormula
{
    enum class Rounding { Round, Truncate }; // "取整(四舍五入)", "抹零"

    bool enabled = false;
    double multiplier = 1.0; // two decimals, as the box holds it
    double addend = 0.0;     // a whole number
    Rounding rounding = Rounding::Round;

    // The texts of the two boxes as displayed ("0.80", "-2").
    QString multiplierText() const;
    QString addendText() const;
    void setMultiplier(double m);
    void setAddend(double s);

    // The formula over one source quantity, whether enabled or not.
    qint64 apply(qint64 quantity) const;
    // The same over the text of a quantity cell; a text that is not a whole
    // number counts by its integer part.
    QString apply(const QString &quantity) const;

    QString storedForm() const;
    // Reads a stored form; missing or unreadable fields keep their defaults.
    static QuantityFormula fromStoredForm(const QString &text);

    bool operator==(const QuantityFormula &) const = default;
};

// The price formula: source price × M + S, rounded to the cent, to a whole
// number or truncated, never below 0. Stored in _Parameter 31 as
// enabled;M;S;none;round;truncate ("0;1;0;1;0;0").
struct PriceFormula
{
    enum class Rounding { None, Round, Truncate }; // "无", "取整(四舍五入)", "抹零"

    bool enabled = false;
    double multiplier = 1.0; // two decimals
    double addend = 0.0;     // two decimals
    Rounding rounding = Rounding::None;

    QString multiplierText() const;
    QString addendText() const;
    void setMultiplier(double m);
    void setAddend(double s);

    double apply(double price) const;
    // The formula over the text of a price cell; the result in general form
    // (12.5, 30, 11.99).
    QString apply(const QString &price) const;

    QString storedForm() const;
    static PriceFormula fromStoredForm(const QString &text);

    bool operator==(const PriceFormula &) const = default;
};

// Both formulas as the formula page holds them.
struct Formulas
{
    QuantityFormula quantity;
    PriceFormula price;

    bool anyEnabled() const { return quantity.enabled || price.enabled; }
    bool operator==(const Formulas &) const = default;
};

// GetFormula: the stored formulas (_Parameter 30 and 31). Rows that do not
// exist leave the given formulas as they are; 31 is read only when 30 exists.
Formulas GetFormula(const Settings &settings, Formulas current = {});
// SetFormula: stores both, creating the rows when missing. False when a
// statement fails.
bool SetFormula(const Settings &settings, const Formulas &formulas);

// A price in general form: up to 15 significant digits, no trailing zeros,
// no grouping (12.5, 30).
QString PriceText(double value);
