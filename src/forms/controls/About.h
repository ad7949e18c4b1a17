#pragma once

#include <QDialog>

#include <memory>

namespace Ui {
class TfrmAbout;
}

// The about box: the program's name and version and the maker's lines on a
// lowered panel, and an OK button.
class TfrmAbout : public QDialog
{
    Q_OBJECT
public:
    explicit TfrmAbout(QWidget* owner = nullptr);
    ~TfrmAbout() override;

private:
    void FormCreate();
    std::unique_ptr<Ui::TfrmAbout> m_ui;
};
