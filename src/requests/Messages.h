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

// The loading of the selected Request, as its failures name it.
QString salvaVarIniRoutine();

// The screens.
QString selectionCaption();
QString operatorList();
QString provinceList();
QString gridHeader(int column);
QString selectCaption();
QString selectTooltip();
QString insertCaption();
QString deleteCaption();
QString cancelCaption();
QString stopCaption();
QString stopTooltip();
QString waitPanel();
QString numberRequestCaption();
QString numberRequestText();
QString alternativeCaption();
QString openInBrowser();
QString confirmCaption();
QString addressLabel();
QString answerInstruction();
QString exampleLabel();
QString exampleAnswer();

// The caption of the selected Request's frame and line ("Richiesta selezionata").
QString selectedRequest();
// The grid of the Requests, to a screen reader.
QString gridName();

} // namespace vx::msg::requests
