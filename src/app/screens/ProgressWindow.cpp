#include "app/screens/ProgressWindow.h"

#include "app/Messages.h"

#include <QCoreApplication>
#include <QFormLayout>
#include <QLabel>
#include <QProgressBar>
#include <QVBoxLayout>

namespace vx {

namespace {
QLabel* named(const char* name, QWidget* parent)
{
    auto* label = new QLabel(parent);
    label->setObjectName(QLatin1String(name));
    return label;
}
} // namespace

ProgressWindow::ProgressWindow(QWidget* parent) : QWidget(parent, Qt::Window)
{
    setObjectName(QStringLiteral("Avvio"));
    setWindowTitle(msg::app::progressCaption());
    m_title = named("lblTitolo", this);
    QFont f = m_title->font();
    f.setBold(true);
    f.setPointSize(f.pointSize() + 4);
    m_title->setFont(f);
    m_wait = named("Label4", this);
    m_file = named("lblFile", this);
    m_table = named("lblTabe", this);
    m_records = named("lblNRec", this);
    auto* form = new QFormLayout;
    form->addRow(msg::app::text(msg::app::Text::FileLabel), m_file);
    form->addRow(msg::app::text(msg::app::Text::TableLabel), m_table);
    form->addRow(msg::app::text(msg::app::Text::RecordsLabel), m_records);
    m_bar = new QProgressBar(this);
    m_bar->setObjectName(QStringLiteral("prbAvanzamento"));
    m_bar->setRange(0, 0);
    m_bar->setTextVisible(false);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_title);
    layout->addWidget(m_wait);
    layout->addLayout(form);
    layout->addWidget(m_bar);
    resize(420, 200);
}

void ProgressWindow::showStep(const QString& title, const QString& wait)
{
    m_title->setText(title);
    m_wait->setText(wait);
    // A new step starts with nothing loaded yet.
    m_file->clear();
    m_table->clear();
    m_records->clear();
    m_bar->setRange(0, 0);
    show();
    QCoreApplication::processEvents();
}

void ProgressWindow::showProgress(const QString& file, const QString& table, qint64 records, int step, int steps)
{
    if (steps > 0) {
        m_bar->setRange(0, steps);
        m_bar->setValue(qBound(0, step, steps));
    } else {
        m_bar->setRange(0, 0); // moving, with no end known
    }
    if (!file.isEmpty()) // the rows of a table report without their file
        m_file->setText(file);
    m_table->setText(table);
    m_records->setText(QString::number(records));
    QCoreApplication::processEvents();
}

} // namespace vx
