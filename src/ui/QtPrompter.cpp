#include "ui/QtPrompter.h"

#include "core/ProgramEnvironment.h"

#include <QApplication>
#include <QCursor>
#include <QFileDialog>
#include <QFileInfo>
#include <QInputDialog>
#include <QLabel>
#include <QLibraryInfo>
#include <QLineEdit>
#include <QLocale>
#include <QMessageBox>
#include <QStyle>
#include <QTranslator>

namespace vx {

namespace {

// A question waits for the user: the wait cursor of the work that asks it is lifted while it is
// shown, and put back after.
class CursorLifted {
public:
    CursorLifted()
    {
        for (; QGuiApplication::overrideCursor() && m_depth < 16; ++m_depth)
            QGuiApplication::restoreOverrideCursor();
    }
    ~CursorLifted()
    {
        for (int i = 0; i < m_depth; ++i)
            QGuiApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
    }
    CursorLifted(const CursorLifted&) = delete;
    CursorLifted& operator=(const CursorLifted&) = delete;

private:
    int m_depth = 0;
};
QMessageBox::Icon boxIcon(Icon icon)
{
    switch (icon) {
    case Icon::Critical:
        return QMessageBox::Critical;
    case Icon::Exclamation:
        return QMessageBox::Warning;
    case Icon::Information:
        return QMessageBox::Information;
    case Icon::Question:
        return QMessageBox::Question;
    case Icon::None:
        break;
    }
    return QMessageBox::NoIcon;
}

QMessageBox::StandardButtons boxButtons(Buttons buttons)
{
    switch (buttons) {
    case Buttons::Ok:
        return QMessageBox::Ok;
    case Buttons::OkCancel:
        return QMessageBox::Ok | QMessageBox::Cancel;
    case Buttons::YesNo:
        return QMessageBox::Yes | QMessageBox::No;
    case Buttons::YesNoCancel:
        return QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
    case Buttons::RetryCancel:
        return QMessageBox::Retry | QMessageBox::Cancel;
    }
    return QMessageBox::Ok;
}
} // namespace

Answer QtPrompter::ask(const Message& message)
{
    const CursorLifted lifted;
    QMessageBox box(boxIcon(message.icon), message.title, message.text, boxButtons(message.buttons),
                    QApplication::activeWindow());
    switch (box.exec()) {
    case QMessageBox::Ok:
        return Answer::Ok;
    case QMessageBox::Cancel:
        return Answer::Cancel;
    case QMessageBox::Yes:
        return Answer::Yes;
    case QMessageBox::No:
        return Answer::No;
    case QMessageBox::Retry:
        return Answer::Retry;
    default:
        return safeAnswer(message.buttons); // the box closed without a button
    }
}

QString QtPrompter::dialogFilter(const QString& filter)
{
    const QStringList parts = filter.split(QLatin1Char('|'));
    QStringList out;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QString description = parts[i];
        const QString pattern = QString(parts[i + 1]).replace(QLatin1Char(';'), QLatin1Char(' '));
        if (!description.contains(QLatin1Char('(')))
            description += QStringLiteral(" (") + pattern + QLatin1Char(')');
        else
            description =
                description.left(description.indexOf(QLatin1Char('('))) + QLatin1Char('(') + pattern + QLatin1Char(')');
        out.append(description);
    }
    return out.join(QStringLiteral(";;"));
}

// Qt's own dialog, which speaks Italian with the program whatever the desktop's language.
constexpr QFileDialog::Options kDialogOptions = QFileDialog::DontUseNativeDialog;

namespace {
// The dialog's chosen file, "" when the user gives up. Qt leaves two of its captions untied to
// their lists ("Cerca in:", "File di tipo:"): tied here, a screen reader reads each with its list.
QString runFileDialog(QFileDialog& dialog)
{
    for (const auto& [caption, field] : {std::pair{"lookInLabel", "lookInCombo"}, {"fileTypeLabel", "fileTypeCombo"}}) {
        auto* label = dialog.findChild<QLabel*>(QLatin1String(caption));
        auto* list = dialog.findChild<QWidget*>(QLatin1String(field));
        if (label && list && !label->buddy())
            label->setBuddy(list);
    }
    return dialog.exec() == QDialog::Accepted ? dialog.selectedFiles().value(0) : QString();
}
} // namespace

QString QtPrompter::chooseOpenFile(const FileChoice& choice)
{
    const CursorLifted lifted;
    QFileDialog dialog(QApplication::activeWindow(), choice.title, choice.folder, dialogFilter(choice.filter));
    dialog.setOptions(kDialogOptions);
    dialog.setFileMode(QFileDialog::ExistingFile);
    return runFileDialog(dialog);
}

QString QtPrompter::chooseSaveFile(const FileChoice& choice)
{
    const CursorLifted lifted;
    QString start = choice.folder;
    if (!choice.proposedName.isEmpty())
        start += QLatin1Char('/') + choice.proposedName;
    QFileDialog dialog(QApplication::activeWindow(), choice.title, start, dialogFilter(choice.filter));
    dialog.setOptions(kDialogOptions);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    return runFileDialog(dialog);
}

QString QtPrompter::chooseFolder(const FileChoice& choice)
{
    const CursorLifted lifted;
    // Opened inside the proposed folder (or the nearest one that exists), so that "Scegli" with no
    // name typed takes it.
    QString start = choice.folder;
    while (!start.isEmpty() && !QFileInfo(start).isDir() && start != QFileInfo(start).path())
        start = QFileInfo(start).path();
    QFileDialog dialog(QApplication::activeWindow(), choice.title);
    dialog.setOptions(kDialogOptions | QFileDialog::ShowDirsOnly);
    dialog.setFileMode(QFileDialog::Directory);
    dialog.setDirectory(start);
    return runFileDialog(dialog);
}

bool QtPrompter::askPassword(const QString& text, const QString& title, QString& password)
{
    const CursorLifted lifted;
    QInputDialog dialog(QApplication::activeWindow());
    dialog.setWindowTitle(title);
    dialog.setLabelText(text);
    dialog.setTextEchoMode(QLineEdit::Password);
    // Wide enough for its title whole in the window manager's title bar, beside the bar's icon and
    // buttons (the dialog takes its field's width: its layout sets its least size).
    const int bar = dialog.style()->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, &dialog);
    if (auto* field = dialog.findChild<QLineEdit*>())
        field->setMinimumWidth(dialog.fontMetrics().horizontalAdvance(title) + 5 * bar);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    password = dialog.textValue();
    return true;
}

void QtAppControl::endProgram()
{
    AppControl::endProgram();
    QCoreApplication::exit(0);
}

void QtAppControl::setBusy(bool busy)
{
    AppControl::setBusy(busy);
    if (busy)
        QGuiApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
    else
        QGuiApplication::restoreOverrideCursor();
}

void useItalian()
{
    useItalianLocale();
    const QString folder = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
    for (const char* name : {"qtbase_it"}) {
        auto* translator = new QTranslator(QCoreApplication::instance());
        if (translator->load(QLatin1String(name), folder))
            QCoreApplication::installTranslator(translator);
        else
            delete translator;
    }
}

} // namespace vx
