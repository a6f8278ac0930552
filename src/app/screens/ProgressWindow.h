#pragma once
// The start-up progress window: the step in progress and, while tables load, the file, the table
// and the record count, with a bar that moves table by table (or, with no total known, shows
// that work goes on). The database update of the main screen shows its loads in it too.
// The old program's form: Avvio.

#include <QWidget>

class QLabel;
class QProgressBar;

namespace vx {

class ProgressWindow : public QWidget {
    Q_OBJECT
public:
    explicit ProgressWindow(QWidget* parent = nullptr);

    void showStep(const QString& title, const QString& wait);
    // `step` of `steps` when the work's length is known (the decode tables, counted by table).
    void showProgress(const QString& file, const QString& table, qint64 records, int step = -1, int steps = -1);

private:
    QLabel* m_title;
    QLabel* m_wait;
    QLabel* m_file;
    QLabel* m_table;
    QLabel* m_records;
    QProgressBar* m_bar;
};

} // namespace vx
