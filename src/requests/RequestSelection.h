#pragma once
// The Request selection: the operator and province lists, the operator's Requests, and the
// select, cancel and delete commands. Creation is RequestCreation's.

#include "core/Context.h"
#include "core/Prompter.h"
#include "store/Lookups.h"

#include <QList>
#include <QString>

namespace vx {

struct ProvinceEntry {
    QString code;
    QString abbreviation;
    QString name;

    // code + " - " + abbreviation + " - " + name
    QString display() const;
    bool operator==(const ProvinceEntry&) const = default;
};

struct RequestRow {
    qint32 number = 0;
    int runningNumber = 0;
    bool printed = false;
    bool transmitted = false;

    bool operator==(const RequestRow&) const = default;
};

class RequestSelection {
public:
    explicit RequestSelection(Context& context) : m_ctx(context) {}

    QList<OperatorEntry> operators() const;
    QList<ProvinceEntry> provinces() const;
    // The entries to show at opening: the selected Request's, or the first (-1 when the list is empty).
    int initialOperator(const QList<OperatorEntry>& list) const;
    int initialProvince(const QList<ProvinceEntry>& list) const;
    QList<RequestRow> requests(const OperatorEntry& op, const QString& province) const;
    // The row to highlight after a refresh: the selected Request's, or -1.
    int rowOfSelected(const QList<RequestRow>& rows) const;

    // Select: true when the screen closes. `current` is the highlighted row, -1 for none.
    bool select(const QList<RequestRow>& rows, int current);
    // Cancel: true when the screen closes (with no Request selected, the main screen then ends the program).
    bool cancel();
    // Delete: true when a Request was deleted; `rows` is then the refreshed grid.
    bool deleteRequest(QList<RequestRow>& rows, int current, const OperatorEntry& op, const QString& province);

private:
    Context& m_ctx;
};

} // namespace vx
