#pragma once

#include <QString>

class Interaction;
class Settings;

// The two selectors of the target toolbar without their widgets: the key
// selector _Uniqid (_Parameter 9999) and the upload-mode selector
// _UpgradeStock (9998). Each holds the index it shows and the confirmed one;
// a choice is confirmed by a question before it is stored.
class ConfirmedSelector
{
public:
    enum class Kind { MatchingKey, UploadMode };

    explicit ConfirmedSelector(Kind kind) : m_kind(kind) {}

    Kind kind() const { return m_kind; }
    int shown() const { return m_shown; }
    int confirmed() const { return m_confirmed; }

    // At start: both indexes from the stored setting.
    void load(const Settings &settings);

    enum class Choice {
        Ignored,   // busy, or the confirmed index chosen again: nothing happens
        Reverted,  // No: the selector shows the confirmed index again
        Confirmed, // Yes: stored; the caller applies the mode and runs the query
        Failed,    // Yes, but the setting could not be stored: shown reverted
    };
    // The user chose index. Under the busy guard the choice is only shown.
    Choice choose(int index, bool busy, Interaction &ui, const Settings &settings);

    // The question asked before a change.
    QString question() const;
    // The selector's colour for its confirmed index (0xRRGGBB).
    uint colour() const { return Colour(m_confirmed); }
    static uint Colour(int index) { return index == 0 ? 0xED8080u : 0xFCF7BAu; }

private:
    Kind m_kind;
    int m_shown = 0;
    int m_confirmed = 0;
};

// _StatusTips after a key mode is confirmed (and at start).
QString MatchingKeyStatusTip(int key);
