#pragma once

#include "core/store/ReportFile.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <optional>

// Why a report file cannot be loaded. Loading stops at the first of these.
enum class ReportParseError {
    None,
    CannotRead,     // missing, not a regular file, no permission, read error
    TooLarge,       // far larger than any report file can be
    MissingField,   // a field block whose field name line is empty or missing
    BadNumber,      // a block's type, line or position is not a whole number
    BadFlag,        // a summary flag is neither a leading part of TRUE nor of FALSE
    DuplicateField, // a second block for a field name already loaded
};

// Things that loading accepts but that the user or a tester may want to know.
// Each is recorded once, at its first line.
enum class ReportParseNote {
    OtherLineEnds,      // lines end in LF (or CR) alone instead of CR LF
    MissingLines,       // the file ends early; the missing lines read as empty
    ExtraLines,         // lines after the last field block are ignored
    UnknownOrder,       // line 2 is neither "Contact" nor "Calendar": ordering left as it was
    UnknownKind,        // line 3 is no information keyword: kind left as it was
    BadWidth,           // line 4 is no whole number: width 0
    BadCount,           // line 5 is no whole number: no field blocks
    NegativeCount,      // line 5 is below zero: no field blocks
    BlankFlag,          // an empty summary flag line reads as FALSE
    NulCharacter,       // the file holds NUL bytes
    UndefinedCharacter, // the file holds bytes that Windows-1252 leaves undefined
    DescriptionTooLong, // the description is longer than 30 characters
    TextTooLong,        // a header or field name is longer than 50 characters
};

struct ReportParseNoteEntry
{
    ReportParseNote note;
    int line; // 1-based line of the file
};

// What the loader reads from a report file. On an error, everything read
// before the failing line is kept, as the original loader kept it.
struct ParsedReport
{
    QString fileName;
    QString description;              // line 1
    QString orderText;                // line 2 as it stands
    std::optional<ReportOrder> order; // nothing for an unknown keyword
    QString kindText;                 // line 3 as it stands
    std::optional<InfoKind> kind;     // nothing for an unknown keyword
    int printableWidth = 0;           // line 4; 0 when no whole number
    int declaredCount = 0;            // line 5 (N); 0 when no whole number
    QList<ReportFileField> fields;    // the blocks read, in file order

    ReportParseError error = ReportParseError::None;
    int errorLine = 0;    // 1-based line of the failure, 0 for the whole file
    QString errorField;   // the row field the failing line is read into
    QString errorValue;   // the failing text (cut to 60 characters)
    QString errorMessage; // one sentence naming file, line and field
    QList<ReportParseNoteEntry> notes;

    bool ok() const { return error == ReportParseError::None; }
    bool hasNote(ReportParseNote note) const;
    // True when a block's field name is "customid" in any case.
    bool hasCustomId() const;
    // The count the field selection label shows: N, or N - 1 with the
    // detail-level field.
    int selectedCountLabel() const;
    // Number of fields on print line 1: the column count of the layout grid.
    int lineOneCount() const;
    // The report as the writer takes it, when order and kind are known.
    std::optional<ReportFileContent> content() const;
};

class ReportParser
{
public:
    // Larger files are refused without being read.
    static constexpr qint64 maxFileSize = 16 * 1024 * 1024;

    static ParsedReport parse(const QByteArray& bytes, const QString& fileName);
    static ParsedReport load(const QString& path);

    static QString noteText(ReportParseNote note);
};
