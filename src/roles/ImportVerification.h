#pragma once
// The verification of the rows of an import, before they replace a Request's persons and roles.
// Unlike the card, which stops at the first fault, every check runs on every row and each fault
// is one line of the report (once, however many characters show it), so that the user corrects
// the whole file at once. The checks share
// the card's codice fiscale routines, role table and date rule.
//
// Rows are numbered from 1 in the order of the file. Duplicate keys (codice fiscale, site, role)
// are found by one pass over the rows, and a long text many cells share is checked once, so the
// verification stays linear in the size of the file, not in what its cells name.

#include "roles/ImportedRow.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <functional>

namespace vx {

class Database;

struct ImportReport {
    QStringList lines; // "riga <n> -  <fault>", without terminator
    // Some e-mail holds a character it may not: the user is also told once by a message.
    bool forbiddenEmailCharacter = false;

    bool passed() const { return lines.isEmpty(); }
};

class ImportVerification {
public:
    static inline const QString kReportFile = QStringLiteral("RapportoElaborazioneImport.txt");

    // Whether the operator (group, code) has the site: the site registry, asked once per operator.
    using SiteLookup = std::function<bool(const QString& group, qint32 code, qint32 site)>;

    // `group` and `code`: the Operator selected in the application; birth years above
    // `currentYear` - 17 are refused, as on the card.
    ImportVerification(QString group, qint32 code, int currentYear, SiteLookup sites);

    ImportReport verify(const QList<ImportedRow>& rows) const;

    // A lookup of the sites of `db`'s registry.
    static SiteLookup registry(Database& db);
    // Writes the report into `folder` and gives its path; with no lines, deletes an old report
    // and gives "". An empty path also when the report cannot be written (`written` false).
    static QString writeReport(const QString& folder, const ImportReport& report, bool* written = nullptr);

private:
    struct Checked;
    void verifyRow(const ImportedRow& row, bool duplicate, Checked& checked, QStringList& faults,
                   bool& forbiddenEmail) const;

    QString m_group;
    qint32 m_code;
    int m_currentYear;
    SiteLookup m_sites;
};

} // namespace vx
