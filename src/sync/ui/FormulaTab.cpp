#include "sync/ui/FormulaTab.h"
#include "app/ui/WidgetHelpers.h"
#include "sync/FormulaPage.h"

#include <QDoubleSpinBox>
#include <QFontMetrics>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QSignalBlocker>
#include <QVBoxLayout>
#include <algorithm>
#include <memory>
#include <vector>

using namespace ui;

namespace {
QDoubleSpinBox *numberBox(QWidget *parent, const QString &name, int decimals)
{
    auto *box = named(new QDoubleSpinBox(parent), name);
    box->setDecimals(decimals);
    box->setRange(-999999.0, 999999.0);
    box->setButtonSymbols(QAbstractSpinBox::NoButtons);
    box->setAlignment(Qt::AlignRight);
    box->setFixedWidth(64);
    return box;
}

// The label "源数量 ×               +" with the multiplier box over its blanks;
// the addend box follows the label.
QLabel *formulaLabel(QWidget *parent, const QString &name, const QString &lead, QDoubleSpinBox *multiplier)
{
    const QString blanks(15, QLatin1Char(' '));
    QLabel *l = label(parent, lead + QStringLiteral(" ×") + blanks + QStringLiteral("+"), name);
    const QFontMetrics fm(l->font());
    const int left = fm.horizontalAdvance(lead + QStringLiteral(" × "));
    const int room = fm.horizontalAdvance(blanks);
    multiplier->setParent(l);
    // the box fits the blanks and leaves the "+" in sight
    multiplier->setFixedWidth(std::max(room - 4, 40));
    l->setMinimumWidth(fm.horizontalAdvance(l->text()) + 2);
    auto *row = new QHBoxLayout(l);
    row->setContentsMargins(left, 0, 0, 0);
    row->addWidget(multiplier);
    row->addStretch();
    l->setIndent(0);
    l->setAlignment(Qt::AlignVCenter | Qt::AlignLeft);
    l->setMinimumHeight(multiplier->sizeHint().height());
    return l;
}
} // namespace

FormulaTab::FormulaTab(FormulaPage &page, QWidget *parent) : QWidget(parent), m_page(page)
{
    setObjectName(QStringLiteral("_TabSheetFormula"));
    auto *column = new QVBoxLayout(this);
    column->setContentsMargins(12, 12, 12, 12);
    auto *grid = new QGridLayout;
    grid->setHorizontalSpacing(10);
    grid->setVerticalSpacing(10);

    m_digit = checkBox(this, QStringLiteral("chkDigit"), QStringLiteral("源数量  ="));
    m_digitM = numberBox(this, QStringLiteral("_Digit_MValue"), 2);
    m_digitS = numberBox(this, QStringLiteral("_Digit_SValue"), 0);
    m_digitLabel = formulaLabel(this, QStringLiteral("lblDigit"), QStringLiteral("源数量"), m_digitM);
    auto *digitGroup = new QButtonGroup(this);
    m_digitRound = radio(this, digitGroup, QStringLiteral("chkDigit01"), QStringLiteral("取整(四舍五入)"));
    m_digitTruncate = radio(this, digitGroup, QStringLiteral("chkdigit02"), QStringLiteral("抹零"));
    m_digitRound->setChecked(true);
    grid->addWidget(m_digit, 0, 0);
    grid->addWidget(m_digitLabel, 0, 1);
    grid->addWidget(m_digitS, 0, 2);
    grid->addWidget(m_digitRound, 0, 3);
    grid->addWidget(m_digitTruncate, 0, 4);

    m_price = checkBox(this, QStringLiteral("chkPrice"), QStringLiteral("源价格  ="));
    m_priceM = numberBox(this, QStringLiteral("_Price_MValue"), 2);
    m_priceS = numberBox(this, QStringLiteral("_Price_SValue"), 2);
    m_priceLabel = formulaLabel(this, QStringLiteral("lblPrice"), QStringLiteral("源价格"), m_priceM);
    auto *priceGroup = new QButtonGroup(this);
    m_priceNone = radio(this, priceGroup, QStringLiteral("chkPrice01"), QStringLiteral("无"));
    m_priceRound = radio(this, priceGroup, QStringLiteral("chkPrice02"), QStringLiteral("取整(四舍五入)"));
    m_priceTruncate = radio(this, priceGroup, QStringLiteral("chkPrice03"), QStringLiteral("抹零"));
    m_priceNone->setChecked(true);
    grid->addWidget(m_price, 1, 0);
    grid->addWidget(m_priceLabel, 1, 1);
    grid->addWidget(m_priceS, 1, 2);
    grid->addWidget(m_priceNone, 1, 3);
    grid->addWidget(m_priceRound, 1, 4);
    grid->addWidget(m_priceTruncate, 1, 5);
    grid->setColumnStretch(6, 1);
    column->addLayout(grid);

    auto *buttons = new QHBoxLayout;
    m_save = button(this, QStringLiteral("RzBitBtn1"), QStringLiteral("保存设置"));
    m_save->setMinimumWidth(100);
    buttons->addWidget(m_save);
    buttons->addStretch();
    column->addSpacing(8);
    column->addLayout(buttons);
    column->addStretch();

    connect(m_digit, &QCheckBox::clicked, this, &FormulaTab::chkDigitClick);
    connect(m_price, &QCheckBox::clicked, this, &FormulaTab::chkPriceClick);
    for (QRadioButton *r : {m_digitRound, m_digitTruncate, m_priceNone, m_priceRound, m_priceTruncate})
        connect(r, &QRadioButton::clicked, this, &FormulaTab::FormulaChange);
    for (QDoubleSpinBox *b : {m_digitM, m_digitS, m_priceM, m_priceS})
        connect(b, &QDoubleSpinBox::valueChanged, this, &FormulaTab::FormulaChange);
    connect(m_save, &QPushButton::clicked, this, &FormulaTab::RzBitBtn1Click);
    connect(&m_page, &FormulaPage::formulasChanged, this, &FormulaTab::showFormulas);
    showFormulas();
}

Formulas FormulaTab::read() const
{
    Formulas f = m_page.formulas();
    f.quantity.enabled = m_digit->isChecked();
    f.quantity.setMultiplier(m_digitM->value());
    f.quantity.setAddend(m_digitS->value());
    f.quantity.rounding = m_digitTruncate->isChecked() ? QuantityFormula::Rounding::Truncate
                                                       : QuantityFormula::Rounding::Round;
    f.price.enabled = m_price->isChecked();
    f.price.setMultiplier(m_priceM->value());
    f.price.setAddend(m_priceS->value());
    f.price.rounding = m_priceNone->isChecked()    ? PriceFormula::Rounding::None
                       : m_priceRound->isChecked() ? PriceFormula::Rounding::Round
                                                   : PriceFormula::Rounding::Truncate;
    return f;
}

void FormulaTab::applyEnabled()
{
    const bool quantity = m_page.quantityControlsEnabled();
    for (QWidget *w : std::initializer_list<QWidget *>{m_digitLabel, m_digitM, m_digitS, m_digitRound, m_digitTruncate})
        w->setEnabled(quantity);
    const bool price = m_page.priceControlsEnabled();
    for (QWidget *w : std::initializer_list<QWidget *>{m_priceLabel, m_priceM, m_priceS, m_priceNone, m_priceRound,
                                                       m_priceTruncate})
        w->setEnabled(price);
}

void FormulaTab::chkDigitClick()
{
    FormulaChange();
}

void FormulaTab::chkPriceClick()
{
    FormulaChange();
}

void FormulaTab::FormulaChange()
{
    m_page.edit(read());
    applyEnabled();
}

void FormulaTab::RzBitBtn1Click()
{
    m_page.saveClicked();
}

void FormulaTab::showFormulas()
{
    const Formulas &f = m_page.formulas();
    const QList<QWidget *> controls = {m_digit, m_digitM, m_digitS, m_digitRound, m_digitTruncate, m_price,
                                       m_priceM, m_priceS, m_priceNone, m_priceRound, m_priceTruncate};
    std::vector<std::unique_ptr<QSignalBlocker>> quiet;
    for (QWidget *w : controls)
        quiet.push_back(std::make_unique<QSignalBlocker>(w));
    m_digit->setChecked(f.quantity.enabled);
    m_digitM->setValue(f.quantity.multiplier);
    m_digitS->setValue(f.quantity.addend);
    (f.quantity.rounding == QuantityFormula::Rounding::Truncate ? m_digitTruncate : m_digitRound)->setChecked(true);
    m_price->setChecked(f.price.enabled);
    m_priceM->setValue(f.price.multiplier);
    m_priceS->setValue(f.price.addend);
    switch (f.price.rounding) {
    case PriceFormula::Rounding::None:
        m_priceNone->setChecked(true);
        break;
    case PriceFormula::Rounding::Round:
        m_priceRound->setChecked(true);
        break;
    case PriceFormula::Rounding::Truncate:
        m_priceTruncate->setChecked(true);
        break;
    }
    applyEnabled();
}
