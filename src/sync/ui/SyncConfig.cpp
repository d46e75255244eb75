#include "sync/ui/SyncConfig.h"

#include "app/ui/WidgetHelpers.h"
#include "base/Interaction.h"
#include "store/Settings.h"
#include "sync/SyncPlan.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QSpinBox>
#include <QVBoxLayout>

using ui::named;

TfrmSyncConfig::TfrmSyncConfig(const Settings &settings, Interaction &interaction, QWidget *parent)
    : QDialog(parent), m_settings(settings), m_ui(interaction)
{
    setObjectName(QStringLiteral("frmSyncConfig"));
    setWindowTitle(QStringLiteral("设置同步计划"));
    setModal(true);

    auto *timeGroup =
        named(new QGroupBox(QStringLiteral("设置同步时间及频率"), this), QStringLiteral("RzGroupBox1"));
    m_minute = named(new QSpinBox(timeGroup), QStringLiteral("_Minute"));
    // Any number can be typed and stays in the box (a box whose minimum is 5
    // would put the old value back when the focus leaves it, and "确定" would
    // then store that without a word); "确定" refuses one under the least.
    m_minute->setRange(0, MostMinutes);
    m_minute->setValue(10);
    m_minute->setMinimumWidth(80);
    m_minute->setAlignment(Qt::AlignRight);
    auto *row = new QHBoxLayout(timeGroup);
    row->addWidget(ui::label(timeGroup, QStringLiteral("每隔")));
    row->addWidget(m_minute);
    row->addWidget(ui::label(timeGroup, QStringLiteral("分钟,同步一次")));
    row->addStretch();

    auto *stepGroup = named(new QGroupBox(QStringLiteral("选择同步项"), this), QStringLiteral("RzGroupBox2"));
    m_chkDownloadSource = ui::checkBox(stepGroup, QStringLiteral("_chkDownloadSource"),
                                       QStringLiteral("从其他店铺:下载源宝贝库存数据"), true);
    m_chkUploadObject = ui::checkBox(stepGroup, QStringLiteral("_chkUploadObject"),
                                     QStringLiteral("上传最新库存数量到目标店铺"), true);
    auto *steps = new QVBoxLayout(stepGroup);
    steps->addWidget(m_chkDownloadSource);
    steps->addWidget(m_chkUploadObject);

    m_ok = ui::button(this, QStringLiteral("_OK"), QStringLiteral("确定"));
    m_cancel = ui::button(this, QStringLiteral("_Cancle"), QStringLiteral("取消"));
    m_ok->setDefault(true);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_ok);
    buttons->addWidget(m_cancel);

    auto *column = new QVBoxLayout(this);
    column->addWidget(timeGroup);
    column->addWidget(stepGroup);
    column->addLayout(buttons);
    setMinimumWidth(340);

    connect(m_ok, &QPushButton::clicked, this, &TfrmSyncConfig::OKClick);
    // Esc rejects the dialog as "取消" does
    connect(m_cancel, &QPushButton::clicked, this, &TfrmSyncConfig::CancleClick);
}

void TfrmSyncConfig::showEvent(QShowEvent *event)
{
    FormShow();
    QDialog::showEvent(event);
}

void TfrmSyncConfig::FormShow()
{
    // a missing row leaves its box as it was
    if (m_settings.exists(Setting::SyncInterval))
        m_minute->setValue(m_settings.integer(Setting::SyncInterval));
    if (m_settings.exists(Setting::SyncDownload))
        m_chkDownloadSource->setChecked(m_settings.flag(Setting::SyncDownload));
    if (m_settings.exists(Setting::SyncUpload))
        m_chkUploadObject->setChecked(m_settings.flag(Setting::SyncUpload));
    m_minute->setFocus();
}

void TfrmSyncConfig::OKClick()
{
    // A number typed but not yet taken counts. The box takes nothing under
    // its minimum and would keep the old value without a word: say so and
    // keep the dialog open.
    bool number = false;
    const int typed = m_minute->text().trimmed().toInt(&number);
    if (!number || typed < LeastMinutes || typed > MostMinutes) {
        m_ui.warn(IntervalRefusedText(LeastMinutes, MostMinutes));
        m_minute->selectAll();
        m_minute->setFocus();
        return;
    }
    m_minute->interpretText();
    PlanSettings s;
    s.minutes = m_minute->value();
    s.download = m_chkDownloadSource->isChecked();
    s.upload = m_chkUploadObject->isChecked();
    if (!s.save(m_settings)) {
        m_ui.error(QStringLiteral("无法保存同步计划设置."));
        return;
    }
    m_ui.info(QStringLiteral("设置同步计划完成,请确认."));
    accept();
}

QString TfrmSyncConfig::IntervalRefusedText(int least, int most)
{
    return QStringLiteral("同步间隔请输入 %1 到 %2 之间的分钟数 (最少 %1 分钟).").arg(least).arg(most);
}

void TfrmSyncConfig::CancleClick()
{
    reject();
}
