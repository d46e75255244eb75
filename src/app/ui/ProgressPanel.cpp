#include "app/ui/ProgressPanel.h"
#include "app/ui/WidgetHelpers.h"
#include "base/Clock.h"
#include "jobs/RequestJob.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QRegularExpression>
#include <QVBoxLayout>

ProgressPanel::ProgressPanel(ProgressPanelState &state, int side, QWidget *parent)
    : QFrame(parent), m_state(state), m_side(side)
{
    const bool first = side == 1;
    setObjectName(first ? QStringLiteral("_ProcessPanel1") : QStringLiteral("_ProcessPanel2"));
    setFrameShape(QFrame::Box);
    setAutoFillBackground(true);
    // room for a two-line caption ("店铺:..." over the progress text)
    setFixedSize(420, 116);
    auto *column = new QVBoxLayout(this);
    m_caption = ui::label(this, QString(), first ? QStringLiteral("_lblCaption1") : QStringLiteral("_lblCaption2"));
    column->addWidget(m_caption);
    m_bar = ui::named(new QProgressBar(this), objectName() + QStringLiteral("_Animate"));
    m_bar->setRange(0, 0);
    m_bar->setTextVisible(false);
    m_bar->setFormat(QStringLiteral("%p%"));
    m_bar->setAlignment(Qt::AlignCenter);
    column->addWidget(m_bar);
    auto *row = new QHBoxLayout;
    m_retry = ui::label(this, QStringLiteral("重试 = 10"), first ? QStringLiteral("lblTry") : QStringLiteral("lblTry2"));
    m_retry->setStyleSheet(QStringLiteral("color: rgb(255, 0, 0);"));
    m_retry->setHidden(true);
    row->addWidget(m_retry);
    row->addStretch();
    m_cancel = ui::button(this, first ? QStringLiteral("_Cancel1") : QStringLiteral("_Cancel2"), QStringLiteral("取消"));
    m_cancel->setHidden(first);
    row->addWidget(m_cancel);
    column->addLayout(row);
    setHidden(true);

    connect(m_cancel, &QPushButton::clicked, this, &ProgressPanel::cancelClicked);
    connect(&m_state, &ProgressPanelState::changed, this, &ProgressPanel::mirror);
}

int ProgressPanel::percentOf(const QString &caption)
{
    static const QRegularExpression percent(QStringLiteral("\\((\\d{1,3})%\\)"));
    int found = -1;
    auto it = percent.globalMatch(caption);
    while (it.hasNext())
        found = it.next().captured(1).toInt();
    return found > 100 ? 100 : found;
}

void ProgressPanel::mirror()
{
    m_caption->setText(m_state.caption());
    const int percent = percentOf(m_state.caption());
    if (percent < 0) {
        m_bar->setTextVisible(false);
        m_bar->setRange(0, 0);
    } else {
        m_bar->setRange(0, 100);
        m_bar->setValue(percent);
        m_bar->setTextVisible(true);
    }
    m_retry->setText(m_state.retryText());
    m_retry->setVisible(m_state.retryShown());
    m_cancel->setVisible(m_side == 1 ? m_state.cancelShown() : true);
    if (m_state.shown() && isHidden()) {
        Q_EMIT aboutToShow();
        show();
        raise();
        repaint();
        m_lastPaint.start();
    } else if (!m_state.shown() && !isHidden()) {
        hide();
    } else if (m_state.shown() && (!m_lastPaint.isValid() || m_lastPaint.elapsed() >= Intervals::ms(50))) {
        // a list load fills its rows without returning to the event loop:
        // paint the caption now, a few times a second at most
        repaint();
        m_lastPaint.start();
    }
}
