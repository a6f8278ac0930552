#pragma once
// The roles list of the selected Request.
// The old program's form: frmElencoSoggetti.

#include "core/Context.h"
#include "roles/RoleList.h"

#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;
class QTableView;

namespace vx {

class RolesListScreen : public QDialog {
    Q_OBJECT
public:
    static constexpr int kHelpTopic = 6000;

    explicit RolesListScreen(Context& context, QWidget* parent = nullptr);

    RolesModel* model() const { return m_model; }
    QTableView* grid() const { return m_grid; }
    QLineEdit* search() const { return m_search; }
    void refresh();

    void insertRole(); // CmdInsPartner
    void modifyRole(); // CmdModPartner and a double click on the grid
    void deleteRole(); // CmdCancPartner

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void fitColumns();
    void showCount();
    // The highlighted row as a row of the model (whatever the sort and the search), -1 for none.
    int currentRow() const;
    void selectModelRow(int row);
    void openCard(RoleKey key);

    Context& m_ctx;
    RoleList m_list;
    RolesModel* m_model;
    RolesShown* m_shown;
    RolesFilter* m_filter;
    QTableView* m_grid;
    QLineEdit* m_search;
    QLabel* m_count;
};

} // namespace vx
