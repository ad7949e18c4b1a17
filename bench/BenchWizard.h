#pragma once

#include "forms/controls/Picklist.h"
#include "forms/wizard/BoundedSpinBox.h"
#include "forms/wizard/Crepmain.h"

#include <QCoreApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStackedWidget>

#include <stdexcept>
#include <string>

// The wizard's control with this objectName; a missing one stops the run.
template <typename T> T* benchControl(const QObject& window, const char* name)
{
    T* found = window.findChild<T*>(QLatin1String(name));
    if (!found)
        throw std::runtime_error(std::string("the wizard has no control ") + name);
    return found;
}

// Walks a shown wizard along the road of a new contact-ordered report with
// call fields to the field selection page, pressing Next as the user does;
// the last press fills the pick lists.
inline void walkToFieldSelection(TFrmCReport& w)
{
    auto next = [&w] {
        benchControl<QPushButton>(w, "BtnNext")->click();
        QCoreApplication::processEvents();
    };
    benchControl<QRadioButton>(w, "RBCreate")->setChecked(true);
    next(); // Page2
    benchControl<QRadioButton>(w, "RbContactOrdered")->setChecked(true);
    next(); // Page3
    benchControl<QRadioButton>(w, "RbCall")->setChecked(true);
    next(); // Page4
    benchControl<QLineEdit>(w, "EdDescription")->setText(QStringLiteral("Benchmark"));
    next(); // Page5
    benchControl<QRadioButton>(w, "RBAmPor")->setChecked(true);
    next(); // Page4_5
    benchControl<QRadioButton>(w, "rbCustYes")->setChecked(true);
    next(); // Page6
    if (benchControl<QStackedWidget>(w, "Notebook1")->currentWidget() !=
        benchControl<QWidget>(w, "Page6"))
        throw std::runtime_error("the wizard did not reach the field selection page");
}

inline void showWizard(TFrmCReport& w)
{
    w.show();
    QCoreApplication::processEvents();
}
