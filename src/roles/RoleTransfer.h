#pragma once
// The import and export of a Request's persons and roles, behind the four commands of the roles
// list and the command line. Files live in the program folder under names fixed by the request
// number, so that an exported file is found again by the import without asking the user.
//
// An import replaces the Request's persons only when every row passes the verification, and then
// in one transaction that first makes sure the Request is not printed in definitive form (another
// workstation may print it while the file is read): a failure half-way leaves the old persons. The
// rows are staged in memory, never in a table another workstation shares.

#include "core/Context.h"
#include "roles/ImportLimits.h"
#include "roles/ImportVerification.h"
#include "roles/ImportedRow.h"
#include "roles/RoleColumns.h"

#include <QList>
#include <QString>

namespace vx {

class RoleTransfer {
public:
    enum class Format { Sheet, Text };

    // What an export gives back: the file's name, or the user declined to overwrite, or failure.
    static inline const QString kDeclined = QStringLiteral("annulla");
    static inline const QString kTemplateFile = QStringLiteral("ExportRuoli.xlsx");

    explicit RoleTransfer(Context& context) : m_ctx(context) {}

    // The commands: every question and message, in order. The caller refreshes the list after.
    void exportCommand(Format format);
    void importCommand(Format format);

    // The file an export writes; for an import, the first of `importCandidates` that exists.
    QString exportPath(Format format) const;
    QStringList importCandidates(Format format) const;

    // The Request's rows in the order of the export: surname, name, operator, site.
    QList<RolePerson> exportRows() const;
    // Writes the Request's rows into `path` (through a temporary file, never a partial one).
    bool writeFile(Format format, const QString& path, QString* error = nullptr) const;
    // The rows of `path` by its extension (.txt, .xlsx, .ods, .xls), stamped with the Request; a
    // file beyond the bounds of ImportLimits.h is refused unread (`tooLarge`).
    QList<ImportedRow> readFile(const QString& path, bool* ok, QString* error = nullptr,
                                bool* tooLarge = nullptr) const;
    ImportReport verify(const QList<ImportedRow>& rows) const;
    // Replaces the Request's rows by `rows` in one transaction; false (nothing changed) on failure.
    // `state` tells what the transaction found: a Request printed in definitive form, or deleted by
    // another workstation, is refused.
    bool replaceRows(const QList<ImportedRow>& rows, roles::RequestState* state = nullptr);

private:
    QString folderText() const;
    QString exportText(Format format);
    QList<ImportedRow> readText(const QString& path, ReadFailure& failure) const;

    Context& m_ctx;
};

} // namespace vx
