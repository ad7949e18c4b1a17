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

    QString folder() const;
    void setFolder(const QString& folder);

public slots:
    void accept() override;

private:
    void browse();

    std::unique_ptr<Ui::NetDirWidget> ui;
    QString m_iniPath;
};
