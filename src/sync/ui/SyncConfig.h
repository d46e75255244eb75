#pragma once

#include <QDialog>

class Interaction;
class QCheckBox;
class QPushButton;
class QSpinBox;
class Settings;

// "设置同步计划": the plan's interval and its two steps (NM 100-102). Reads
// the stored values each time it shows; "确定" stores them, "取消" (or Esc)
// leaves them. A plan that runs keeps what it read at its start.
class TfrmSyncConfig : public QDialog
{
    Q_OBJECT
public:
    TfrmSyncConfig(const Settings &settings, Interaction &ui, QWidget *parent = nullptr);

    QSpinBox *minute() const { return m_minute; }
    QCheckBox *downloadSource() const { return m_chkDownloadSource; }
    QCheckBox *uploadObject() const { return m_chkUploadObject; }
    // The interval in minutes that "确定" takes.
    static constexpr int LeastMinutes = 5;
    static constexpr int MostMinutes = 24 * 60;
    // The warning for an interval outside least..most minutes.
    static QString IntervalRefusedText(int least, int most);

public Q_SLOTS:
    void FormShow();
    void OKClick();
    void CancleClick();

protected:
    void showEvent(QShowEvent *event) override;

private:
    const Settings &m_settings;
    Interaction &m_ui;
    QSpinBox *m_minute = nullptr;
    QCheckBox *m_chkDownloadSource = nullptr;
    QCheckBox *m_chkUploadObject = nullptr;
    QPushButton *m_ok = nullptr;
    QPushButton *m_cancel = nullptr;
};
