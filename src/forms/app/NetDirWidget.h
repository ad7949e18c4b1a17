#pragma once

#include <QDialog>

#include <memory>

namespace Ui {
class NetDirWidget;
}

// The window of the network set-up tool: asks for the shared network
// control directory and stores it in NETDIR.INI (see NetDirSetup).
class NetDirWidget : public QDialog
{
    Q_OBJECT
public:
    // iniPath: the NETDIR.INI to update (the one beside the programs).
    explicit NetDirWidget(const QString& iniPath, QWidget* parent = nullptr);
    ~NetDirWidget() override;

public slots:
    void accept() override;

private:
    // The folder as typed or browsed to.
    QString folder() const;
    void browse();

    std::unique_ptr<Ui::NetDirWidget> m_ui;
    QString m_iniPath;
};
