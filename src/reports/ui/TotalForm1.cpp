#include "reports/ui/TotalForm1.h"
#include "app/ui/ListView.h"
#include "app/ui/WidgetHelpers.h"
#include "base/Desktop.h"
#include "base/Interaction.h"
#include "base/ListModel.h"

#include <QAction>
#include <QHBoxLayout>
#include <QMenu>
#include <QVBoxLayout>

using namespace ui;

namespace {
QStringList headers(const QString &code)
{
    return {QStringLiteral("序号"), code, QStringLiteral("唯一值"), QStringLiteral("个数")};
}
} // namespace

TfrmTotalForm1::TfrmTotalForm1(const QSqlDatabase &db, Interaction &ui, Desktop &desktop, QWidget *parent)
    : QDialog(parent), m_keys(db), m_ui(ui), m_desktop(desktop)
{
    setObjectName(QStringLiteral("frmTotalForm1"));
    setWindowTitle(QStringLiteral(" 关联值检查工具"));
    setModal(true);
    resize(860, 620);
    auto *column = new QVBoxLayout(this);
    m_keyLabel = label(this, QStringLiteral("当前唯一值设置:"), QStringLiteral("lblUniqid"));
    column->addWidget(m_keyLabel);

    auto list = [this, column](const QString &caption, const QString &name, ListModel **model) {
        column->addWidget(label(this, caption));
        *model = new ListModel(this);
        (*model)->setBanding(true);
        auto *view = named(new ListView(this), name);
        view->setListModel(*model);
        view->setCheckBoxes(false);
        view->setImages({});
        column->addWidget(view, 1);
        return view;
    };
    m_sourceList = list(QStringLiteral("以下是源宝贝关联值不唯一的宝贝,为了保证同步的准确性，请维护它."),
                        QStringLiteral("_RzListViewSource"), &m_source);
    m_targetList = list(QStringLiteral("以下是目标宝贝关联值不唯一的宝贝,为了保证同步的准确性，请维护它."),
                        QStringLiteral("_RzListViewObject"), &m_target);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    QPushButton *cancel = button(this, QStringLiteral("btnCancel"), QStringLiteral("取消"));
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    buttons->addWidget(cancel);
    column->addLayout(buttons);

    auto *sourcePopup = named(new QMenu(this), QStringLiteral("PopupMenuSource"));
    connect(sourcePopup->addAction(QStringLiteral("复制主商家编码(&C)    ")), &QAction::triggered, this,
            &TfrmTotalForm1::CopySourceClick);
    m_sourceList->setPopupMenu(sourcePopup);
    auto *targetPopup = named(new QMenu(this), QStringLiteral("PopupMenuObject"));
    m_copyTarget = targetPopup->addAction(QStringLiteral("复制主商家编码(&C)    "));
    connect(m_copyTarget, &QAction::triggered, this, &TfrmTotalForm1::CopyObjectClick);
    m_targetList->setPopupMenu(targetPopup);
    setContext(0, QString(), QString());
}

void TfrmTotalForm1::setContext(int matchingKey, const QString &keyText, const QString &account)
{
    m_keyLabel->setText(QStringLiteral("当前唯一值设置:") + keyText);
    const QString code = DuplicateKeys::codeCaption(matchingKey);
    m_source->setHeaders(headers(code));
    m_target->setHeaders(headers(code));
    m_copyTarget->setText(StockStatistics::byArticleNumber(matchingKey) ? QStringLiteral("复制货号(&C)    ")
                                                                        : QStringLiteral("复制主商家编码(&C)    "));
    for (ListView *v : {m_sourceList, m_targetList}) {
        v->setColumnWidth(0, 60);
        v->setColumnWidth(1, 180);
        v->setColumnWidth(2, 320);
    }
    std::vector<ListRow> rows;
    QString error;
    if (!m_keys.source(matchingKey, rows, &error))
        m_ui.message(Interaction::errorCaption(), error, Interaction::Icon::Error);
    m_source->setRows(rows);
    if (!m_keys.target(matchingKey, account, rows, &error))
        m_ui.message(Interaction::errorCaption(), error, Interaction::Icon::Error);
    m_target->setRows(rows);
}

void TfrmTotalForm1::copyFirst(ListView *view)
{
    const std::vector<int> rows = view->selectedModelRows();
    if (rows.empty())
        return;
    const QString code = view->listModel()->row(rows.front()).cells.value(0);
    if (!code.isEmpty())
        m_desktop.setClipboardText(code);
}

void TfrmTotalForm1::CopySourceClick()
{
    copyFirst(m_sourceList);
}

void TfrmTotalForm1::CopyObjectClick()
{
    copyFirst(m_targetList);
}
