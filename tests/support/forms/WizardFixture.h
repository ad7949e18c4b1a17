#pragma once

#include "ModalWatch.h"
#include "ScriptedPlatform.h"
#include "TempInstallation.h"
#include "engine/AppPaths.h"
#include "engine/Session.h"
#include "engine/Table.h"
#include "forms/wizard/BoundedSpinBox.h"
#include "forms/wizard/Crepmain.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QRadioButton>
#include <QStyle>
#include <QStyleOptionButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <functional>
#include <memory>

// A throw-away installation for the wizard (see TempInstallation) whose data
// folder can hold small CONTACT.DB and EVENT.DB tables. A scripted platform
// records every box, program start and help request. The wizard window goes
// before the installation does.
class WizardFixture : public TempInstallation
{
public:
    ~WizardFixture() { window.reset(); }

    // The host's contact and event tables, with a handful of columns.
    void makeHostTables()
    {
        Table contact;
        contact.setDatabaseName(QStringLiteral("VESKA"));
        contact.setTableName(QStringLiteral("CONTACT.DB"));
        contact.addFieldDef(QStringLiteral("CustomID"), FieldType::Alpha, 20, false);
        contact.addFieldDef(QStringLiteral("Company"), FieldType::Alpha, 40, false);
        contact.addFieldDef(QStringLiteral("LastName"), FieldType::Alpha, 30, false);
        contact.addFieldDef(QStringLiteral("City"), FieldType::Alpha, 30, false);
        contact.addFieldDef(QStringLiteral("Birthday"), FieldType::Date, 0, false);
        contact.addFieldDef(QStringLiteral("Memo"), FieldType::Memo, 11, false);
        contact.createTable();

        Table events;
        events.setDatabaseName(QStringLiteral("VESKA"));
        events.setTableName(QStringLiteral("EVENT.DB"));
        events.addFieldDef(QStringLiteral("EventDate"), FieldType::Date, 0, false);
        events.addFieldDef(QStringLiteral("EventTime"), FieldType::Time, 0, false);
        events.addFieldDef(QStringLiteral("Who"), FieldType::Alpha, 30, false);
        events.addFieldDef(QStringLiteral("Summary"), FieldType::Alpha, 60, false);
        events.addFieldDef(QStringLiteral("Memo"), FieldType::Memo, 11, false);
        events.createTable();
    }

    // Creates the wizard and shows it, as the start-up does.
    TFrmCReport& open()
    {
        window = std::make_unique<TFrmCReport>();
        window->show();
        QApplication::setActiveWindow(window.get());
        if (!QTest::qWaitForWindowExposed(window.get()))
            qWarning("wizard window not exposed");
        return *window;
    }

    // Clicks a radio button where the user would: on its indicator.
    static void clickRadio(QRadioButton* button)
    {
        QStyleOptionButton option;
        option.initFrom(button);
        const QRect indicator =
            button->style()->subElementRect(QStyle::SE_RadioButtonIndicator, &option, button);
        QTest::mouseClick(button, Qt::LeftButton, Qt::NoModifier, indicator.center());
    }

    // Runs `action`, which opens a modal window; `onModal` then gets that
    // window (nullptr if none appeared) and must close it.
    static void withModal(const std::function<void()>& action,
                          const std::function<void(QWidget*)>& onModal)
    {
        bool handled = false;
        QObject owner;
        watchModal(
            &owner,
            [&](QWidget* modal) {
                handled = true;
                onModal(modal);
            },
            {}, 20, 100);
        action();
        if (!handled)
            QTRY_VERIFY(handled);
    }

    ScriptedPlatform platform;
    std::unique_ptr<TFrmCReport> window;
};
