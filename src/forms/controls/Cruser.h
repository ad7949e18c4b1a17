#pragma once

#include <QDialog>
#include <QString>

#include <memory>

namespace Ui {
class TFrmUser;
}
class Table;

// The user field definitions dialog: a read-only grid with one row per user
// field of the contact manager ("User1" to "Money8") and one column per
// database listed in DATABASE.DB, showing the caption each database gives
// each field.
class TFrmUser : public QDialog
{
    Q_OBJECT
public:
    // Reads DATABASE.DB through `alias`. Throws DatabaseError when the table
    // cannot be opened or lacks "DB" or one of the user fields; no dialog is
    // shown then.
    TFrmUser(QWidget* owner, const QString& alias);
    ~TFrmUser() override;

    // Creates the dialog, shows it modally and releases it. A database error
    // is reported in the standard error box and nothing is shown; returns
    // whether the dialog was shown.
    static bool execute(QWidget* owner, const QString& alias);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void FormCreate();
    // Columns, rows and headers at least as large as designed, larger where
    // the texts need it in the font present.
    void fitGridToContents();

    std::unique_ptr<Ui::TFrmUser> m_ui;
    Table* TblDatabase;
    QString m_alias;
};
