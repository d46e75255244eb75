#pragma once

#include <QWidget>

class FormulaPage;
class QCheckBox;
class QDoubleSpinBox;
class QLabel;
class QPushButton;
class QRadioButton;
struct Formulas;

// The formula tab `_TabSheetFormula` of the target page: the quantity and
// the price formula with their boxes and rounding choices, and "保存设置".
// It mirrors the formula page and hands every user change to it.
class FormulaTab : public QWidget
{
    Q_OBJECT
public:
    explicit FormulaTab(FormulaPage &page, QWidget *parent = nullptr);

    QCheckBox *quantityEnabled() const { return m_digit; }
    QCheckBox *priceEnabled() const { return m_price; }

public Q_SLOTS:
    // "源数量  =" and "源价格  =".
    void chkDigitClick();
    void chkPriceClick();
    // A rounding choice or a number box changed.
    void FormulaChange();
    // "保存设置".
    void RzBitBtn1Click();
    // The controls show the page's formulas again.
    void showFormulas();

private:
    Formulas read() const;
    void applyEnabled();

    FormulaPage &m_page;
    QCheckBox *m_digit = nullptr;
    QLabel *m_digitLabel = nullptr;
    QDoubleSpinBox *m_digitM = nullptr;
    QDoubleSpinBox *m_digitS = nullptr;
    QRadioButton *m_digitRound = nullptr;
    QRadioButton *m_digitTruncate = nullptr;
    QCheckBox *m_price = nullptr;
    QLabel *m_priceLabel = nullptr;
    QDoubleSpinBox *m_priceM = nullptr;
    QDoubleSpinBox *m_priceS = nullptr;
    QRadioButton *m_priceNone = nullptr;
    QRadioButton *m_priceRound = nullptr;
    QRadioButton *m_priceTruncate = nullptr;
    QPushButton *m_save = nullptr;
};
