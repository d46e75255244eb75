#include "top/PlatformMessages.h"

#include "top/ErrorScope.h"

#include <QByteArrayView>
#include <QStringList>

namespace PlatformMessages {

namespace {

// Rows with a sub-code come first: they are more precise than their code.
// Sub-codes are matched as parts, so "IC_QUANTITY_LESS_THAN_ZERO" finds
// "isv.item-quantity-item-update-service-error:IC_QUANTITY_LESS_THAN_ZERO".
const Entry kTable[] = {
    // the platform itself is busy or slow: nothing is wrong with the request
    {0, "top-remote-connection-timeout", "淘宝开放平台繁忙, 这次请求没有及时得到处理. 请过几分钟再试.", true},
    {0, "remote-service-timeout", "淘宝开放平台繁忙, 这次请求没有及时得到处理. 请过几分钟再试.", true},
    {0, "top-remote-unknown-error", "淘宝开放平台暂时出错. 请过几分钟再试.", true},
    {0, "remote-service-error", "淘宝开放平台暂时出错. 请过几分钟再试.", true},
    {0, "isp.", "淘宝开放平台暂时出错. 请过几分钟再试.", true},
    {0, "limited-by-app-api-access-count", "调用开放平台的次数已达上限. 请等待几分钟 (限制解除后) 再试.",
     true},
    {0, "accesscontrol.", "调用开放平台的次数已达上限. 请等待几分钟 (限制解除后) 再试.", true},
    // the session
    {0, "invalid-sessionkey", "店铺的登录已经失效. 请重新登录店铺帐号后再试.", false},
    {0, "sessionkey-expired", "店铺的登录已经过期. 请重新登录店铺帐号后再试.", false},
    {0, "w2-security-authorize-invalid",
     "修改价格需要淘宝的短授权, 当前登录没有这个权限. 请在\"其他功能\"中点\"获取短授权\"后再试.", false},
    // what the shop's rules refuse for one item
    {0, "item-is-locked",
     "这个宝贝被淘宝锁定 (例如正在参加活动或被处罚), 暂时不能修改. 请到卖家中心查看该宝贝, 解锁后再上传.",
     false},
    {0, "IC_CHECKSTEP_SKU_PRICE_OUT_OF_RANGE",
     "淘宝规定 SKU 价格只能在宝贝价格上下 10% 以内, 这个价格超出了范围. 请先调整宝贝价格, 或分几次逐步调整.",
     false},
    {0, "IC_CHECKSTEP_ITME_SKU_PRICE_UNMATCH",
     "淘宝规定宝贝价格必须在它的 SKU 价格范围之内. 请先调整 SKU 价格或宝贝价格, 使两者一致.", false},
    {0, "PRICE", "淘宝的价格规则不允许这个价格. 请核对价格后再上传.", false},
    {0, "IC_ITEM_QUANTITY_ZERO", "这个宝贝没有可卖的库存 (数量为 0), 不能上架. 请先上传库存数量, 再上架.",
     false},
    {0, "QUANTITY_ZERO", "这个宝贝没有可卖的库存 (数量为 0), 不能上架. 请先上传库存数量, 再上架.", false},
    {0, "IC_QUANTITY_LESS_THAN_ZERO", "更新后的库存会小于 0, 淘宝不接受. 请核对这个宝贝的库存.", false},
    {0, "IC_SKU_NOT_EXIST", "这个 SKU 在店铺中已经不存在. 请重新下载目标店铺宝贝后再上传.", false},
    {0, "IC_SKU_ID_REQUIRED", "这个宝贝在店铺中有 SKU, 本机数据却没有. 请重新下载目标店铺宝贝后再上传.",
     false},
    {0, "item-not-exist", "这个宝贝在店铺中已经不存在 (可能已删除). 请重新下载目标店铺宝贝.", false},
    {0, "invalid-permission", "这个宝贝不属于当前登录的店铺, 不能修改. 请检查登录的店铺帐号.", false},
    {0, "isv.", "淘宝拒绝了对这个宝贝的修改. 请按下面的原文核对该宝贝.", false},

    // codes without a known sub-code
    {7, nullptr, "调用开放平台的次数已达上限. 请等待几分钟 (限制解除后) 再试.", true},
    {11, nullptr, "本程序使用的应用证书 (Appkey) 没有调用这个接口的权限. 请检查\"应用证书\"设置.", false},
    {12, nullptr, "当前登录没有这个操作的权限. 请重新登录店铺帐号; 修改价格还需\"获取短授权\".", false},
    {15, nullptr, "淘宝开放平台繁忙或暂时出错. 请过几分钟再试.", true},
    {25, nullptr, "请求的签名不对: 应用证书的 Secret 不正确. 请检查\"应用证书\"设置.", false},
    {24, nullptr, "请求缺少签名. 请检查\"应用证书\"设置.", false},
    {26, nullptr, "还没有登录店铺. 请先登录店铺帐号, 再试.", false},
    {27, nullptr, "店铺的登录已经失效. 请重新登录店铺帐号后再试.", false},
    {53, nullptr, "店铺的登录已经过期. 请重新登录店铺帐号后再试.", false},
    {28, nullptr, "请求缺少应用证书 (Appkey). 请检查\"应用证书\"设置.", false},
    {29, nullptr, "应用证书 (Appkey) 无效. 请检查\"应用证书\"设置.", false},
    {31, nullptr, "本机的时间与淘宝的时间相差太多. 请校准电脑的日期和时间后再试.", false},
    {40, nullptr, "请求缺少必需的参数, 淘宝没有处理. 请重新下载目标店铺宝贝后再试.", false},
    {41, nullptr, "请求的参数不对, 淘宝没有处理. 请核对这一行的数据.", false},
};

const Entry kUnknown{0, nullptr, "淘宝开放平台拒绝了这次请求. 请按下面的原文检查; 如一直出现, 请稍后再试.",
                     false};

bool fits(const Entry &e, int code, QStringView subCode)
{
    if (e.code != 0 && e.code != code)
        return false;
    if (e.subCode && !subCode.contains(QLatin1StringView(e.subCode), Qt::CaseInsensitive))
        return false;
    return e.code != 0 || e.subCode;
}

struct TransportRow
{
    const char *cause; // the start of the HTTP component's cause
    const char *sentence;
};

const TransportRow kTransport[] = {
    {"等待服务器应答超时", "淘宝开放平台没有及时应答. 请检查网络, 过几分钟再试."},
    {"接收应答超时", "淘宝开放平台的应答没有收全. 请检查网络, 过几分钟再试."},
    {"发送请求超时", "请求没能及时发出. 请检查网络是否正常, 过几分钟再试."},
    {"连接超时", "连不上淘宝开放平台. 请检查网络是否正常, 过几分钟再试."},
    {"无法连接服务器", "连不上淘宝开放平台. 请检查网络是否正常 (防火墙, 代理), 过几分钟再试."},
    {"找不到服务器", "找不到淘宝开放平台的服务器. 请检查网络是否已连接, 以及 DNS 设置."},
    {"服务器关闭了连接", "淘宝开放平台断开了连接, 没有应答. 请过几分钟再试."},
    {"应答不完整", "淘宝开放平台的应答没有收全. 请检查网络, 过几分钟再试."},
    {"服务器返回错误", "淘宝开放平台的服务器出错. 请过几分钟再试."},
};

} // namespace

const Entry &lookup(int code, QStringView subCode)
{
    const QStringView sub = subCode.trimmed();
    // A known sub-code names the case better than its code; the code comes
    // next; the rows for a whole family of sub-codes ("isv.", "isp.") last.
    auto family = [](const Entry &e) { return e.subCode && QByteArrayView(e.subCode).endsWith('.'); };
    for (const Entry &e : kTable)
        if (e.subCode && !family(e) && !sub.isEmpty() && fits(e, code, sub))
            return e;
    // 15 ("Remote service error") carries the shop's business refusals as
    // isv. sub-codes: there the family decides before the code
    for (const Entry &e : kTable)
        if (!e.subCode && e.code != 15 && fits(e, code, sub))
            return e;
    for (const Entry &e : kTable)
        if (family(e) && !sub.isEmpty() && fits(e, code, sub))
            return e;
    for (const Entry &e : kTable)
        if (!e.subCode && fits(e, code, sub))
            return e;
    return kUnknown;
}

QString platformText(const QString &errorText)
{
    QStringList parts;
    for (const QString &p : errorText.split(QLatin1Char(',')))
        if (!p.trimmed().isEmpty())
            parts << p.trimmed();
    return parts.join(QStringLiteral(", "));
}

QString explain(int code, const QString &subCode, const QString &errorText)
{
    QString text = QString::fromUtf8(lookup(code, subCode).sentence);
    const QString own = platformText(errorText);
    if (!own.isEmpty())
        text += QStringLiteral("\r\n平台原文: ") + own;
    else if (code != 0)
        text += QStringLiteral("\r\n平台原文: 错误代码 ") + QString::number(code);
    return text;
}

Scope scopeOf(int code, const QString &subCode)
{
    return ErrorScopeOf(code, subCode) == ErrorScope::Run ? Scope::Run : Scope::Item;
}

QString explainTransport(const QString &cause)
{
    const QString c = cause.trimmed();
    for (const TransportRow &r : kTransport)
        if (c.contains(QString::fromUtf8(r.cause)))
            return QString::fromUtf8(r.sentence) + QStringLiteral("\r\n原因: ") + c;
    const QString general = QStringLiteral("网络通讯错误, 请检查网络是否正常, 过几分钟再试.");
    return c.isEmpty() ? general : general + QStringLiteral("\r\n原因: ") + c;
}

} // namespace PlatformMessages
