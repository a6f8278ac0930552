#pragma once
// The frame window that holds the main screen. Closing it is the orderly end of the program.

#include "app/Context.h"

#include <QMainWindow>

class QMdiArea;

namespace vx {

class MDI_Main : public QMainWindow {
    Q_OBJECT
public:
    static inline const QString kCaption = QStringLiteral("Richiesta Profilazione Ruoli per Gestione Percorsi Formativi");

    explicit MDI_Main(Context& context, QWidget* parent = nullptr);

    QMdiArea* area() const { return m_area; }
    void openOptions();

Q_SIGNALS:
    // Emitted once, when the window first becomes active.
    void firstActivated();

protected:
    bool event(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    Context& m_ctx;
    QMdiArea* m_area;
    bool m_activated = false;
    bool m_ended = false;
};

} // namespace vx
