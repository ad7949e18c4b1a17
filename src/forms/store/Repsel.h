#pragma once

#include <QDialog>
#include <QString>

#include <memory>

class QTableWidget;

namespace Ui {
class TFrmSelect;
}

// The selection dialog "Select A Report": lists the report files of the data
// folder with their descriptions and types, sorted by description, and lets
// the user pick one.
//
// Use: create it (the list is read at once, and the data folder becomes the
// process's current folder), call setTitle() and setSelectMode("MODIFY" or
// "DELETE"), then exec(). In "MODIFY" mode an Accepted result leaves the
// picked file name (lower case, with its extension, no folder) in
// reportFile(). In "DELETE" mode the dialog asks and deletes the file
// itself; Accepted means the file is gone. Rejected changes nothing.
class TFrmSelect : public QDialog
{
    Q_OBJECT
public:
    explicit TFrmSelect(QWidget* parent = nullptr);
    ~TFrmSelect() override;

    void setTitle(const QString& title);
    QString title() const;
    void setSelectMode(const QString& mode);
    QString selectMode() const { return SelectMode; }
    // The picked report's file name; set on OK in "MODIFY" mode.
    QString reportFile() const { return m_reportFile; }
    // The same file's name as the data folder holds it (its case, and bytes
    // that are not valid UTF-8 kept as DiskName keeps them); set with
    // reportFile(). Two files may be listed under one lower-case name.
    QString reportDiskName() const { return m_reportDiskName; }

    // Fills the grid from the data folder; true when a report was found.
    bool LoadIntoGrid();
    // First line of the file (description) and second line (type); a missing
    // line, or a file that cannot be read, gives empty text.
    static void GetDescription(const QString& fileName, QString& description, QString& type);
    // Orders rows first..last of the grid by the text of one column, ignoring
    // the case of ASCII letters; whole rows move.
    static void SortGridRows(QTableWidget* grid, int firstRow, int lastRow, int column);

    void BtnOkClick();
    void BtnCancelClick();

private:
    void FormCreate();

    std::unique_ptr<Ui::TFrmSelect> ui;
    QString SelectMode;
    QString m_reportFile;
    QString m_reportDiskName;
};
