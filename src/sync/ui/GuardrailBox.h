#pragma once

#include <QGroupBox>

class QSpinBox;
class Settings;

// "上传保护" on the "高级选项" tab: the three guardrail limits (NM 110-112),
// each stored as soon as it changes; 0 switches its guardrail off.
class GuardrailBox : public QGroupBox
{
    Q_OBJECT
public:
    GuardrailBox(const Settings &settings, QWidget *parent = nullptr);

    QSpinBox *zeroShare() const { return m_zeroShare; }
    QSpinBox *priceChange() const { return m_priceChange; }
    QSpinBox *sourceShrink() const { return m_sourceShrink; }
    // Shows the stored values again.
    void load();

private:
    const Settings &m_settings;
    QSpinBox *m_zeroShare = nullptr;
    QSpinBox *m_priceChange = nullptr;
    QSpinBox *m_sourceShrink = nullptr;
};
