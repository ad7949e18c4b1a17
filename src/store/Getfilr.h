#pragma once

#include <QDialog>
#include <QString>

#include <memory>

namespace Ui {
class TFrmFilename;
}

// The naming dialog "Save Report File": asks for the name of a new report
// file in the data folder and lets the user adjust the report's description.
//
// The caller creates it with the wizard's description, runs exec(), and on
// Accepted takes reportFile() (the full path of the new file) and
// description() (the text to put back into the wizard). On Rejected nothing
// has changed.
class TFrmFilename : public QDialog
{
    Q_OBJECT
public:
    explicit TFrmFilename(const QString& description, QWidget* parent = nullptr);
    ~TFrmFilename() override;

    // Full path of the report file to write; set when the dialog accepts.
    QString reportFile() const { return m_reportFile; }
    // The description as the dialog holds it.
    QString description() const;

    // OK: checks the name and accepts, or explains and stays open.
    void BitBtn2Click();

protected:
    void changeEvent(QEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void FormActivate();

    std::unique_ptr<Ui::TFrmFilename> ui;
    QString m_reportFile;
};
