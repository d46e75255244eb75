#pragma once

#include <QDialog>

// The About window: picture, version and the maker's contact lines. A click
// on the picture or on any label closes it, and so does Ctrl+W.
class TfrmAbout : public QDialog
{
    Q_OBJECT
public:
    explicit TfrmAbout(const QString &versionText, QWidget *parent = nullptr);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
};
