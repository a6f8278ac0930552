// The import and export of persons and roles: the text layout, spreadsheets as office programs write
// them, the verification and its report, the bounds of what is read, the commands' messages.

#include "RolesFixture.h"
#include "Workbooks.h"
#include "core/Modules.h"

#include "core/DeliveredText.h"
#include "core/ProgramEnvironment.h"
#include "core/Windows1252.h"
#include "roles/Messages.h"
#include "roles/RoleSheet.h"
#include "roles/RoleTextFile.h"
#include "roles/RoleTransfer.h"
#include "roles/TaxCode.h"
#include "roles/screens/RolesListScreen.h"

#include <QDir>
#include <QFile>
#include <QPushButton>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QScrollBar>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>

#ifndef _WIN32
#include <sys/stat.h>
#endif

#include <clocale>

using namespace vx;
using namespace vx::test;
using Fault = msg::roles::ReportFault;
using Format = RoleTransfer::Format;

Q_DECLARE_METATYPE(vx::ImportedRow)

namespace {

constexpr Format kText = Format::Text;
constexpr Format kSheet = Format::Sheet;

struct Fixture : RolesFixture {
    explicit Fixture(bool printed = false) : RolesFixture(printed)
    {
        QFile::copy(QStringLiteral(VX_TEMPLATE), inst.file(RoleTransfer::kTemplateFile));
    }
    void addAll()
    {
        for (const RolePerson& p : {rossi(), bianchi(), ferrari()})
            inst.addRole(p);
    }
    QString name(Format f) const
    {
        return f == kText ? roles::textFileName(kRequest) : roles::sheetFileName(kRequest, QStringLiteral("xlsx"));
    }
    // The file the user picks in the import's dialog: the one under the export's name.
    QString chosen(Format f) const
    {
        QStringList names{roles::textFileName(kRequest)};
        if (f == kSheet) {
            names.clear();
            for (const QString& ext : roles::importExtensions())
                names.append(roles::sheetFileName(kRequest, ext));
        }
        const QStringList there = QDir(inst.folder()).entryList(QDir::Files);
        for (const QString& n : names) {
            for (const QString& file : there) {
                if (file.compare(n, Qt::CaseInsensitive) == 0)
                    return inst.file(file);
            }
        }
        return inst.file(name(f));
    }
    QString folder() const { return QDir::toNativeSeparators(QDir(inst.folder()).absolutePath()); }
    QString reportPath() const { return QDir::toNativeSeparators(inst.file(ImportVerification::kReportFile)); }
    // Runs the import command, the user answering Yes, and expects `messages` after the question.
    void import(Format f, const QList<Message>& messages)
    {
        prompter.expect(msg::roles::importQuestion(f == kSheet), Answer::Yes);
        prompter.expectOpenFile(chosen(f));
        for (const Message& m : messages)
            prompter.expect(m);
        RoleTransfer(ctx).importCommand(f);
    }
};

QByteArray line(const RolePerson& p)
{
    return windows1252::encode(
               roles::writeLine(roles::fieldsOf(p, QStringLiteral("A"), 12, QStringLiteral("CENTRO")))) +
           "\r\n";
}

ImportedRow imported(const RolePerson& p)
{
    ImportedRow r;
    r.person = p;
    r.codiceText = QString::number(p.codice);
    r.sedeText = QString::number(p.sede);
    return r;
}

QString report(int row, Fault fault)
{
    return msg::roles::reportLine(row, msg::roles::reportFault(fault));
}

void putXlsx(const QString& path, const QByteArray& sheet, const QByteArray& strings = QByteArray())
{
    QVERIFY(vx::test::writeXlsx(path, sheet, strings));
}

QByteArray cell(const char* ref, const QByteArray& content, const char* attributes = "")
{
    return QByteArray("<c r=\"") + ref + "\"" + attributes + ">" + content + "</c>";
}

// ROSSI's row as cells of row `n`: column A given, the rest as inline strings and numbers.
QByteArray rossiRow(int n, const QByteArray& columnA)
{
    const QByteArray r = QByteArray::number(n);
    auto text = [&r](const char* col, const char* value) {
        return cell((col + r).constData(), QByteArray("<is><t>") + value + "</t></is>", " t=\"inlineStr\"");
    };
    return "<row r=\"" + r + "\">" + columnA + text("B", "ROSSI") + text("C", "MARIO") +
           cell(("D" + r).constData(), "<v>31391</v>", " s=\"1\"") + text("E", "mario.rossi@ente.example") +
           text("F", "0115550101") + text("G", "A-12") + cell(("I" + r).constData(), "<v>0</v>") +
           cell(("J" + r).constData(), "<v>1</v>") + "</row>";
}

} // namespace

class TstImport : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void textReadingRule();
    void textExportBytes();
    void textLineEnds();

    void verificationChecks_data();
    void verificationChecks();
    void longTextsKeptApart();
    void duplicateKeysAndReport();

    void roundTrip_data();
    void roundTrip();
    void exportUnderItalianLocale();
    void sheetCells();
    void formulaInColumnA();
    void legacyAndOpenDocument();
    void openDocumentAsWritten();
    void missingModule();
    void importRefusals_data();
    void importRefusals();
    void anomaliesLeaveRows();
    void printedWhileTheFileIsRead();
    void exportFailure();
    void listCommandsWired();
};

// A UTF-8 file with its mark reads as UTF-8; a line of more than 51 fields is malformed.
void TstImport::textReadingRule()
{
    QCOMPARE(roles::readFields(delivered::decode("\xEF\xBB\xBF#NICOL\xC3\x92#")), QStringList{"NICOLÒ"});
    QStringList fields;
    for (int i = 0; i < 52; ++i)
        fields.append(QString::number(i));
    bool malformed = false;
    QCOMPARE(roles::readFields(roles::writeLine(fields), &malformed), fields.mid(0, 51));
    QVERIFY(malformed);
}

void TstImport::textExportBytes()
{
    Fixture f;
    f.addAll();
    const QString path = f.inst.file(f.name(kText));
    QVERIFY(RoleTransfer(f.ctx).writeFile(kText, path));
    // Surname order; the role as its code word; the date run together; single-byte letters.
    const QByteArray tail = "#,#0115550101#,#A#,#12#,#CENTRO DI FORMAZIONE#,#";
    QCOMPARE(readFile(path),
             "#100#,#A#,#12#,#BNCLRA90A41L219X#,#BIANCHI#,#LAURA#,#01011990#,#laura.bianchi@ente."
             "example" +
                 tail +
                 "1#,#VERIFICATORE_PERCORSI_SEDE#\r\n"
                 "#100#,#A#,#12#,#FRRNCL75H15F205N#,#FERRARI#,#NICOL\xD2#,#15061975#,#nicolo.ferrari@ente."
                 "example" +
                 tail +
                 "2#,#PROGETTISTA_PERCORSI_SEDE#\r\n"
                 "#100#,#A#,#12#,#RSSMRA85T10A562S#,#ROSSI#,#MARIO#,#10121985#,#mario.rossi@ente.example" +
                 tail + "0#,#PROGETTISTA_PERCORSI_FORM#\r\n");
}

// Files saved by older office programs end their lines with CR alone; CR LF and LF may be mixed
// in: every row is read. Blanks and no-break spaces around a name are dropped as the row enters.
void TstImport::textLineEnds()
{
    Fixture f;
    QByteArray bytes;
    for (const RolePerson& p : {rossi(), bianchi(), ferrari()})
        bytes += line(p).chopped(2) + (p == rossi() ? "\r" : p == bianchi() ? "\n" : "\r\n");
    bytes.replace("#ROSSI#", "#  ROSSI #").replace("#LAURA#", "#LAURA\xA0#");
    f.inst.writeFile(f.name(kText), bytes);
    f.import(kText, {msg::roles::imported(3)});
    VX_VERIFY_PROMPTS(f.prompter);
    QCOMPARE(f.rows(), (QList<RolePerson>{bianchi(), ferrari(), rossi()}));
}

void TstImport::verificationChecks_data()
{
    QTest::addColumn<ImportedRow>("row");
    QTest::addColumn<QList<int>>("faults");
    const auto row = [](const char* name, auto change, QList<Fault> faults) {
        ImportedRow r = imported(rossi());
        change(r.person);
        QList<int> codes;
        for (Fault f : faults)
            codes.append(int(f));
        QTest::newRow(name) << r << codes;
    };
    const auto field = [&row](const char* name, QString RolePerson::*member, const QString& value,
                              QList<Fault> faults) {
        row(
            name, [&](RolePerson& p) { p.*member = value; }, faults);
    };
    const auto none = [](RolePerson&) {};
    row("valid", none, {});
    ImportedRow malformed = imported(rossi());
    malformed.malformed = true;
    QTest::newRow("more than 51 fields") << malformed << QList<int>{int(Fault::Malformed)};
    field("position classes", &RolePerson::codFiscale, QStringLiteral("RSSMRA85T10A56-S"), {Fault::CodFiscale});
    // One fault gives one line, however many characters show it.
    field("surname length and two digits", &RolePerson::cognome, QStringLiteral("R2") + QString(49, QLatin1Char('2')),
          {Fault::CodFiscale, Fault::CognomeLength, Fault::CognomeCharacter});
    field("apostrophe and accent pass", &RolePerson::cognome, QStringLiteral("RÒS'SI"), {});
    // A letter the transmission file's code page cannot carry would make a Request never sent.
    field("a letter beyond the code page", &RolePerson::nome, QStringLiteral("MARI\u0141"), {Fault::NomeCharacter});
    // Control characters are refused like the other forbidden characters.
    field("control characters in the surname", &RolePerson::cognome, QStringLiteral("RO\x01SS\x1FI"),
          {Fault::CognomeCharacter});
    field("DEL and NUL in the name", &RolePerson::nome, QStringLiteral("MA\x7FRIO") + QChar(0), {Fault::NomeCharacter});
    row("day and month of one digit", [](RolePerson& p) { p.gg = QStringLiteral("1"), p.mm = QStringLiteral("2"); },
        {Fault::MeseAgainstCode, Fault::GiornoAgainstCode, Fault::GiornoLength, Fault::MeseLength});
    field("separator in the day", &RolePerson::gg, QStringLiteral("1/"), {Fault::GiornoAgainstCode, Fault::DateFormat});
    field("year of three digits", &RolePerson::aaaa, QStringLiteral("985"),
          {Fault::AnnoAgainstCode, Fault::AnnoLength, Fault::DateFormat});
    field("email without at and dot", &RolePerson::email, QStringLiteral("mario"),
          {Fault::EmailNoAt, Fault::EmailNoDot});
    field("telephone", &RolePerson::tel, QString(20, QLatin1Char('1')) + QStringLiteral("+"),
          {Fault::TelLength, Fault::TelDigit});
    row("site the operator lacks", [](RolePerson& p) { p.ruolo = 2, p.sede = 7; }, {Fault::Sede});
    row("no role", [](RolePerson& p) { p.ruolo = 0; }, {Fault::Ruolo});
    // The operator code's digits that count: "000012" is 12.
    const auto code = [](const char* name, const char* text, QList<int> faults) {
        ImportedRow r = imported(rossi());
        PerText<int> numbers;
        r.setNumbers(QLatin1String(text), 0, QStringLiteral("0"), numbers);
        QTest::newRow(name) << r << faults;
    };
    code("zero-padded operator code", "000012", {});
    code("operator code of 6 digits", "100012", {int(Fault::CodiceLength), int(Fault::Operatore)});
    code("operator code not a number", "x", {int(Fault::Operatore)});
}

void TstImport::verificationChecks()
{
    QFETCH(ImportedRow, row);
    QFETCH(QList<int>, faults);
    const ImportVerification verification(QStringLiteral("A"), 12, kYear,
                                          [](const QString&, qint32, qint32 site) { return site == 1 || site == 2; });
    QStringList expected;
    for (int f : faults)
        expected.append(report(1, Fault(f)));
    QCOMPARE(verification.verify({row}).lines, expected);
}

// A long text many cells share is checked once: texts of one length but other letters, or the
// same text in other fields, still get their own lines.
void TstImport::longTextsKeptApart()
{
    const ImportVerification verification(QStringLiteral("A"), 12, kYear,
                                          [](const QString&, qint32, qint32 site) { return site == 1 || site == 2; });
    const QString letters(70, QLatin1Char('A'));
    const QString digit = QString(69, QLatin1Char('A')) + QLatin1Char('1');
    QList<ImportedRow> rows(5, imported(rossi()));
    rows[0].person.cognome = letters;
    rows[1].person.cognome = digit;
    rows[2].person.cognome = digit; // the same string, shared
    rows[3].person.nome = digit;    // the same string in another field
    rows[4].person.tel = letters;
    for (ImportedRow& r : rows)
        r.person.codFiscale += QString::number(&r - rows.data()); // no duplicates
    const QStringList lines = verification.verify(rows).lines;
    QStringList expected;
    for (int row = 1; row <= 5; ++row)
        expected.append(report(row, Fault::CodFiscale));
    expected.insert(1, report(1, Fault::CognomeLength));
    expected.insert(3, report(2, Fault::CognomeLength));
    expected.insert(4, report(2, Fault::CognomeCharacter));
    expected.insert(6, report(3, Fault::CognomeLength));
    expected.insert(7, report(3, Fault::CognomeCharacter));
    expected.insert(9, report(4, Fault::NomeLength));
    expected.insert(10, report(4, Fault::NomeCharacter));
    expected.append({report(5, Fault::TelLength), report(5, Fault::TelDigit)});
    QCOMPARE(lines, expected);
}

void TstImport::duplicateKeysAndReport()
{
    Fixture f;
    RolePerson faulty = bianchi();
    faulty.tel = QStringLiteral("011-5");
    RolePerson role5 = rossi(); // the same person in another role: no duplicate
    role5.ruolo = 5;
    const ImportReport r = RoleTransfer(f.ctx).verify(
        {imported(rossi()), imported(role5), imported(faulty), imported(ferrari()), imported(rossi())});
    QCOMPARE(r.lines,
             (QStringList{report(1, Fault::Duplicate), report(3, Fault::TelDigit), report(5, Fault::Duplicate)}));
    QVERIFY(!r.forbiddenEmailCharacter);

    const QString path = ImportVerification::writeReport(f.inst.folder(), r);
    QCOMPARE(path, f.reportPath());
    QCOMPARE(readFile(path), QByteArray("riga 1 -  Duplicazione di chiave!!!.\r\nriga 3 -  Tel solo cifre.\r\n"
                                        "riga 5 -  Duplicazione di chiave!!!.\r\n"));
}

void TstImport::roundTrip_data()
{
    QTest::addColumn<int>("format");
    QTest::newRow("text") << int(kText);
    QTest::newRow("sheet") << int(kSheet);
}

// Exported and imported again, the rows are the same; the file can be opened by colleagues on a
// shared folder, as any file the user writes.
void TstImport::roundTrip()
{
    const Format format = Format(QTest::currentDataTag() == QByteArray("text") ? kText : kSheet);
    Fixture f;
    f.addAll();
    const QList<RolePerson> before = f.rows();
#ifndef _WIN32
    const mode_t mask = ::umask(022);
#endif
    f.prompter.expect(msg::roles::exportQuestion(format == kSheet), Answer::Yes)
        .expect(msg::roles::exported(f.folder(), f.name(format)));
    RoleTransfer(f.ctx).exportCommand(format);
#ifndef _WIN32
    ::umask(mask);
    QCOMPARE(QFileInfo(f.inst.file(f.name(format))).permissions() & 0x7777, QFileDevice::Permissions(0x6644));
#endif
    QCOMPARE(QDir(f.inst.folder()).entryList({QStringLiteral("*.part*")}, QDir::Files), QStringList());

    f.inst.sql(QStringLiteral("UPDATE Ruoli SET Tel = '0'"));
    // A row another workstation staged in the shared table: the import neither reads nor empties it.
    f.inst.sql(QStringLiteral("INSERT INTO RuoliImport (NumDoma, CodFiscale) VALUES (7, 'ALTRA')"));
    // The import finds the file whatever the case of its name.
    // (by way of a third name: where names differ in case only they name one file, Windows')
    const QString upper = f.inst.file(f.name(format).toUpper());
    QVERIFY(QFile::rename(f.inst.file(f.name(format)), upper + QStringLiteral(".tmp")));
    QVERIFY(QFile::rename(upper + QStringLiteral(".tmp"), upper));
    f.import(format, {msg::roles::imported(3)});
    VX_VERIFY_PROMPTS(f.prompter);
    QCOMPARE(f.rows(), before);
    QCOMPARE(dumpOf(f.db).value(QStringLiteral("RuoliImport")).size(), 1);
    QCOMPARE(f.control.busyDepth(), 0);
    QVERIFY(!QFile::exists(f.reportPath()));
}

// Every user's system speaks Italian: numbers the export writes into its parts stay numbers
// other programs read ("0.7", never "0,7").
void TstImport::exportUnderItalianLocale()
{
    Fixture f;
    f.addAll();
#ifdef Q_OS_WIN
    QVERIFY(std::setlocale(LC_ALL, "Italian_Italy.1252"));
#else
    QVERIFY2(std::setlocale(LC_ALL, "it_IT.UTF-8"), "it_IT.UTF-8 non generata: scripts/install-deps");
#endif
    const auto restore = qScopeGuard([] { std::setlocale(LC_ALL, "C"); });
    useItalianLocale();
    f.prompter.expect(msg::roles::exportQuestion(true), Answer::Yes)
        .expect(msg::roles::exported(f.folder(), f.name(kSheet)));
    RoleTransfer(f.ctx).exportCommand(kSheet);
    VX_VERIFY_PROMPTS(f.prompter);
    const auto parts = readZip(f.inst.file(f.name(kSheet)));
    QVERIFY(!parts.isEmpty());
    const QRegularExpression commaNumber(QStringLiteral("=\"-?[0-9]+,[0-9]+\""));
    bool margins = false;
    for (const auto& [name, bytes] : parts) {
        const QString xml = QString::fromUtf8(bytes);
        QVERIFY2(!commaNumber.match(xml).hasMatch(), name.constData());
        margins = margins || xml.contains(QLatin1String("<pageMargins left=\"0.7\""));
    }
    QVERIFY(margins);
}

// Cells as office programs store them: inline strings, rich text, an empty shared string after a
// full one, a date serial, numbers for the site and the role, the role as its text.
void TstImport::sheetCells()
{
    Fixture f;
    const QString path = f.inst.file(f.name(kSheet));
    const RolePerson b = bianchi();
    const QByteArray strings =
        "<si><t>" + b.codFiscale.toLatin1() +
        "</t></si><si><t>BIANCHI</t></si>"
        "<si><r><t>LAU</t></r><r><t>RA</t></r><rPh><t>ra</t></rPh></si>"
        "<si><t>01/01/1990</t></si><si><t>0115550101</t></si><si><t/></si>"
        "<si><t>Verificatore di Percorsi Formativi (SEDE)</t></si><si><t>RSSMRA85T10A562S</t></si>";
    auto shared = [](const char* ref, int index) {
        return cell(ref, "<v>" + QByteArray::number(index) + "</v>", " t=\"s\"");
    };
    const QByteArray sheet =
        rossiRow(2, shared("A2", 7)) + "<row r=\"3\">" + shared("A3", 0) + shared("B3", 1) + shared("C3", 2) +
        shared("D3", 3) + cell("E3", "<is><t>laura.bianchi@ente.example</t></is>", " t=\"inlineStr\"") +
        shared("F3", 4) + cell("G3", "<is><t>A-12</t></is>", " t=\"inlineStr\"") + cell("I3", "<v>1</v>") +
        shared("J3", 6) + "</row>" + "<row r=\"4\">" + shared("A4", 0) + shared("F4", 5) + "</row>";
    putXlsx(path, sheet, strings);
    bool ok = false;
    const QList<ImportedRow> rows = RoleTransfer(f.ctx).readFile(path, &ok);
    QVERIFY(ok);
    QCOMPARE(rows.size(), 3);
    QCOMPARE(rows[2].person.codFiscale, b.codFiscale);
    QCOMPARE(rows[2].person.tel, QString()); // the empty string, not the telephone before it
    QCOMPARE(rows[1].person, b);
    QCOMPARE(rows[0].person, rossi());
    QCOMPARE(roles::dateText(31391), QStringLiteral("10/12/1985"));
    QCOMPARE(roles::dateText(31391.75), QStringLiteral("10/12/1985"));
    QCOMPARE(roles::dateText(1), QStringLiteral("01/01/1900"));
    QCOMPARE(roles::dateText(59), QStringLiteral("28/02/1900"));
    QCOMPARE(roles::dateText(60), QStringLiteral("29/02/1900")); // the day the spreadsheet invents
    QCOMPARE(roles::dateText(61), QStringLiteral("01/03/1900"));
    QCOMPARE(roles::dateText(59, false), QStringLiteral("27/02/1900"));
    QCOMPARE(roles::dateText(2958465), QStringLiteral("31/12/9999"));
    for (double absurd : {1e300, -1e300, 2958466.0, 0.0, -5.0, std::nan("")})
        QVERIFY(!roles::dateText(absurd).contains(QLatin1Char('/')));
}

// 20,000 rows with a formula in A5 import whole; a row whose column A is really empty is reported.
void TstImport::formulaInColumnA()
{
    Fixture f;
    f.inst.addRole(ferrari());
    const QString path = f.inst.file(f.name(kSheet));
    QByteArray sheet;
    for (int r = 2; r <= 20001; ++r) {
        const bool formula = r == 5;
        const QByteArray cf = formula ? "<f>UPPER(\"x\")</f><v>RSSMRA85T10A562S</v>" : "<v>0</v>";
        sheet += rossiRow(r, cell(("A" + QByteArray::number(r)).constData(), cf, formula ? " t=\"str\"" : " t=\"s\""));
    }
    putXlsx(path, sheet, "<si><t>RSSMRA85T10A562S</t></si>");
    bool ok = false;
    QList<ImportedRow> rows = RoleTransfer(f.ctx).readFile(path, &ok);
    QVERIFY(ok);
    QCOMPARE(rows.size(), 20000);
    QCOMPARE(rows[3].person, rossi());

    putXlsx(path, rossiRow(2, cell("A2", "<v>RSSMRA85T10A562S</v>", " t=\"str\"")) + rossiRow(3, QByteArray()) +
                      "<row r=\"4\">" + cell("B4", "<v>x</v>", " t=\"str\"") + "</row><row r=\"9\"/>");
    rows = RoleTransfer(f.ctx).readFile(path, &ok);
    QCOMPARE(rows.size(), 3);
    f.import(kSheet, {msg::roles::anomalies(QStringLiteral("XLSX"), f.reportPath())});
    VX_VERIFY_PROMPTS(f.prompter);
    QVERIFY(readFile(f.reportPath()).startsWith("riga 2 -  Formato codice fiscale non corretto.\r\n"));
    QVERIFY(readFile(f.reportPath()).contains("riga 3 -  Formato codice fiscale non corretto."));
    QCOMPARE(f.rows(), QList<RolePerson>{ferrari()});
}

void TstImport::legacyAndOpenDocument()
{
    Fixture f;
    const QString xls = f.inst.file(roles::sheetFileName(kRequest, QStringLiteral("xls")));
    QVERIFY(QFile::copy(QStringLiteral(VX_LEGACY_XLS), xls));
    f.import(kSheet, {msg::roles::imported(2)});
    QCOMPARE(f.rows(), (QList<RolePerson>{bianchi(), rossi()}));
    QVERIFY(QFile::remove(xls));
    f.inst.sql(QStringLiteral("DELETE FROM Ruoli"));
    QVERIFY(QFile::copy(QStringLiteral(VX_ODS), f.inst.file(roles::sheetFileName(kRequest, QStringLiteral("ods")))));
    f.import(kSheet, {msg::roles::imported(2)});
    VX_VERIFY_PROMPTS(f.prompter);
    QCOMPARE(f.rows(), (QList<RolePerson>{bianchi(), rossi()}));
}

// An OpenDocument file as a spreadsheet program writes it: texts made by formulas are read by
// the value they show, runs of blanks as blanks.
void TstImport::openDocumentAsWritten()
{
    Fixture f;
    RolePerson deLuca = rossi();
    deLuca.cognome = QStringLiteral("DE  LUCA");
    deLuca.codFiscale = roles::surnameCode(deLuca.cognome) + rossi().codFiscale.mid(3, 12);
    deLuca.codFiscale += roles::checkCharacter(deLuca.codFiscale);
    const auto text = [](const QByteArray& inside, const QByteArray& attributes = QByteArray()) {
        return "<table:table-cell office:value-type=\"string\"" + attributes + "><text:p>" + inside +
               "</text:p></table:table-cell>";
    };
    const auto number = [](const char* value) {
        return QByteArray("<table:table-cell office:value-type=\"float\" office:value=\"") + value + "\"><text:p>" +
               value + "</text:p></table:table-cell>";
    };
    const auto row = [&](const QByteArray& codFiscale, const QByteArray& cognome) {
        return "<table:table-row>" + codFiscale + text(cognome) + text("MARIO") +
               "<table:table-cell office:value-type=\"date\" office:date-value=\"1985-12-10\"><text:p>10/12/85"
               "</text:p></table:table-cell>" +
               text("mario.rossi@ente.example") +
               text("0115550101", " table:formula=\"of:=&quot;011&quot;&amp;&quot;5550101&quot;\"") + text("A-12") +
               "<table:table-cell/>" + number("0") + number("1") + "</table:table-row>";
    };
    const QString path = f.inst.file(roles::sheetFileName(kRequest, QStringLiteral("ods")));
    QVERIFY(writeOds(
        path, "<table:table-row>" + text("CodiceFiscale") + "</table:table-row>" +
                  row(text("RSSMRA85T10A562S", " table:formula=\"of:=UPPER(&quot;rssmra85t10a562s&quot;)\""), "ROSSI") +
                  row(text(deLuca.codFiscale.toLatin1()), "DE <text:s/>LUCA")));
    f.import(kSheet, {msg::roles::imported(2)});
    VX_VERIFY_PROMPTS(f.prompter);
    QCOMPARE(f.rows(), (QList<RolePerson>{deLuca, rossi()}));
}

// Without the spreadsheet module the user is told, and nothing is read or written.
void TstImport::missingModule()
{
    Fixture f;
    f.addAll();
    const QList<RolePerson> before = f.rows();
    const QTemporaryDir empty;
    modules::setFolders({empty.path()});
    const QString xls = f.inst.file(roles::sheetFileName(kRequest, QStringLiteral("xls")));
    QVERIFY(QFile::copy(QStringLiteral(VX_LEGACY_XLS), xls));
    const Message missing = msg::roles::sheetModuleMissing(roles::moduleFileName());
    f.import(kSheet, {missing});
    bool ok = true;
    QString reason;
    RoleTransfer(f.ctx).readFile(xls, &ok, &reason);
    f.prompter.expect(msg::roles::exportQuestion(true), Answer::Yes).expect(missing);
    RoleTransfer(f.ctx).exportCommand(kSheet);
    modules::setFolders({});
    VX_VERIFY_PROMPTS(f.prompter);
    QVERIFY(!ok);
    QCOMPARE(reason, msg::roles::moduleMissing(roles::moduleFileName()));
    QCOMPARE(f.rows(), before);
    QVERIFY(!QFile::exists(f.inst.file(f.name(kSheet))));
}

namespace {
// A zip whose directory says that `entry` unpacks to 1 GB, though the file is small.
void inflateInDirectory(const QString& path, const QByteArray& entry)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadWrite));
    QByteArray bytes = file.readAll();
    const QByteArray size("\x00\x00\x00\x40", 4);
    for (qsizetype at = bytes.indexOf(entry); at >= 0; at = bytes.indexOf(entry, at + 1)) {
        const bool central = bytes.mid(at - 46, 4) == "PK\x01\x02";
        bytes.replace(at - (central ? 22 : 8), 4, size);
    }
    file.seek(0);
    file.write(bytes);
}
} // namespace

void TstImport::importRefusals_data()
{
    QTest::addColumn<int>("format");
    QTest::addColumn<QString>("refusal");
    for (const char* r : {"not a zip", "inflating strings", "inflating sheet", "NUL", "too large", "too many rows"})
        QTest::newRow(r) << int(QByteArray(r).contains("zip") || QByteArray(r).contains("inflat") ||
                                        QByteArray(r).contains("dupl")
                                    ? kSheet
                                    : kText)
                         << QString::fromLatin1(r);
}

// Refused with nothing changed, and the user told why.
void TstImport::importRefusals()
{
    QFETCH(int, format);
    QFETCH(QString, refusal);
    const Format fmt = Format(format);
    Fixture f;
    f.addAll();
    const Dump before = dumpOf(f.db);
    const QString path = f.inst.file(f.name(fmt));
    const QString name = f.name(fmt);
    Message told = msg::roles::unreadable(name);
    if (refusal == QLatin1String("not a zip")) {
        f.inst.writeFile(name, "PK non un foglio");
    } else if (refusal.startsWith(QLatin1String("inflating"))) {
        putXlsx(path, rossiRow(2, QByteArray()));
        const bool strings = refusal.endsWith(QLatin1String("strings"));
        inflateInDirectory(path, strings ? "xl/sharedStrings.xml" : "xl/worksheets/sheet1.xml");
        told = msg::roles::tooLarge(name, msg::roles::partTooBig(strings ? QStringLiteral("xl/sharedStrings.xml")
                                                                         : QStringLiteral("xl/worksheets/sheet1.xml"),
                                                                 strings ? 64 : 128));
    } else if (refusal == QLatin1String("NUL")) {
        f.inst.writeFile(name, line(rossi()) + QByteArray(3, '\0') + line(bianchi()));
    } else if (refusal == QLatin1String("too large")) {
        QFile big(path);
        QVERIFY(big.open(QIODevice::WriteOnly) && big.resize((32 << 20) + 1));
        told = msg::roles::tooLarge(name, msg::roles::fileTooBig(32));
    } else {
        f.inst.writeFile(name, QByteArray(100001, '\n'));
        told = msg::roles::tooLarge(name, msg::roles::tooManyRows(100000));
    }
    f.prompter.expect(msg::roles::importQuestion(fmt == kSheet), Answer::No);
    RoleTransfer(f.ctx).importCommand(fmt);
    f.import(fmt, {told});
    VX_VERIFY_PROMPTS(f.prompter);
    QCOMPARE(dumpOf(f.db), before);
    // The reason, as the command line gives it, is Italian too.
    QString reason;
    bool ok = true;
    RoleTransfer(f.ctx).readFile(path, &ok, &reason);
    if (refusal == QLatin1String("not a zip"))
        QCOMPARE(reason, msg::roles::notASheet(QStringLiteral("xlsx")));
}

void TstImport::anomaliesLeaveRows()
{
    Fixture f;
    f.addAll();
    const Dump before = dumpOf(f.db);
    RolePerson wrong = rossi();
    wrong.email = QStringLiteral("mario+rossi@ente.it");
    f.inst.writeFile(f.name(kText), line(bianchi()) + line(wrong) + "\r\n");
    const Message forbidden = msg::roles::cardCheck(msg::roles::CardCheck::EmailForbidden);
    f.import(kText, {forbidden, msg::roles::anomalies(QStringLiteral("TXT"), f.reportPath())});
    VX_VERIFY_PROMPTS(f.prompter);
    QCOMPARE(dumpOf(f.db), before);
    QVERIFY(readFile(f.reportPath()).startsWith("riga 2 -  Email: carattere non consentito '+'\r\nriga 3 -  Formato"));

    // The report cannot be written: the user is told so, and where it should have been.
    QVERIFY(QFile::remove(f.reportPath()));
    QVERIFY(QDir(f.inst.folder()).mkdir(ImportVerification::kReportFile));
    f.import(kText, {forbidden, msg::roles::anomaliesUnreported(QStringLiteral("TXT"), f.reportPath())});
    VX_VERIFY_PROMPTS(f.prompter);
    QCOMPARE(dumpOf(f.db), before);
}

// Another workstation prints the Request in definitive form, or deletes it, after the check at the
// start of the command, while the file is read: nothing is written.
void TstImport::printedWhileTheFileIsRead()
{
    for (const bool deleted : {false, true}) {
        Fixture f;
        f.inst.addRole(ferrari());
        f.inst.writeFile(f.name(kText), line(rossi()) + line(bianchi()));
        RoleTransfer t(f.ctx);
        bool ok = false;
        const QList<ImportedRow> rows = t.readFile(f.inst.file(f.name(kText)), &ok);
        QVERIFY(ok && t.verify(rows).passed());
        f.inst.sql(deleted ? QStringLiteral("DELETE FROM Domande")
                           : QStringLiteral("UPDATE Domande SET DomandaStampata = 1"));
        roles::RequestState found = roles::RequestState::Open;
        QVERIFY(!t.replaceRows(rows, &found));
        QCOMPARE(found, deleted ? roles::RequestState::Gone : roles::RequestState::Printed);
        QCOMPARE(f.rows(), QList<RolePerson>{ferrari()});
    }
}

// A folder that cannot be written: no partial file, and the reason in Italian.
void TstImport::exportFailure()
{
    Fixture f;
    RoleTransfer t(f.ctx);
    QString reason;
    const QString path = f.inst.file(QStringLiteral("assente/x.txt"));
    QVERIFY(!t.writeFile(kText, path, &reason));
    QCOMPARE(reason, msg::roles::cannotWrite(QDir::toNativeSeparators(path)));
    f.state.programFolder = f.inst.file(QStringLiteral("assente/"));
    f.prompter.expect(msg::roles::exportQuestion(false), Answer::Yes).expect(msg::roles::exportFailed(false));
    t.exportCommand(kText);
    VX_VERIFY_PROMPTS(f.prompter);
}

// The list's transfer commands reach their core actions; after them the list is read again and
// shows its first column.
void TstImport::listCommandsWired()
{
    Fixture f;
    f.inst.addRole(rossi());
    RolesListScreen list(f.ctx);
    list.show();
    QScrollBar* across = list.grid()->horizontalScrollBar();
    f.inst.writeFile(f.name(kText), line(bianchi()) + line(rossi()));
    list.resize(300, 300);
    across->setValue(across->maximum());
    QVERIFY(across->value() > 0);
    f.prompter.expect(msg::roles::importQuestion(false), Answer::Yes).expectOpenFile(f.chosen(kText));
    f.prompter.expect(msg::roles::imported(2));
    QTest::mouseClick(list.findChild<QPushButton*>(QStringLiteral("CmdImportaDaTXT")), Qt::LeftButton);
    VX_VERIFY_PROMPTS(f.prompter);
    QCOMPARE(list.model()->rowCount(), 2);
    QCOMPARE(across->value(), 0);
    f.prompter.expect(msg::roles::exportQuestion(true), Answer::No)
        .expect(msg::roles::importQuestion(true), Answer::No);
    QTest::mouseClick(list.findChild<QPushButton*>(QStringLiteral("CmdEsportaExcel")), Qt::LeftButton);
    QTest::mouseClick(list.findChild<QPushButton*>(QStringLiteral("CmdImportaDaExcel")), Qt::LeftButton);
    VX_VERIFY_PROMPTS(f.prompter);
}

QTEST_MAIN(TstImport)
#include "tst_import.moc"
