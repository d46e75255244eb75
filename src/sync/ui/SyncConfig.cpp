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
    m_minute->setRange(5, 24 * 60);
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
    // a number typed but not yet taken counts
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

void TfrmSyncConfig::CancleClick()
{
    reject();
}
