#include "sync/Selectors.h"

#include "base/Interaction.h"
#include "store/Settings.h"
#include "sync/MatchingKeys.h"

namespace {
Setting settingOf(ConfirmedSelector::Kind kind)
{
    return kind == ConfirmedSelector::Kind::MatchingKey ? Setting::MatchingKey : Setting::UploadMode;
}
int countOf(ConfirmedSelector::Kind kind)
{
    return kind == ConfirmedSelector::Kind::MatchingKey ? MatchingKeys::Count : 2;
}
} // namespace

void ConfirmedSelector::load(const Settings &settings)
{
    const int v = settings.integer(settingOf(m_kind));
    m_shown = m_confirmed = v >= 0 && v < countOf(m_kind) ? v : 0;
}

QString ConfirmedSelector::question() const
{
    if (m_kind == Kind::MatchingKey)
        return QStringLiteral("是否要更改\"关联值设定\"?\r\n\r\n"
                              "(提示:关联值是作为同步的唯一识别标志,如源与目标不一致,将不能同步到数据)");
    return QStringLiteral("是否要更改 \"库存更新方式\"?\r\n\r\n"
                          "(提示:1.全量:是指源库存数量直接覆盖更新目标库存数量\r\n"
                          "      2.增量:是指源库存数量累加到目标库存数量并更新\r\n"
                          "             (如果减少库存,源库存数量填负数)");
}

ConfirmedSelector::Choice ConfirmedSelector::choose(int index, bool busy, Interaction &ui, const Settings &settings)
{
    if (index < 0 || index >= countOf(m_kind))
        return Choice::Ignored;
    m_shown = index;
    if (busy || index == m_confirmed)
        return Choice::Ignored;
    if (!ui.question(Interaction::tipCaption(), question(), Interaction::Icon::Warning)) {
        m_shown = m_confirmed;
        return Choice::Reverted;
    }
    if (!settings.setInteger(settingOf(m_kind), index)) {
        m_shown = m_confirmed;
        return Choice::Failed;
    }
    m_confirmed = index;
    return Choice::Confirmed;
}

QString MatchingKeyStatusTip(int key)
{
    return QStringLiteral("注意事项:\"") + MatchingKeys::caption(key) +
           QStringLiteral("\" 作为同步的关联值,如源与目标不一致,将不能同步到数据.");
}
