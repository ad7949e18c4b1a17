#pragma once

#include <QDialog>
#include <QString>

#include <memory>

class QLineEdit;

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

    // Report descriptions, here and in the wizard: a typed one is at most 30
    // characters, but a longer one that the program puts in (as loaded from
    // a report file) is kept whole. limitTypedDescription() makes the box's
    // limit follow its text, never below 30 and never above the text as it
    // stands, so typing can shorten a long description but never lengthen
    // it; setDescription() puts a text in whole.
    static constexpr int TypedDescriptionLength = 30;
    static void limitTypedDescription(QLineEdit* edit);
    static void setDescription(QLineEdit* edit, const QString& description);

protected:
    void changeEvent(QEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void FormActivate();
    // OK: checks the name and accepts, or explains and stays open.
    void BitBtn2Click();

    std::unique_ptr<Ui::TFrmFilename> m_ui;
    QString m_reportFile;
};
