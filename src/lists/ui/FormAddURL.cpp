#include "lists/ui/FormAddURL.h"

#include "app/Application.h"
#include "app/ui/WidgetHelpers.h"
#include "base/Interaction.h"
#include "base/TextRoutines.h"
#include "lists/ShopSearch.h"

#include <QApplication>
#include <QComboBox>
#include <QFrame>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QShortcut>
#include <QStatusBar>
#include <QVBoxLayout>

using ui::named;

TfrmFormAddURL::TfrmFormAddURL(Application &app, int tag, int groupId, const QString &groupName, QWidget *parent)
    : QDialog(parent), m_app(app), m_tag(tag == 1 ? 1 : 0), m_groupName(groupName), m_group(groupId),
      m_links(app.db(), ItemLinks::prefixesOf(app.endpoints())),
      m_search(new ShopSearch(app.ui(), app.endpoints(), this))
{
    setObjectName(QStringLiteral("frmFormAddURL"));
    setWindowTitle(QStringLiteral("搜索添加宝贝链接(URL)-") + groupName);
    setModal(true);
    resize(760, 520);

    m_panelSearch = named(new QFrame(this), QStringLiteral("_PanelSearch"));
    m_panelSearch->setFrameShape(QFrame::StyledPanel);
    m_type = named(new QComboBox(m_panelSearch), QStringLiteral("_Type"));
    m_type->addItems(ShopSearch::typeCaptions());
    m_shopUrl = named(new QLineEdit(m_panelSearch), QStringLiteral("_TaobaoURL"));
    m_keyword = named(new QLineEdit(m_panelSearch), QStringLiteral("_Keyword"));
    m_searchButton = ui::button(m_panelSearch, QStringLiteral("_Search"), QStringLiteral("搜索"));
    auto *row1 = new QHBoxLayout;
    row1->addWidget(ui::label(m_panelSearch, QStringLiteral("店铺类型:")));
    row1->addWidget(m_type);
    row1->addWidget(ui::label(m_panelSearch, QStringLiteral(" 淘宝店铺地址:")));
    row1->addWidget(m_shopUrl, 1);
    auto *row2 = new QHBoxLayout;
    row2->addWidget(ui::label(m_panelSearch, QStringLiteral("关键字: ")));
    row2->addWidget(m_keyword, 1);
    row2->addWidget(m_searchButton);
    auto *searchColumn = new QVBoxLayout(m_panelSearch);
    searchColumn->addLayout(row1);
    searchColumn->addLayout(row2);

    m_url = named(new QPlainTextEdit(this), QStringLiteral("_URL"));
    m_url->setLineWrapMode(QPlainTextEdit::NoWrap);
    m_debug = named(new QPlainTextEdit(this), QStringLiteral("_Debug"));
    m_debug->setReadOnly(true);
    m_debug->setLineWrapMode(QPlainTextEdit::NoWrap);
    m_debug->setMaximumBlockCount(5000);
    m_debug->hide();
    m_startDownload = ui::button(this, QStringLiteral("_StartDownload"), QStringLiteral("添加至下载源"));
    m_cancel = ui::button(this, QStringLiteral("RzBitBtn1"), QStringLiteral("取消"));
    for (QPushButton *b : {m_searchButton, m_startDownload, m_cancel})
        b->setAutoDefault(false);
    m_status = named(new QStatusBar(this), QStringLiteral("_StatusBar"));
    m_status->setSizeGripEnabled(false);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_startDownload);
    buttons->addWidget(m_cancel);
    auto *column = new QVBoxLayout(this);
    column->addWidget(m_panelSearch);
    column->addWidget(ui::label(this, QStringLiteral("请输入要下载的宝贝地址(一行一个宝贝地址):")));
    column->addWidget(m_url, 3);
    column->addWidget(m_debug, 2);
    column->addLayout(buttons);
    column->addWidget(m_status);

    // the progress panel floats over the memo
    m_processPanel = named(new QFrame(this), QStringLiteral("_ProcessPanel"));
    m_processPanel->setFrameShape(QFrame::Panel);
    m_processPanel->setFrameShadow(QFrame::Raised);
    m_processPanel->setAutoFillBackground(true);
    m_lblCaption = named(new QLabel(m_processPanel), QStringLiteral("_lblCaption"));
    m_lblCaption->setAlignment(Qt::AlignCenter);
    m_cancel2 = ui::button(m_processPanel, QStringLiteral("_Cancel2"), QStringLiteral("取消"));
    m_cancel2->setAutoDefault(false);
    auto *panelColumn = new QVBoxLayout(m_processPanel);
    panelColumn->addWidget(m_lblCaption);
    panelColumn->addWidget(m_cancel2, 0, Qt::AlignCenter);
    m_processPanel->hide();

    auto *debugKey = new QShortcut(QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_I), this);
    connect(debugKey, &QShortcut::activated, this, [this] { m_debug->setVisible(!m_debug->isVisible()); });
    const auto placeholder = [this](int type) {
        m_shopUrl->setPlaceholderText(QStringLiteral("http://xxxx.") + (ShopSearch::isTmall(type)
                                                                           ? m_app.endpoints().tmallDomain
                                                                           : m_app.endpoints().taobaoDomain));
    };
    connect(m_type, &QComboBox::currentIndexChanged, this, placeholder);
    placeholder(0);
    connect(m_searchButton, &QPushButton::clicked, this, &TfrmFormAddURL::SearchClick);
    connect(m_startDownload, &QPushButton::clicked, this, &TfrmFormAddURL::StartDownloadClick);
    connect(m_cancel, &QPushButton::clicked, this, &TfrmFormAddURL::RzBitBtn1Click);
    connect(m_cancel2, &QPushButton::clicked, this, &TfrmFormAddURL::Cancel2Click);
    connect(m_url, &QPlainTextEdit::textChanged, this, &TfrmFormAddURL::URLChange);
    connect(m_search, &ShopSearch::panelChanged, this, &TfrmFormAddURL::showPanel);
    connect(m_search, &ShopSearch::linksChanged, this,
            [this](const QStringList &links) { m_url->setPlainText(links.join(QLatin1Char('\n'))); });
    connect(m_search, &ShopSearch::debugLine, m_debug, &QPlainTextEdit::appendPlainText);
    connect(m_search, &ShopSearch::addConfirmed, this, &TfrmFormAddURL::addCollected);
    URLChange();
}

TfrmFormAddURL::~TfrmFormAddURL() = default;

void TfrmFormAddURL::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (!event->spontaneous())
        FormShow();
}

void TfrmFormAddURL::FormShow()
{
    const ShopSearchFields fields = ShopSearchFields::load(m_app.settings(), m_tag);
    m_shopUrl->setText(fields.address);
    m_keyword->setText(fields.keyword);
    m_type->setCurrentIndex(fields.type);
    m_url->clear();
    URLChange();
}

int TfrmFormAddURL::lineCount() const
{
    const QString text = m_url->toPlainText();
    if (text.isEmpty())
        return 0;
    QStringList lines = text.split(QLatin1Char('\n'));
    if (lines.last().isEmpty())
        lines.removeLast();
    return int(lines.size());
}

void TfrmFormAddURL::URLChange()
{
    m_status->showMessage(QStringLiteral("共 ") + QString::number(lineCount()) + QStringLiteral(" 项"));
}

void TfrmFormAddURL::SearchClick()
{
    const int type = m_type->currentIndex();
    const QString shop = TrimText(m_shopUrl->text());
    const QString error = m_search->addressError(type, shop);
    if (!error.isEmpty()) {
        m_app.ui().warn(error);
        m_shopUrl->setFocus();
        m_shopUrl->selectAll();
        return;
    }
    ShopSearchFields{shop, TrimText(m_keyword->text()), type}.save(m_app.settings(), m_tag);
    m_search->start(type, shop, m_keyword->text());
}

void TfrmFormAddURL::StartDownloadClick()
{
    const auto progress = [this](int line, int count) {
        showPanel(true, QStringLiteral("正在添加至下载源...(") + QString::number(line) + QLatin1Char('/') +
                            QString::number(count) + QLatin1Char(')'));
        QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    };
    const bool stored =
        AddPastedLinks(m_app.ui(), m_links, m_tag, groupNow(), m_url->toPlainText(), true, progress);
    showPanel(false, QString());
    if (stored)
        accept();
    else if (!m_url->hasFocus())
        m_url->setFocus();
}

void TfrmFormAddURL::addCollected()
{
    const auto progress = [this](int line, int count) {
        showPanel(true, QStringLiteral("正在添加至下载源...(") + QString::number(line) + QLatin1Char('/') +
                            QString::number(count) + QLatin1Char(')'));
        QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    };
    const bool stored =
        AddPastedLinks(m_app.ui(), m_links, m_tag, groupNow(), m_url->toPlainText(), false, progress);
    showPanel(false, QString());
    if (stored)
        accept();
}

int TfrmFormAddURL::groupNow() const
{
    return m_links.hasGroup(m_tag, m_group) ? m_group : -1;
}

void TfrmFormAddURL::RzBitBtn1Click()
{
    m_search->stop();
    reject();
}

void TfrmFormAddURL::Cancel2Click()
{
    m_search->cancel();
}

void TfrmFormAddURL::showPanel(bool shown, const QString &caption)
{
    m_lblCaption->setText(caption);
    m_panelSearch->setEnabled(!shown);
    m_startDownload->setEnabled(!shown);
    m_url->setReadOnly(shown);
    if (shown) {
        placePanel();
        m_processPanel->show();
        m_processPanel->raise();
    } else {
        m_processPanel->hide();
    }
}

void TfrmFormAddURL::placePanel()
{
    const int w = qMin(420, width() - 40);
    const int h = 90;
    m_processPanel->setGeometry((width() - w) / 2, m_url->geometry().center().y() - h / 2, w, h);
}

void TfrmFormAddURL::resizeEvent(QResizeEvent *event)
{
    QDialog::resizeEvent(event);
    if (m_processPanel->isVisible())
        placePanel();
}

void TfrmFormAddURL::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape) {
        RzBitBtn1Click();
        return;
    }
    QDialog::keyPressEvent(event);
}
