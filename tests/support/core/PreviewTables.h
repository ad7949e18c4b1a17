#pragma once

#include "core/store/ReportFile.h"

#include <QString>
#include <QStringList>

// A small data folder whose every value is known, for the tests of the
// report preview: CONTACT.DB (protected) with four contacts and EVENT.DB
// with five events linked by CustomID, kinds in Kind.
//
//   CustomID Company                    FirstName LastName Revenue Created
//   C001     Acme                       Ada       Lane      100.50 2020-01-02
//   C002     Borealis Trading Company   Bo        Park      250.00 2021-06-30
//   C003     (none)                     Cy        (none)    (none) (none)
//   C004     Cyan                       Di        Stone      49.50 2019-12-31
//
//   EventID CustomID Kind EventDate  EventTime Summary
//   1       C002     C    2022-03-01 10:00     Call about invoice
//   2       C001     C    2022-01-15 09:30     First call
//   3       C001     M    2022-01-10 14:00     Site meeting
//   4       C004     C    2022-01-15 08:00     Early call
//   5       C999     C    2022-02-01 12:00     Orphan
namespace PreviewTables {

QString password();
QStringList passwords();
// Writes the tables into folder; `contacts` more contacts (C101, C102, ...,
// company "Filler N") are appended when asked for, for reports of several
// pages. `linked` false leaves CustomID out of the event table. The contact
// table is protected with `tablePassword` (by default password()).
void write(const QString& folder, int moreContacts = 0, bool linked = true,
           const QString& tablePassword = QString());

// A contact-ordered report on 7.5 inches: Company 1-10 (header "Company"),
// Revenue 12-20 with a dot leader, total, average and max (header
// "Revenue"), firstlast 22-35 (header "Name").
ReportFileContent contactReport();
// A date-ordered call report: Company 1-10, the call's Summary 12-40.
ReportFileContent callReport(ReportOrder order);

} // namespace PreviewTables
