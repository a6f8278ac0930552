#pragma once
// The Request selection screen: the operator and province, that operator's Requests, and the
// commands to select, create and delete one.
//
// While a creation runs, "Interrompi", Escape and the close box stop the server call in progress
// and nothing else: the screen stays, so that what the creation ends with is seen here. The
// wait panel and the disabled commands of a delete follow the hourglass of RequestSelection, so
// they appear only once the user has answered its questions.
// The old program's form: Seldoma.

#include "core/AppControl.h"
#include "core/Context.h"
#include "requests/RequestCreation.h"
#include "requests/RequestSelection.h"

#include <QDialog>

#include <memory>

class QComboBox;
class QLabel;
class QStandardItemModel;
class QTableView;
class QWidget;

namespace vx {

class Exchange;
class RequestNumberWindow;

class RequestSelectionScreen : public QDialog, private CreationScreens {
    Q_OBJECT
public:
    explicit RequestSelectionScreen(Context& context, QWidget* parent = nullptr);
    ~RequestSelectionScreen() override;

    void confirm();         // cmdConfer and a double click on the grid
    void insertRequest();   // cmdInserisci
    void deleteRequest();   // cmdElimina
    void reject() override; // cmdAnnul, Escape and the close box

    QList<RequestRow> rows() const { return m_rows; }
    void setCurrentRow(int row);

private:
    class WaitControl;

    void operatorChosen();
    void refreshGrid();
    int currentRow() const;
    void setWaiting(bool waiting);

    void showProgress(const QString& text) override;
    bool askEmail() override;
    QString alternativeIdentity(const QUrl& loginPage) override;
    qint32 runNumberRequest(const std::function<qint32()>& request) override;

    Context& m_ctx;
    std::unique_ptr<WaitControl> m_waitControl;
    Context m_selectionContext; // m_ctx, with the hourglass that also shows the wait panel
    RequestSelection m_selection;
    Exchange* m_exchange;
    QList<OperatorEntry> m_operators;
    QList<ProvinceEntry> m_provinces;
    QList<RequestRow> m_rows;
    QComboBox* m_operator;
    QComboBox* m_province;
    QTableView* m_grid;
    QStandardItemModel* m_model;
    QWidget* m_waitPanel;
    QLabel* m_progress;
    RequestNumberWindow* m_numberWindow = nullptr;
    bool m_creating = false;
};

} // namespace vx
