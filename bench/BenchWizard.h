#pragma once

#include "forms/wizard/Crepmain.h"

#include <QCoreApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStackedWidget>

#include <stdexcept>

// Walks a shown wizard along the road of a new contact-ordered report with
// call fields to the field selection page, pressing Next as the user does;
// the last press fills the pick lists.
inline void walkToFieldSelection(TFrmCReport& w)
{
    auto next = [&w] {
        w.BtnNext->click();
        QCoreApplication::processEvents();
    };
    w.RBCreate->setChecked(true);
    next(); // Page2
    w.RbContactOrdered->setChecked(true);
    next(); // Page3
    w.RbCall->setChecked(true);
    next(); // Page4
    w.EdDescription->setText(QStringLiteral("Benchmark"));
    next(); // Page5
    w.RBAmPor->setChecked(true);
    next(); // Page4_5
    w.rbCustYes->setChecked(true);
    next(); // Page6
    if (w.Notebook1->currentWidget() != w.Page6)
        throw std::runtime_error("the wizard did not reach the field selection page");
}

inline void showWizard(TFrmCReport& w)
{
    w.show();
    QCoreApplication::processEvents();
}
