#include "sync/FormulaPage.h"

#include "base/Interaction.h"
#include "store/Settings.h"

FormulaPage::FormulaPage(const Settings &settings, Interaction &ui, QObject *parent)
    : QObject(parent), m_settings(settings), m_ui(ui)
{
}

QString FormulaPage::tabCaptionFor(const Formulas &formulas)
{
    return formulas.anyEnabled() ? QStringLiteral("自定义公式(已启用)") : QStringLiteral("自定义公式(未启用)");
}

QString FormulaPage::tabCaption() const
{
    return tabCaptionFor(m_formulas);
}

void FormulaPage::setFormulas(const Formulas &f)
{
    const QString before = tabCaption();
    m_formulas = f;
    if (tabCaption() != before)
        Q_EMIT tabCaptionChanged(tabCaption());
}

void FormulaPage::edit(const Formulas &formulas)
{
    m_edited = true;
    setFormulas(formulas);
}

void FormulaPage::GetFormula()
{
    setFormulas(::GetFormula(m_settings, m_formulas));
    m_edited = false;
    Q_EMIT formulasChanged();
}

bool FormulaPage::SetFormula()
{
    const bool ok = ::SetFormula(m_settings, m_formulas);
    m_edited = false;
    return ok;
}

void FormulaPage::saveClicked()
{
    if (SetFormula())
        m_ui.info(QStringLiteral("保存完成，请确认."));
    else
        m_ui.error(QStringLiteral("无法保存自定义公式."));
}

FormulaPage::Leave FormulaPage::leave()
{
    if (!m_edited)
        return Leave::NotEdited;
    if (m_ui.ask(QStringLiteral("是否保存自定义公式?"))) {
        if (!SetFormula())
            m_ui.error(QStringLiteral("无法保存自定义公式."));
        return Leave::Saved;
    }
    GetFormula();
    return Leave::Discarded;
}
