#pragma once
// The roles list of the selected Request.

#include "core/Context.h"
#include "roles/RoleList.h"

#include <QDialog>

class QPushButton;
class QTableView;

namespace vx {

class frmElencoSoggetti : public QDialog {
    Q_OBJECT
public:
    static constexpr int kHelpTopic = 6000;

    explicit frmElencoSoggetti(Context& context, QWidget* parent = nullptr);

    RolesModel* model() const { return m_model; }
    QTableView* grid() const { return m_grid; }
    void refresh();

    void insertRole(); // CmdInsPartner
    void modifyRole(); // CmdModPartner and a double click on the grid
    void deleteRole(); // CmdCancPartner

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void fitColumns();
    int currentRow() const;
    void openCard(RoleKey key);

    Context& m_ctx;
    RoleList m_list;
    RolesModel* m_model;
    QTableView* m_grid;
};

} // namespace vx
