#pragma once
// What the transmission tells the user: the file's anomalies and its check, the version check,
// the upload and the saved copy, and the captions of the upload screen.

#include "core/Prompter.h"

#include <QString>
#include <QStringList>

namespace vx::msg::transmission {

// The transmission file. `routine` names the writer that found the anomaly ("NomeFile", ...).
QString fileTitle(const QString& routine);
Message requestNotFound(const QString& routine);
Message applicantNotFound();
Message correspondenceMissing();
Message legalSeatNotFound();
Message noPersons();
// Nomina_e_Crea: the error (0 and "" after a writer's own anomaly) while the file was made.
Message fileNotWritten(int number, const QString& description);

// The fixed messages: a text, its title, icon and buttons.
enum class Notice {
    ReservedName,
    // The user stopped an upload ("Interrompi", Escape): nothing was sent, the file is kept.
    UploadStopped,
    // The saved copy.
    AskVersionCheck,
    VersionEnabled,
    VersionNotEnabledGoOn,
};
Message notice(Notice id);

Message fileCreationFailed();
// A file refused by its check: the report, and where it was kept (`savedPath` empty: nowhere).
Message checkRefused(const QString& report, const QString& savedPath);

// The lines of the check's report.
QString checkPassed(const QString& fileName, int persons);
QString checkFailed(const QString& fileName);

// The fixed texts: captions, titles, labels and lines written as they are.
enum class Text {
    NoFinalCrLf,
    Utf8Encoded,
    MissingHeader,
    MissingTerminator,
    // The delivery screen's table of the Request's transmissions, to a screen reader.
    HistoryName,
    EmailPrompt,
    SenderCaption,
    SendCaption,
    StopTip,
    // The history of transmissions, as the transmission screen lists it.
    HistoryCaption,
    // Titles.
    VersionTitle,
};
QString text(Text id);

QString bareLineBreak(int row);
QString notEncodable(int row);
QString afterTerminator(int row);
QString terminatorBeforeHeader(int row);
QString terminatorWithoutPersons(int row);
QString notEnclosed(int row);
QString unknownRecord(int row, const QString& type);
QString outOfPlace(int row, const QString& type, QChar wanted);
QString fieldCount(int row, const QString& type, int count, int expected);
QString notEightDigits(int row, int field, const QString& value);
QString separatorInValue(int row, int field);
QString loneHash(int row, int field);
QString otherRequest(int row, const QString& number, const QString& header);
QString repeatedPerson(int row, int earlier);
QString unknownRole(int row, const QString& word);
QString notANumber(int row, int field, const QString& value);
// Against the Request in the database.
QString unknownSite(int row, const QString& group, const QString& code, const QString& site);
QString notInRequest(int row, qint32 number);
QString missingPerson(const QString& codFiscale, const QString& surname, const QString& name);
QString databaseUnreadable(const QString& description);
// Before the definitive print: the heading of the report, and a fault of a person's record.
QString notSendable(qint32 number);
QString personFault(const QString& surname, const QString& name, const QString& codFiscale, const QString& fault);

// The version check.
Message versionNoLongerManaged(const QString& version);
Message regionStops(const QString& text);
// The delivery screen's table of the Request's transmissions, to a screen reader.
Message regionNotice(const QString& text);
Message versionNotAuthorised(const QString& version, const QString& latest);
Message versionNotLatest(const QString& version, const QString& latest);

// The upload.
QString uploadTitle();
Message openConnection();
Message sent(const QString& answerPhrase);
Message sentNotRecorded(const QString& fileName, const QString& number, const QString& description);

// The saved copy.
Message emailRequired();
Message overwrite(const QString& folder, const QString& fileName);
Message saved(const QString& fileName, const QString& folder);

// The history of transmissions, as the transmission screen lists it.
QStringList historyColumns();

} // namespace vx::msg::transmission
