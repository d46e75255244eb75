#include "reports/ui/UnmatchedWindow.h"

#include "app/ui/ListPage.h"
#include "app/ui/ListView.h"
#include "app/ui/WidgetHelpers.h"
#include "base/Interaction.h"
#include "base/ListModel.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

using namespace ui;

TfrmUnmatched::TfrmUnmatched(const QSqlDatabase &db, Interaction &ui, QWidget *parent)
    : QDialog(parent), m_keys(db), m_ui(ui)
{
    setObjectName(QStringLiteral("TfrmUnmatched"));
    setWindowTitle(QStringLiteral("未配对的关联值"));
    resize(900, 520);
    auto *column = new QVBoxLayout(this);
    m_keyLabel = label(this, QString(), QStringLiteral("_KeyLabel"));
    column->addWidget(m_keyLabel);
    column->addWidget(label(this, QStringLiteral("以下目标宝贝在源中找不到相同的关联值, 以下源宝贝在目标店铺中找不到相同的"
                                                 "关联值, 这些宝贝不会同步. 请维护两边的关联值.")));
    auto *page = new ListPage(QStringLiteral("_UnmatchedPage"), QStringLiteral("_RzListViewUnmatched"), nullptr, this);
    m_model = page->model();
    page->list()->setCheckBoxes(false);
    column->addWidget(page, 1);
    m_totals = page->addTotalsLine(QStringLiteral("_PanelUnmatched_Total"), QString());
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    buttons->button(QDialogButtonBox::Close)->setText(QStringLiteral("关闭"));
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    column->addWidget(buttons);
}

void TfrmUnmatched::setContext(const UnmatchedOptions &options, const QString &keyText)
{
    m_keyLabel->setText(QStringLiteral("当前关联值设置: ") + keyText +
                        (options.normalisedKeys ? QStringLiteral(" (忽略首尾空格和全角/半角)") : QString()));
    m_model->setHeaders(UnmatchedKeys::headers(options.matchingKey) << QString());
    std::vector<ListRow> rows;
    QString error;
    if (!m_keys.run(options, rows, &error)) {
        m_model->clear();
        m_totals->setText(QString());
        m_ui.message(Interaction::errorCaption(), error, Interaction::Icon::Error);
        return;
    }
    int targetKeys = 0;
    for (const ListRow &r : rows)
        targetKeys += r.caption == UnmatchedKeys::targetSide() ? 1 : 0;
    const int sourceKeys = static_cast<int>(rows.size()) - targetKeys;
    m_totals->setText(QStringLiteral(" 目标 ") +
                      QString::number(UnmatchedKeys::rowsOnSide(rows, UnmatchedKeys::targetSide())) +
                      QStringLiteral(" 项 (") + QString::number(targetKeys) + QStringLiteral(" 个关联值), 源 ") +
                      QString::number(UnmatchedKeys::rowsOnSide(rows, UnmatchedKeys::sourceSide())) +
                      QStringLiteral(" 项 (") + QString::number(sourceKeys) + QStringLiteral(" 个关联值) 没有配对"));
    m_model->setRows(std::move(rows));
}
