#include "sync/ui/GuardrailBox.h"

#include "store/Settings.h"

#include <QFormLayout>
#include <QLabel>
#include <QSignalBlocker>
#include <QSpinBox>

namespace {
QSpinBox *percentBox(QWidget *parent, const QString &name, int maximum)
{
    auto *box = new QSpinBox(parent);
    box->setObjectName(name);
    box->setRange(0, maximum);
    box->setSuffix(QStringLiteral(" %"));
    box->setSpecialValueText(QStringLiteral("不检查"));
    box->setMinimumWidth(110);
    return box;
}
} // namespace

GuardrailBox::GuardrailBox(const Settings &settings, QWidget *parent)
    : QGroupBox(QStringLiteral("上传保护 (数据源出错时不上传)"), parent), m_settings(settings)
{
    setObjectName(QStringLiteral("_GroupGuardrails"));
    auto *form = new QFormLayout(this);
    form->setFieldGrowthPolicy(QFormLayout::FieldsStayAtSizeHint);
    m_zeroShare = percentBox(this, QStringLiteral("_GuardZeroShare"), 100);
    m_zeroShare->setToolTip(QStringLiteral("上传超过10行时, 库存改为0的行超过这个比例就不上传, 0为不检查"));
    form->addRow(QStringLiteral("库存改为0的行最多占:"), m_zeroShare);
    m_priceChange = percentBox(this, QStringLiteral("_GuardPriceChange"), 1000);
    m_priceChange->setToolTip(QStringLiteral("任何一个价格涨跌超过这个比例就不上传, 0为不检查"));
    form->addRow(QStringLiteral("价格涨跌最多:"), m_priceChange);
    m_sourceShrink = percentBox(this, QStringLiteral("_GuardSourceShrink"), 100);
    m_sourceShrink->setToolTip(
        QStringLiteral("同步时本次下载的源宝贝行数不到上次完整下载的这个比例就不上传, 0为不检查"));
    form->addRow(QStringLiteral("源宝贝下载行数至少为上次的:"), m_sourceShrink);
    load();
    const struct
    {
        QSpinBox *box;
        Setting key;
    } bound[] = {{m_zeroShare, Setting::GuardZeroShare},
                 {m_priceChange, Setting::GuardPriceChange},
                 {m_sourceShrink, Setting::GuardSourceShrink}};
    for (const auto &b : bound) {
        const Setting key = b.key;
        connect(b.box, &QSpinBox::valueChanged, this, [this, key](int value) { m_settings.setInteger(key, value); });
    }
}

void GuardrailBox::load()
{
    for (auto [box, key] : {std::pair{m_zeroShare, Setting::GuardZeroShare},
                            std::pair{m_priceChange, Setting::GuardPriceChange},
                            std::pair{m_sourceShrink, Setting::GuardSourceShrink}}) {
        const QSignalBlocker quiet(box);
        box->setValue(m_settings.integer(key));
    }
}
