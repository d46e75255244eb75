#include "store/Settings.h"

#include "store/Parameters.h"

#include <algorithm>

namespace {
// One default and one description per key. The rows marked as created with
// the database are written by the schema of a new file; the others appear
// when the program first stores them.
const SettingDefinition kSettings[] = {
    {Setting::SourceDownloadTime, "", "源宝贝库存更新时间", true},
    {Setting::TargetDownloadTime, "", "目标店铺更新时间", true},
    {Setting::CurrentAccount, "", "最后使用的店铺帐号", true},
    {Setting::SourceGroups, "默认组", "URL分组", true},
    {Setting::TargetGroups, "默认组", "URL分组2", false},
    {Setting::EasySku, "1", "使用简易sku(尺码)", false},
    {Setting::SourceShopAddress, "", "添加淘宝店铺地址", true},
    {Setting::SourceShopKeyword, "", "添加淘宝店铺地址-关键字", true},
    {Setting::SourceShopType, "0", "添加淘宝店铺地址-店铺类型", false},
    {Setting::TargetShopAddress, "", "添加淘宝店铺地址", false},
    {Setting::TargetShopKeyword, "", "添加淘宝店铺地址-关键字", false},
    {Setting::TargetShopType, "0", "添加淘宝店铺地址-店铺类型", false},
    {Setting::QuantityFormula, "0;1;0;1;0", "源数量启用;乘数;加数;取整;抹零", false},
    {Setting::PriceFormula, "0;1;0;1;0;0", "源价格启用;乘数;加数;无;取整;抹零", false},
    {Setting::SyncInterval, "10", "同步计划间隔(分钟)", true},
    {Setting::SyncDownload, "1", "同步计划下载源宝贝", true},
    {Setting::SyncUpload, "1", "同步计划上传库存", true},
    {Setting::PlanTrayNoticeShown, "0", "同步计划:已提示程序缩小到任务栏通知区域", false},
    {Setting::NormalisedKeys, "0", "关联值比较时去除首尾空格,全角字符按半角比较", false},
    {Setting::GuardZeroShare, "30", "上传保护:库存改为0的行最多占上传行数的百分比(超过10行时检查,0为不检查)", false},
    {Setting::GuardPriceChange, "30", "上传保护:价格涨跌最多百分比(0为不检查)", false},
    {Setting::GuardSourceShrink, "50", "上传保护:本次源宝贝下载行数至少为上次完整下载的百分比(0为不检查)", false},
    {Setting::HideNonUnique, "0", "不显示不是唯一关联值的宝贝", false},
    {Setting::GatewayHost, "", "开放平台网关地址", false},
    {Setting::ContainerHost, "", "授权容器地址", false},
    {Setting::LoginPageHost, "", "登录页地址", false},
    {Setting::ItemPageHost, "", "宝贝页地址", false},
    {Setting::OpenContainerHost, "", "开放平台授权容器地址", false},
    {Setting::OpenSiteHost, "", "开放平台网站地址", false},
    {Setting::HelpAddress, "", "联机帮助页面地址", false},
    {Setting::WebsiteAddress, "", "官方网站地址", false},
    {Setting::FeedbackAddress, "", "意见反馈邮箱地址(mailto:)", false},
    {Setting::UpdaterProgram, "", "在线升级程序", false},
    {Setting::TmallItemPageHost, "", "天猫宝贝页地址", false},
    {Setting::TaobaoDomain, "", "淘宝店铺域名", false},
    {Setting::TmallDomain, "", "天猫店铺域名", false},
    {Setting::UploadMode, "0", "库存更新方式", true},
    {Setting::MatchingKey, "0", "关联值", true},
};
} // namespace

const SettingDefinition &Settings::definition(Setting key)
{
    const auto *it = std::find_if(std::begin(kSettings), std::end(kSettings),
                                  [key](const SettingDefinition &d) { return d.key == key; });
    Q_ASSERT(it != std::end(kSettings));
    return *it;
}

const SettingDefinition *Settings::begin()
{
    return std::begin(kSettings);
}

const SettingDefinition *Settings::end()
{
    return std::end(kSettings);
}

QString Settings::defaultValue(Setting key)
{
    return QString::fromUtf8(definition(key).value);
}

QString Settings::description(Setting key)
{
    return QString::fromUtf8(definition(key).description);
}

bool Settings::exists(Setting key) const
{
    return ParamExists(m_db, int(key));
}

QString Settings::text(Setting key) const
{
    std::optional<QString> stored = ReadParam(m_db, int(key));
    return stored ? *stored : defaultValue(key);
}

int Settings::integer(Setting key) const
{
    bool ok = false;
    const int v = text(key).trimmed().toInt(&ok);
    return ok ? v : defaultValue(key).toInt();
}

bool Settings::set(Setting key, const QString &value) const
{
    if (exists(key))
        return SetParam(m_db, int(key), value);
    return InsertParamIfMissing(m_db, int(key), value, description(key));
}

bool Settings::ensure(Setting key) const
{
    return InsertParamIfMissing(m_db, int(key), defaultValue(key), description(key));
}
