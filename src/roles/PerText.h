#pragma once
// Work on a long text done once per distinct text. A workbook names one shared string from any
// number of cells, and a repeated row is one row in memory: such texts are one string, known by
// the address and length of its characters, so a check on a long text costs once per file, not
// once per cell. Short texts are cheaper to work on than to look up, and are never kept.
//
// A key stays true only while the texts it was taken from live unchanged: keep a PerText no longer
// than the rows it was used on.

#include <QHash>
#include <QPair>
#include <QStringView>

namespace vx {

template <class V>
class PerText {
public:
    static constexpr qsizetype kLong = 64;

    template <class F>
    V of(QStringView text, F compute)
    {
        if (text.size() < kLong)
            return compute(text);
        const Key key(quintptr(text.data()), text.size());
        auto it = m_done.constFind(key);
        if (it == m_done.constEnd())
            it = m_done.insert(key, compute(text));
        return *it;
    }

private:
    using Key = QPair<quintptr, qsizetype>;
    QHash<Key, V> m_done;
};

} // namespace vx
