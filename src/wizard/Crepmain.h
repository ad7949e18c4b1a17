#pragma once

#include <QDialog>

// The report wizard, the program's main window.
class TFrmCReport : public QDialog
{
    Q_OBJECT
public:
    explicit TFrmCReport(QWidget* parent = nullptr);
};
