#pragma once
// What the Request selection and creation tell the user: every message, title and caption, once.
// Code shows them from here and tests name the one they expect; the letters are the ones the
// program has always shown.

#include "core/Prompter.h"

#include <QString>

namespace vx::msg::requests {

// Yes/no values as the grid and the listings show them.
QString yesNo(bool value);

// The fixed messages: a text, its title, icon and buttons.
enum class Notice {
    // Select and cancel.
    NoRequestInGrid,
    NoRequestHighlighted,
    SelectOrEnd,
    // Delete.
    NothingToDelete,
    NothingHighlightedToDelete,
    DeletingTheSelected,
    Interrupted,
    Inserted,
    EmailNeeded,
    CannotContinue,
};
Message notice(Notice id);

// Delete.
Message confirmDelete(qint32 number);
Message printedCannotBeDeleted();
QString deleteOperation();

// Create.
Message notAssociated(const QString& group, qint32 code);
Message noNumber(const QString& server);
Message numberHeldAlready(qint32 number, const QString& server);
Message retryConnection(const QString& server, const QString& service);
Message noAuthorisation(const QString& server, const QString& certificatesPage);
QString insertOperation();

// The fixed texts: captions, titles, labels and lines written as they are.
enum class Text {
    // The loading of the selected Request, as its failures name it.
    SalvaVarIniRoutine,
    // The screens.
    SelectionCaption,
    OperatorList,
    ProvinceList,
    SelectCaption,
    SelectTooltip,
    InsertCaption,
    DeleteCaption,
    StopTooltip,
    WaitPanel,
    NumberRequestCaption,
    NumberRequestText,
    AlternativeCaption,
    OpenInBrowser,
    AddressLabel,
    AnswerInstruction,
    ExampleLabel,
    ExampleAnswer,
    // The caption of the selected Request's frame and line ("Richiesta selezionata").
    SelectedRequest,
    // The grid of the Requests, to a screen reader.
    GridName,
    // Titles.
    DeleteTitle,
    Error,
    SelectTitle,
    // The Request's province, where a Request is shown.
    ProvinceLabel,
};
QString text(Text id);

// The screens.
QString gridHeader(int column);

} // namespace vx::msg::requests
