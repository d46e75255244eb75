#pragma once

#include "sync/Guardrails.h"
#include "sync/ShopRowJob.h"
#include "sync/UploadReport.h"

// The price upload (`_updateprice` "上传更新商品价格"): the source price of
// each ticked row of the target list into the target shop, one
// taobao.item.sku.price.update per SKU row (taobao.item.price.update for an
// item without SKUs). The item's own price goes along while the item has at
// least two SKUs in stock: it stays at the current price while another
// in-stock SKU still has it. The counts behind that rule are read from the
// row's own account's rows of TB_Object before each request, so they see the
// SKUs already changed in the run. Each success writes the new price into
// the list and TB_Object; a complete run stores its start (NM 2) and fills
// the list again. No retry after a transport error.
class PriceUploadJob : public ShopRowJob
{
    Q_OBJECT
public:
    using ShopRowJob::ShopRowJob;

    // _updatepriceClick: false when nothing started (busy, nothing ticked, No,
    // held by the price guardrail, a dry run).
    bool _updatepriceClick();
    void setGuardPolicy(GuardPolicy policy) { m_policy = policy; }
    void setDryRun(bool on) { m_dryRun = on; }
    // Off: the caller has asked already (a revert shows its plan as the
    // question); the guardrail question is still asked.
    void setAsk(bool on) { m_ask = on; }
    // The preview of the last start, and whether its guardrail held the run.
    const UploadPreview &preview() const { return m_preview; }
    bool held() const { return m_held; }
    // What the last run did (or, when the guardrail held it, what it did not
    // do), taken when it ended. A run the seller started ends with its text
    // as a message.
    const UploadReport &report() const { return m_report; }

    // What the item price rule sends along with a SKU price: empty for none.
    // inStock: the item's SKU rows in stock (C1); atOldPrice: those of them
    // still at the row's current target price (C2).
    static QString ItemPriceFor(int inStock, int atOldPrice, const QString &targetPrice,
                                const QString &sourcePrice);

protected:
    QString progressCaption(int percent) const override;
    void sendRow(int row) override;
    void rowSucceeded(const QString &reply) override;
    QString errorPrefix(const QString &errorText) const override;
    void finish() override;
    void tellEnd(Outcome outcome) override;
    QString rowsLeftNote() const override;

private:
    UploadReport reportNow(UploadReport::End end) const;

    GuardPolicy m_policy = GuardPolicy::Ask;
    bool m_dryRun = false;
    bool m_ask = true;
    bool m_held = false;
    UploadPreview m_preview;
    UploadReport m_report;
    bool m_reportTaken = false;
    int m_uploaded = 0;
};
