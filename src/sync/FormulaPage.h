#pragma once

#include "sync/Formulas.h"

#include <QObject>

class Interaction;
class Settings;

// The formula page of the target pane without its widgets: the two formulas
// as the controls hold them, the edited flag, the tab caption and the page's
// commands. The window mirrors the controls from formulas() and hands every
// user change to edit().
class FormulaPage : public QObject
{
    Q_OBJECT
public:
    FormulaPage(const Settings &settings, Interaction &ui, QObject *parent = nullptr);

    const Formulas &formulas() const { return m_formulas; }
    bool edited() const { return m_edited; }

    // A click on a check box or a radio button, or a change of a number box:
    // the controls take the new values and the edited flag is set.
    void edit(const Formulas &formulas);

    // ShowFormulaTag: "自定义公式(已启用)" while either formula is enabled.
    QString tabCaption() const;
    static QString tabCaptionFor(const Formulas &formulas);
    // A formula's label, boxes and rounding choices are enabled with it.
    bool quantityControlsEnabled() const { return m_formulas.quantity.enabled; }
    bool priceControlsEnabled() const { return m_formulas.price.enabled; }

    // GetFormula / SetFormula; both clear the edited flag.
    void GetFormula();
    bool SetFormula();
    // "保存设置": SetFormula and say so.
    void saveClicked();

    enum class Leave { NotEdited, Saved, Discarded };
    // A change of the active tab: with edits pending, asks whether to save
    // them and saves (Yes) or reloads the stored settings (No). After Saved
    // or Discarded the caller reruns the difference query; after Discarded
    // the tab change does nothing further.
    Leave leave();

Q_SIGNALS:
    // The controls must show formulas() again (loaded or discarded).
    void formulasChanged();
    void tabCaptionChanged(const QString &caption);

private:
    void setFormulas(const Formulas &f);

    const Settings &m_settings;
    Interaction &m_ui;
    Formulas m_formulas;
    bool m_edited = false;
};
