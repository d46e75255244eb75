#pragma once

#include <QObject>
#include <QSqlDatabase>
#include <QString>
#include <QStringList>
#include <functional>
#include <vector>

class Desktop;
class Interaction;
class ListModel;

// The target list's commands that belong to the download: deleting the
// selected rows from TB_Object, copying a cell of the selected rows, saving
// them as a GB18030 CSV file, and emptying the current account's rows. Rows
// are model rows; they act in list order whatever order they were selected in.
class TargetListCommands : public QObject
{
    Q_OBJECT
public:
    TargetListCommands(const QSqlDatabase &db, ListModel &model, Interaction &ui, Desktop &desktop,
                       QObject *parent = nullptr);

    // MenuItem3Click: asks, deletes the rows from TB_Object and from the list.
    void MenuItem3Click(std::vector<int> selected);
    // CopyText_Object: the cell of every selected row, joined by CR LF, on the
    // clipboard (nothing when that is empty).
    void CopyText_Object(std::vector<int> selected, int cell);
    // The cell each copy command copies, by its place in the copy menu (0-11).
    static int CopyCell(int command);
    // MenuItem13Click: asks for a file and writes the selected rows to it.
    void MenuItem13Click(std::vector<int> selected);
    // The lines of the export: the header, then each row's caption and cells.
    QStringList exportLines(std::vector<int> selected) const;
    // N67Click: asks, then deletes every TB_Object row of the account.
    void N67Click(const QString &account);

    static QString shownCount(int n);

Q_SIGNALS:
    void totalsChanged(const QString &text);

private:
    QSqlDatabase m_db;
    ListModel &m_model;
    Interaction &m_ui;
    Desktop &m_desktop;
};
