#pragma once
// The start-up progress window: the step in progress and, while tables load, the file, the table
// and the record count.

#include <QWidget>

class QLabel;

namespace vx {

class Avvio : public QWidget {
    Q_OBJECT
public:
    explicit Avvio(QWidget* parent = nullptr);

    void showStep(const QString& title, const QString& wait);
    void showProgress(const QString& file, const QString& table, qint64 records);

private:
    QLabel* m_title;
    QLabel* m_wait;
    QLabel* m_file;
    QLabel* m_table;
    QLabel* m_records;
};

} // namespace vx
