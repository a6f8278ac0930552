#pragma once
// What the persons-and-roles screens, the import and the export tell the user: every message,
// title, caption and report line, once. Code shows them from here and tests name the one they
// expect; the letters are the ones the program has always shown.

#include "core/Prompter.h"
#include "store/Database.h"

#include <QChar>
#include <QString>

namespace vx::msg::roles {

// The card's checks, in their fixed order (RoleValidation.h).
enum class CardCheck {
    CodFiscaleMissing,
    CodFiscaleLength,
    CognomeMissing,
    NomeMissing,
    GiornoMissing,
    GiornoLength,
    MeseMissing,
    MeseLength,
    AnnoMissing,
    AnnoLength,
    EmailMissing,
    TelefonoMissing,
    TelefonoDigits,
    CognomeCharacters,
    NomeCharacters,
    EmailCharacters,
    OperatoreMissing,
    RuoloMissing,
    SedeRequired,
    SedeNotAllowed,
    AnnoAgainstCode,
    MeseAgainstCode,
    GiornoAgainstCode,
    GiornoValue,
    MeseValue,
    AnnoValue,
    CodFiscaleFormat,
    CodFiscaleCheckCharacter,
    CodFiscaleSurname,
    CodFiscaleName,
    CodFiscaleSurnameLetters,
    CodFiscaleNameLetters,
    EmailFormat,
    EmailForbidden,
};
// A required field left empty is told with the title "Verifica dati"; any other fault with a
// warning, and a value of the wrong shape with what the field wants under the card's word.
Message cardCheck(CardCheck check);

// The faults of the import's verification, each one line of the report (ImportVerification.h).
enum class ReportFault {
    Malformed,
    Duplicate,
    CodFiscale,
    AnnoAgainstCode,
    MeseAgainstCode,
    GiornoAgainstCode,
    CognomeLength,
    CognomeCharacter,
    NomeLength,
    NomeCharacter,
    GiornoLength,
    MeseLength,
    AnnoLength,
    DateFormat,
    EmailLength,
    EmailNoAt,
    EmailNoDot,
    EmailAtDot,
    EmailFormat,
    TelLength,
    TelDigit,
    Group,
    CodiceLength,
    Operatore,
    Sede,
    Ruolo,
    RuoloAtAgency,
    RuoloAtSite,
};
// " -  <fault>", as it follows the row number.
QString reportFault(ReportFault fault);
QString reportEmailCharacter(QChar c);
// "riga <row><fault>".
QString reportLine(int row, const QString& fault);

// The card.
Message cardReadOnly();
Message rowGone();
Message cardRequestGone(qint32 numDoma);
// Printed in definitive form, here or at another workstation, after the card was opened.
Message cardRequestPrinted(qint32 numDoma);
// The same, met by a deletion from the list.
Message deleteRequestPrinted(qint32 numDoma);

// The fixed messages: a text, its title, icon and buttons.
enum class Notice {
    Reinserted,
    ExitQuestion,
    // The roles list.
    SelectRowToModify,
    NothingToDelete,
    SelectRowToDelete,
    GuideText,
    ReservedOnly,
    ImportBlocked,
};
Message notice(Notice id);

Message duplicate(const QString& codFiscale);
Message cardSaveError(const DbError& error);

// The roles list.
Message confirmDelete(const QString& cognome, const QString& nome, const QString& codFiscale);
// The accessible names of the card's three date fields: day (0), month (1), year (2).
QString birthPart(int part);

// The fixed texts: captions, titles, labels and lines written as they are.
enum class Text {
    DeleteTitle, // the operation's name when the deletion fails
    BatchTitle,
    // The reasons an export failed, as the command line names them.
    TemplateUnreadable,
    // Import.
    ImportTitle, // also the operation's name when the replacement fails
    NotText,
    // Captions.
    CardTitle,
    DateSeparator,
    PrintedNotice,
    // The search box of the list, its label and the count of the persons shown.
    ListSearchLabel,
    ListSearchHint,
    // The title of an import refused for its anomalies (also the command line's error).
    ImportRefusedTitle,
    // Titles.
    BlockedTitle,
};
QString text(Text id);

Message guideViewer(const QString& folder);

// Export.
Message exportQuestion(bool sheet);
Message templateMissing(const QString& templateName, const QString& folder);
Message overwrite(const QString& fileName);
Message exportFailed(bool sheet);
Message exported(const QString& folder, const QString& fileName);
// The reasons an export failed, as the command line names them.
QString cannotWrite(const QString& path);

// Import.
Message importQuestion(bool sheet);
// Deleted by another workstation while the file was read.
Message importRequestGone(qint32 numDoma);
Message importFileMissing(const QString& fileName, const QString& folder, bool sheet);
Message reservedState(int state);
Message unreadable(const QString& fileName);
Message tooLarge(const QString& fileName, const QString& reason);
Message noRows(const QString& fileName);
Message anomalies(const QString& suffix, const QString& reportPath);
// The report of the anomalies could not be written at `reportPath`.
Message anomaliesUnreported(const QString& suffix, const QString& reportPath);
// The import done, with the number of persons it wrote.
Message imported(int rows);
// The file dialog of the import: its title and its filter (spreadsheets, or text files).
QString importFileTitle(bool sheet);
QString importFilter(bool sheet);
// The reasons a file cannot be read, as the command line names them.
QString notASheet(const QString& kind);
QString cannotRead(const QString& path);
QString tooManyRows(int limit);
QString fileTooBig(qint64 megabytes);
QString contentTooBig(qint64 megabytes);
QString partTooBig(const QString& part, qint64 megabytes);
QString cellTooLong(int characters);
// The module of the spreadsheet formats (`module`, its file name) is not installed with the
// program: the reason for the command line, and the message of an import or export.
QString moduleMissing(const QString& module);
Message sheetModuleMissing(const QString& module);

// Captions.
QString cardLabel(int field); // RoleFault::Field order, from CodFiscale to Ruolo
QString listTitle(qint32 numDoma);
// The list's heading of column `column` (RolesShown::Column), in words.
QString listHeading(int column);
// The search box of the list, its label and the count of the persons shown.
QString listCount(int shown, int all);
struct Command {
    QString caption;
    QString tip;
};
enum class ListCommand {
    Insert,
    Modify,
    Delete,
    ExportSheet,
    ExportText,
    ImportSheet,
    ImportText,
    Batch,
    Help,
    Guide,
    Exit
};
Command listCommand(ListCommand command);

} // namespace vx::msg::roles
