#include "reports/ui/TotalForm.h"
#include "app/ui/ListView.h"
#include "app/ui/WidgetHelpers.h"
#include "base/Desktop.h"
#include "base/Interaction.h"
#include "base/ListModel.h"

#include <QAction>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QMenu>
#include <QSplitter>
#include <QVBoxLayout>

using namespace ui;

namespace {
const uint kRed = 0xFF0000;

ListView *makeList(QWidget *parent, const QString &name, ListModel *model)
{
    auto *view = named(new ListView(parent), name);
    model->setBanding(true);
    view->setListModel(model);
    view->setCheckBoxes(false);
    view->setImages({});
    return view;
}

QStringList summaryHeaders(const QString &code)
{
    return {QStringLiteral("NO"), code, QStringLiteral("源:个数"), QStringLiteral("目标:个数")};
}

QStringList detailHeaders(const QString &code)
{
    return {QStringLiteral("NO"), code, QStringLiteral("颜色"), QStringLiteral("SKU尺码")};
}
} // namespace

TfrmTotalForm::TfrmTotalForm(const QSqlDatabase &db, Interaction &ui, Desktop &desktop,
                             std::function<QString(const QString &)> itemPage, QWidget *parent)
    : QDialog(parent), m_stats(db), m_ui(ui), m_desktop(desktop), m_itemPage(std::move(itemPage))
{
    setObjectName(QStringLiteral("frmTotalForm"));
    setWindowTitle(QStringLiteral("源与目标宝贝检查统计工具"));
    setModal(true);
    resize(980, 620);
    auto *column = new QVBoxLayout(this);
    column->addWidget(buildOptions());

    m_summary = new ListModel(this);
    m_source = new ListModel(this);
    m_target = new ListModel(this);
    m_summary->setTextColorRule([](const ListRow &r) -> std::optional<uint> {
        return StockStatistics::countsDiffer(r) ? std::optional<uint>(kRed) : std::nullopt;
    });
    m_source->setTextColorRule([](const ListRow &r) -> std::optional<uint> {
        return StockStatistics::missingInTarget(r) ? std::optional<uint>(kRed) : std::nullopt;
    });

    auto *split = new QSplitter(Qt::Horizontal, this);
    auto *left = new QWidget(split);
    auto *leftColumn = new QVBoxLayout(left);
    leftColumn->setContentsMargins(0, 0, 0, 0);
    leftColumn->addWidget(label(left, QStringLiteral("请双击列表项,显示明细:"), QStringLiteral("Label1")));
    m_summaryList = makeList(left, QStringLiteral("_RzListView"), m_summary);
    leftColumn->addWidget(m_summaryList);
    auto *right = new QWidget(split);
    auto *rightColumn = new QVBoxLayout(right);
    rightColumn->setContentsMargins(0, 0, 0, 0);
    m_sourceLabel = label(right, StockStatistics::sourceCaption(false), QStringLiteral("lblSource"));
    rightColumn->addWidget(m_sourceLabel);
    m_sourceList = makeList(right, QStringLiteral("_RzListViewSource"), m_source);
    rightColumn->addWidget(m_sourceList);
    rightColumn->addWidget(label(right, QStringLiteral("目标店铺(我的店铺):"), QStringLiteral("lblObject")));
    m_targetList = makeList(right, QStringLiteral("_RzListViewObject"), m_target);
    rightColumn->addWidget(m_targetList);
    split->setStretchFactor(0, 1);
    split->setStretchFactor(1, 1);
    column->addWidget(split, 1);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    QPushButton *cancel = button(this, QStringLiteral("btnCancel"), QStringLiteral("取消"));
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    buttons->addWidget(cancel);
    column->addLayout(buttons);

    auto *summaryPopup = named(new QMenu(this), QStringLiteral("PopupMenu1"));
    connect(summaryPopup->addAction(QStringLiteral("复制主商家编码(&C)    ")), &QAction::triggered, this,
            &TfrmTotalForm::CopyCodeClick);
    connect(summaryPopup->addAction(QStringLiteral("复制URL链接")), &QAction::triggered, this,
            &TfrmTotalForm::CopyUrlClick);
    m_summaryList->setPopupMenu(summaryPopup);
    auto detailPopup = [this](const QString &name, void (TfrmTotalForm::*slot)()) {
        auto *m = named(new QMenu(this), name);
        const char *captions[] = {"复制 商家编码", "复制 颜色", "复制 SKU尺码"};
        for (int tag = 0; tag < 3; ++tag) {
            QAction *a = m->addAction(QString::fromUtf8(captions[tag]));
            a->setProperty("Tag", tag);
            connect(a, &QAction::triggered, this, slot);
        }
        return m;
    };
    m_sourceList->setPopupMenu(detailPopup(QStringLiteral("PopupMenuSource"), &TfrmTotalForm::CopySourceClick));
    m_targetList->setPopupMenu(detailPopup(QStringLiteral("PopupMenuObject"), &TfrmTotalForm::CopyObjectClick));
    connect(m_summaryList, &QAbstractItemView::doubleClicked, this, &TfrmTotalForm::RzListViewDblClick);
    retitle();
}

QWidget *TfrmTotalForm::buildOptions()
{
    auto *bar = new QWidget(this);
    auto *row = new QHBoxLayout(bar);
    row->setContentsMargins(0, 0, 0, 0);
    auto *group = named(new QGroupBox(QStringLiteral("源数据"), bar), QStringLiteral("GroupBox1"));
    auto *groupRow = new QHBoxLayout(group);
    auto *sources = new QButtonGroup(group);
    m_op1 = radio(group, sources, QStringLiteral("_OP1"), StockStatistics::sourceCaption(false));
    m_op2 = radio(group, sources, QStringLiteral("_OP2"), StockStatistics::sourceCaption(true));
    m_op1->setChecked(true);
    groupRow->addWidget(m_op1);
    groupRow->addWidget(m_op2);
    row->addWidget(group);
    m_chkOnly = checkBox(bar, QStringLiteral("_chkOnly"), QStringLiteral("只显示存在差异的宝贝"));
    row->addWidget(m_chkOnly);
    auto *by = new QButtonGroup(bar);
    m_optotal1 = radio(bar, by, QStringLiteral("_optotal1"), QString());
    m_optotal2 = radio(bar, by, QStringLiteral("_optotal2"), QString());
    m_optotal1->setChecked(true);
    row->addWidget(m_optotal1);
    row->addWidget(m_optotal2);
    row->addStretch();
    for (QAbstractButton *b : {static_cast<QAbstractButton *>(m_op1), static_cast<QAbstractButton *>(m_op2),
                               static_cast<QAbstractButton *>(m_chkOnly), static_cast<QAbstractButton *>(m_optotal1),
                               static_cast<QAbstractButton *>(m_optotal2)})
        connect(b, &QAbstractButton::clicked, this, &TfrmTotalForm::OptionClick);
    return bar;
}

void TfrmTotalForm::retitle()
{
    const bool article = StockStatistics::byArticleNumber(m_options.matchingKey);
    const QString code = article ? QStringLiteral("货号") : QStringLiteral("主商家编码");
    m_summary->setHeaders(summaryHeaders(code));
    m_source->setHeaders(detailHeaders(code));
    m_target->setHeaders(detailHeaders(code));
    m_optotal1->setText(article ? QStringLiteral("以源货号统计") : QStringLiteral("以源主商家编码统计"));
    m_optotal2->setText(article ? QStringLiteral("以目标货号统计") : QStringLiteral("以目标主商家编码统计"));
    m_sourceLabel->setText(StockStatistics::sourceCaption(m_op2->isChecked()));
    for (ListView *v : {m_summaryList, m_sourceList, m_targetList})
        v->setColumnWidth(0, 60);
}

void TfrmTotalForm::setContext(int matchingKey, const QString &account)
{
    m_options.matchingKey = matchingKey;
    m_options.account = account;
    m_source->clear();
    m_target->clear();
    recompute();
}

void TfrmTotalForm::OptionClick()
{
    m_source->clear();
    m_target->clear();
    recompute();
}

void TfrmTotalForm::recompute()
{
    m_options.stockList = m_op2->isChecked();
    m_options.onlyDiffering = m_chkOnly->isChecked();
    m_options.byTarget = m_optotal2->isChecked();
    retitle();
    std::vector<ListRow> rows;
    QString error;
    if (!m_stats.summary(m_options, rows, &error))
        m_ui.message(Interaction::errorCaption(), error, Interaction::Icon::Error);
    m_summary->setRows(std::move(rows));
}

void TfrmTotalForm::RzListViewDblClick()
{
    const std::vector<int> selected = m_summaryList->selectedModelRows();
    if (selected.empty())
        return;
    std::vector<ListRow> target, source;
    QString error;
    if (!m_stats.details(m_options, m_summary->row(selected.front()).cells.value(0), target, source, &error))
        m_ui.message(Interaction::errorCaption(), error, Interaction::Icon::Error);
    m_target->setRows(std::move(target));
    m_source->setRows(std::move(source));
}

void TfrmTotalForm::CopyCodeClick()
{
    copyCells(m_summaryList, 0);
}

void TfrmTotalForm::CopyUrlClick()
{
    QStringList codes;
    for (int r : m_summaryList->selectedModelRows())
        codes << m_summary->row(r).cells.value(0);
    if (codes.isEmpty())
        return;
    QStringList pages;
    for (const QString &id : m_stats.sourceItemIds(codes))
        pages << m_itemPage(id);
    if (!pages.isEmpty())
        m_desktop.setClipboardText(pages.join(QStringLiteral("\r\n")));
}

void TfrmTotalForm::copyCells(ListView *view, int cell)
{
    QStringList values;
    for (int r : view->selectedModelRows())
        values << view->listModel()->row(r).cells.value(cell);
    const QString text = values.join(QStringLiteral("\r\n"));
    if (!text.isEmpty())
        m_desktop.setClipboardText(text);
}

void TfrmTotalForm::CopySourceClick()
{
    auto *a = qobject_cast<QAction *>(sender());
    copyCells(m_sourceList, a ? a->property("Tag").toInt() : 0);
}

void TfrmTotalForm::CopyObjectClick()
{
    auto *a = qobject_cast<QAction *>(sender());
    copyCells(m_targetList, a ? a->property("Tag").toInt() : 0);
}
