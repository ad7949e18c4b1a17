#pragma once

#include <QDialog>
#include <QString>

#include <memory>

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
    void setSelectMode(const QString& mode);
    // The picked report's file name; set on OK in "MODIFY" mode.
    QString reportFile() const { return m_reportFile; }
    // The same file's name as the data folder holds it (its case, and bytes
    // that are not valid UTF-8 kept as DiskName keeps them); set with
    // reportFile(). Two files may be listed under one lower-case name.
    QString reportDiskName() const { return m_reportDiskName; }

private:
    void FormCreate();
    // Fills the grid from the data folder; true when a report was found.
    bool LoadIntoGrid();

    void BtnOkClick();
    void BtnCancelClick();

    std::unique_ptr<Ui::TFrmSelect> m_ui;
    QString SelectMode;
    QString m_reportFile;
    QString m_reportDiskName;
};
