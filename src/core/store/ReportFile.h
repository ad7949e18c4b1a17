#pragma once

#include "core/catalogue/EventFields.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <optional>

// The report file: the one lasting form of a report definition, read by the
// contact manager when it prints the report. Plain Windows-1252 text, CR LF
// after every line: five header lines (description, order, information kind,
// printable width, field count N), then thirteen lines per field.

// Line 2 of the file.
enum class ReportOrder { Contact, Calendar };

// Line 3 of the file is an InfoKind (core/catalogue/EventFields.h).

// Paper button of the "Paper Size" page that a printable width selects.
enum class PaperButton { AmPor, A4Por, AmLan, A4Lan, Other };

// One field block: one row of the layout table as stored. Numbers without a
// value are written as empty lines.
struct ReportFileField
{
    std::optional<int> dbType; // 0 contact field or "CustomID", 1 event field
    bool lDots = false;        // dot leader
    bool rDots = false;        // dot trailer
    QString header;
    QString field;
    std::optional<int> line;
    std::optional<int> lPosition;
    std::optional<int> rPosition;
    bool total = false;
    bool count = false;
    bool average = false;
    bool min = false;
    bool max = false;

    bool operator==(const ReportFileField&) const = default;
};

// A report definition as stored: the header items and the field blocks in
// the order of the layout table's "iOrder" index (by line, then order).
struct ReportFileContent
{
    QString description;
    ReportOrder order = ReportOrder::Contact;
    InfoKind kind = InfoKind::Contact;
    int printableWidth = 0;
    QList<ReportFileField> fields;

    bool operator==(const ReportFileContent&) const = default;
};

class ReportFile
{
public:
    // The dot leader and trailer line: 30 full stops.
    static const QString dotLine();

    // Keywords as written ("Contact"/"Calendar"; "Contact", "Event", "Note",
    // "Call", "Letter", "Meeting", "TO-DO", "Sale", "Quote").
    static QString orderKeyword(ReportOrder order);
    static QString kindKeyword(InfoKind kind);
    // Keywords as read: compared in upper case; unknown text gives nothing.
    static std::optional<ReportOrder> orderFromKeyword(const QString& text);
    static std::optional<InfoKind> kindFromKeyword(const QString& text);

    // Which information button loading checks: "Contact" always checks the
    // contact button; the other keywords count only for a contact-ordered
    // report; a date-ordered report gets the basic event kind whatever the
    // file says. Nothing means: leave the buttons as they are.
    static std::optional<InfoKind> kindToCheck(std::optional<InfoKind> fileKind,
                                               bool contactOrdered);
    // 75, 77, 110 and 115 are the paper presets; any other width is custom.
    static PaperButton paperButtonForWidth(int width);

    // objectNames of the wizard's buttons for the values above.
    static QString orderButtonName(ReportOrder order);
    static QString paperButtonName(PaperButton paper);

    // Checks that every text can be stored: no character outside
    // Windows-1252, no line break. Returns the message for the first text
    // that cannot, or nothing.
    static std::optional<QString> checkTexts(const ReportFileContent& content);
    // The same checks, and messages, for the description alone and for the
    // column header of one field, as the user types them.
    static std::optional<QString> checkDescription(const QString& description);
    static std::optional<QString> checkHeader(const QString& field, const QString& header);

    // The file's bytes. Fails (returns nothing, *error set) exactly when
    // checkTexts() refuses.
    static std::optional<QByteArray> encode(const ReportFileContent& content,
                                            QString* error = nullptr);

    // Writes the report to path safely: the texts are checked first, then
    // the bytes go to a temporary file in the same folder, which is flushed
    // to disk and renamed over the old file. Any failure leaves an existing
    // file untouched and sets *error to a message that names the file.
    static bool save(const QString& path, const ReportFileContent& content,
                     QString* error = nullptr);

    // Writes a report under a name that must be new (one chosen in the
    // naming dialog). The bytes go to a temporary file in the same folder,
    // which then takes the name in one step only if no file of that name
    // exists by then: when another user saved a report of the same name in
    // the meantime, theirs stays as it is and *error says so. A failure
    // leaves no file behind.
    static bool saveNew(const QString& path, const ReportFileContent& content,
                        QString* error = nullptr);
};
