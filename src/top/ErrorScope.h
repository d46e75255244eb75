#pragma once

#include <QString>

struct TopIntake;

// What an error reply of an update call means for the run it belongs to.
enum class ErrorScope {
    Item, // the platform refused this one item (locked, not found, not the
          // seller's, price out of range, nothing to sell): the run goes on
    Run,  // the call, the key or the session is at fault: the run ends
};

// isv.* sub-codes about the item refuse that item alone; codes 7 (after its
// wait), 11, 12, 25-29 and 53, every isp.* sub-code and anything without a
// sub-code end the run.
ErrorScope ErrorScopeOf(int code, const QString &subCode);
ErrorScope ErrorScopeOf(const TopIntake &reply);
// The session is invalid or has expired (codes 27 and 53): a new login may help.
bool SessionExpired(int code);
