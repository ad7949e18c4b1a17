#pragma once

#include <QDialog>

#include <memory>

namespace Ui {
class TfrmAbout;
}
class QLabel;

// The about box: the program's name and version and the maker's lines on a
// lowered panel, and an OK button.
class TfrmAbout : public QDialog
{
    Q_OBJECT
public:
    explicit TfrmAbout(QWidget* owner = nullptr);
    ~TfrmAbout() override;

    QLabel* programLabel() const;
    QLabel* versionLabel() const;

private:
    void FormCreate();
    std::unique_ptr<Ui::TfrmAbout> ui;
};
