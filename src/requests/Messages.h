#pragma once
// What the Request selection and creation tell the user: every message, title and caption, once.
// Code shows them from here and tests name the one they expect; the letters are the ones the
// program has always shown.

#include "core/Prompter.h"

#include <QString>

namespace vx::msg::requests {

// Yes/no values as the grid and the listings show them.
QString yesNo(bool value);

// Select and cancel.
Message noRequestInGrid();
Message noRequestHighlighted();
Message selectOrEnd();

// Delete.
Message nothingToDelete();
Message nothingHighlightedToDelete();
Message confirmDelete(qint32 number);
Message printedCannotBeDeleted();
Message deletingTheSelected();
QString deleteOperation();

// Create.
Message notAssociated(const QString& group, qint32 code);
Message interrupted();
Message noNumber(const QString& server);
Message inserted();
Message numberHeldAlready(qint32 number, const QString& server);
Message emailNeeded();
Message cannotContinue();
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
    StopCaption,
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
};
QString text(Text id);

// The screens.
QString gridHeader(int column);

} // namespace vx::msg::requests
