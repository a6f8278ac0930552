#include "ui/WindowKeys.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAbstractSpinBox>
#include <QApplication>
#include <QBoxLayout>
#include <QComboBox>
#include <QEvent>
#include <QFileDialog>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHash>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenuBar>
#include <QScrollArea>
#include <QSet>
#include <QStackedWidget>
#include <QStatusBar>
#include <QTabBar>
#include <QTabWidget>
#include <QTextDocument>
#include <QVariant>

#include <algorithm>
#include <functional>
#include <tuple>

namespace vx {

namespace {

// The properties this filter keeps on widgets.
constexpr const char* kArranged = "vxKeysArranged"; // a window: arranged once shown
constexpr const char* kDue = "vxKeysDue";           // a window: to be arranged again
constexpr const char* kMarked = "vxKeysMarked";     // a control: the text as marked here
constexpr const char* kPlain = "vxKeysPlain";       // a control: the same without the mark

// Controls whose inner widgets are theirs (a combo box's list, a table's viewport): the walk
// does not go into them.
bool isControl(const QWidget* w)
{
    return qobject_cast<const QAbstractButton*>(w) || qobject_cast<const QComboBox*>(w) ||
           qobject_cast<const QAbstractSpinBox*>(w) || qobject_cast<const QLineEdit*>(w) ||
           qobject_cast<const QTabBar*>(w) || qobject_cast<const QLabel*>(w) ||
           (qobject_cast<const QAbstractScrollArea*>(w) && !qobject_cast<const QScrollArea*>(w)) ||
           (w->focusPolicy() != Qt::NoFocus && !qobject_cast<const QScrollArea*>(w) &&
            !qobject_cast<const QTabWidget*>(w) && !qobject_cast<const QGroupBox*>(w));
}

class Walk {
public:
    void widget(QWidget* w)
    {
        if (!w || w->isWindow() || m_seen.contains(w))
            return;
        m_seen.insert(w);
        m_order.append(w);
        if (!isControl(w))
            content(w);
    }

    void content(QWidget* container)
    {
        if (auto* main = qobject_cast<QMainWindow*>(container)) {
            widget(main->centralWidget());
            if (main->statusBar())
                widget(main->statusBar());
        } else if (auto* scroll = qobject_cast<QScrollArea*>(container)) {
            widget(scroll->widget());
            return;
        } else if (auto* tabs = qobject_cast<QTabWidget*>(container)) {
            m_seen.insert(tabs->tabBar());
            for (int i = 0; i < tabs->count(); ++i)
                widget(tabs->widget(i));
        } else if (auto* stack = qobject_cast<QStackedWidget*>(container)) {
            for (int i = 0; i < stack->count(); ++i)
                widget(stack->widget(i));
        } else if (container->layout()) {
            layout(container->layout());
        }
        // What no layout places, by its place: top to bottom, then left to right.
        QList<QWidget*> rest;
        for (QWidget* child : container->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
            if (!child->isWindow() && !m_seen.contains(child))
                rest.append(child);
        std::stable_sort(rest.begin(), rest.end(), [](const QWidget* a, const QWidget* b) {
            return std::make_tuple(a->y(), a->x()) < std::make_tuple(b->y(), b->x());
        });
        for (QWidget* child : rest)
            widget(child);
    }

    void layout(QLayout* l)
    {
        QList<std::tuple<int, int, int>> places; // (row, column, index)
        for (int i = 0; i < l->count(); ++i) {
            int row = 0, column = i;
            if (auto* grid = qobject_cast<QGridLayout*>(l)) {
                int rowSpan = 0, columnSpan = 0;
                grid->getItemPosition(i, &row, &column, &rowSpan, &columnSpan);
            } else if (auto* form = qobject_cast<QFormLayout*>(l)) {
                QFormLayout::ItemRole role = QFormLayout::LabelRole;
                form->getItemPosition(i, &row, &role);
                column = int(role);
            } else if (auto* box = qobject_cast<QBoxLayout*>(l)) {
                const auto d = box->direction();
                if (d == QBoxLayout::RightToLeft || d == QBoxLayout::BottomToTop)
                    column = l->count() - 1 - i;
            }
            places.append({row, column, i});
        }
        std::sort(places.begin(), places.end());
        for (const auto& [row, column, index] : places) {
            QLayoutItem* item = l->itemAt(index);
            if (QWidget* w = item->widget())
                widget(w);
            else if (QLayout* inner = item->layout())
                layout(inner);
        }
    }

    QList<QWidget*> order() const { return m_order; }

private:
    QSet<QWidget*> m_seen;
    QList<QWidget*> m_order;
};

// The program's own windows; Qt's dialogs (files, messages, input) keep the order Qt gave them.
bool isProgramWindow(const QWidget* window)
{
    return QLatin1String(window->metaObject()->className()).startsWith(QLatin1String("vx::"));
}

// The letter a text's "&" marks, or a null QChar.
QChar letterOf(const QString& text)
{
    for (qsizetype i = 0; i + 1 < text.size(); ++i) {
        if (text[i] != QLatin1Char('&'))
            continue;
        if (text[i + 1] != QLatin1Char('&'))
            return text[i + 1].toLower();
        ++i; // "&&" is an ampersand
    }
    return QChar();
}

bool hasAmpersand(const QString& text)
{
    return text.contains(QLatin1Char('&'));
}

// A text with a mark, its setter: a command, a tab, a field's label.
struct Marked {
    QString text;
    std::function<void(const QString&)> set;
    int rank = 0; // 0 a command, 1 a tab, 2 a field's label, 3 a choice (its group's arrows reach it too)
};

} // namespace

namespace {

// The places of `caption` a letter may be marked at, the better first: a word's first letter,
// then any other; a letter or digit a keyboard types without a dead key.
QList<qsizetype> markPlaces(const QString& caption)
{
    const auto usable = [](QChar c) {
        const char l = c.toLower().toLatin1();
        return (l >= 'a' && l <= 'z') || (l >= '0' && l <= '9');
    };
    QList<qsizetype> starts, others;
    QString seen;
    for (qsizetype i = 0; i < caption.size(); ++i) {
        const QChar c = caption[i];
        if (!usable(c))
            continue;
        if (i == 0 || !caption[i - 1].isLetterOrNumber())
            starts.append(i);
        else
            others.append(i);
    }
    QList<qsizetype> places;
    for (qsizetype i : starts + others) {
        if (seen.contains(caption[i].toLower()))
            continue;
        seen += caption[i].toLower();
        places.append(i);
    }
    return places;
}

} // namespace

QList<QWidget*> WindowKeys::shownOrder(QWidget* window)
{
    Walk walk;
    walk.content(window);
    return walk.order();
}

void WindowKeys::orderTabs(QWidget* window)
{
    QList<QWidget*> stops;
    for (QWidget* w : shownOrder(window))
        if (w->focusPolicy() & Qt::TabFocus)
            stops.append(w);
    if (stops.isEmpty())
        return;
    // From the window itself, so that the first control in the order is the one it starts at (Qt
    // orders only widgets that take the focus: the window does for this one step).
    const Qt::FocusPolicy policy = window->focusPolicy();
    window->setFocusPolicy(Qt::TabFocus);
    QWidget::setTabOrder(window, stops.first());
    window->setFocusPolicy(policy);
    for (qsizetype i = 1; i < stops.size(); ++i)
        QWidget::setTabOrder(stops[i - 1], stops[i]);
}

void WindowKeys::giveLetters(QWidget* window)
{
    QList<Marked> unmarked;
    QString taken;
    const auto consider = [&](const QString& text, std::function<void(const QString&)> set, int rank) {
        if (text.trimmed().isEmpty())
            return;
        if (hasAmpersand(text)) {
            if (const QChar l = letterOf(text); !l.isNull())
                taken += l;
            return;
        }
        unmarked.append({text, std::move(set), rank});
    };
    // A text this filter marked is its own to mark again (the window's shown controls changed);
    // a text the screen has set since is the screen's.
    const auto own = [window](QWidget* w, const QString& text, const std::function<void(const QString&)>& set) {
        QString plain = text;
        if (w->property(kMarked).toString() == text && !text.isEmpty())
            plain = w->property(kPlain).toString();
        w->setProperty(kMarked, QVariant());
        w->setProperty(kPlain, QVariant());
        if (plain != text)
            set(plain);
        // A hidden control gives its letter back until it shows.
        return w->isVisibleTo(window) ? plain : QString();
    };
    const auto setter = [](QWidget* w, std::function<void(const QString&)> set) {
        return [w, set = std::move(set)](const QString& marked) {
            w->setProperty(kPlain, QString(marked).remove(marked.indexOf(QLatin1Char('&')), 1));
            w->setProperty(kMarked, marked);
            set(marked);
        };
    };
    if (auto* main = qobject_cast<QMainWindow*>(window); main && main->menuBar())
        for (QAction* a : main->menuBar()->actions())
            consider(
                a->text(), [](const QString&) {}, 0);
    for (QWidget* w : shownOrder(window)) {
        if (auto* b = qobject_cast<QAbstractButton*>(w)) {
            const auto set = [b](const QString& t) { b->setText(t); };
            consider(own(b, b->text(), set), setter(b, set), b->isCheckable() ? 3 : 0);
        } else if (auto* l = qobject_cast<QLabel*>(w);
                   l && l->buddy() && l->textFormat() != Qt::RichText && !Qt::mightBeRichText(l->text())) {
            const auto set = [l](const QString& t) { l->setText(t); };
            consider(own(l, l->text(), set), setter(l, set), 2);
        } else if (auto* tabs = qobject_cast<QTabWidget*>(w)) {
            for (int i = 0; i < tabs->count(); ++i)
                consider(
                    tabs->tabText(i), [tabs, i](const QString& t) { tabs->setTabText(i, t); }, 1);
        }
    }
    // Commands first, then tabs, fields, choices; each in the order they show. A window with more
    // choices than letters leaves the last choices without one.
    std::stable_sort(unmarked.begin(), unmarked.end(),
                     [](const Marked& a, const Marked& b) { return a.rank < b.rank; });

    // A letter each, as many as can be: where every letter of a text is taken, one given before is
    // moved to another letter of its own text (a matching by augmenting paths; windows hold a few
    // dozen texts).
    QList<QList<qsizetype>> places;
    for (const Marked& m : unmarked) {
        QList<qsizetype> own;
        for (qsizetype i : markPlaces(m.text))
            if (!taken.contains(m.text[i].toLower()))
                own.append(i);
        places.append(own);
    }
    QHash<QChar, qsizetype> owner;
    QList<qsizetype> chosen(unmarked.size(), -1);
    std::function<bool(qsizetype, QSet<QChar>&)> give = [&](qsizetype item, QSet<QChar>& visited) {
        for (qsizetype i : places[item]) {
            const QChar c = unmarked[item].text[i].toLower();
            if (visited.contains(c))
                continue;
            visited.insert(c);
            if (!owner.contains(c) || give(owner.value(c), visited)) {
                owner.insert(c, item);
                chosen[item] = i;
                return true;
            }
        }
        return false;
    };
    for (qsizetype item = 0; item < unmarked.size(); ++item) {
        bool free = false;
        for (qsizetype i : places[item]) {
            if (const QChar c = unmarked[item].text[i].toLower(); !owner.contains(c)) {
                owner.insert(c, item);
                chosen[item] = i;
                free = true;
                break;
            }
        }
        QSet<QChar> visited;
        if (!free)
            give(item, visited);
    }
    for (qsizetype item = 0; item < unmarked.size(); ++item)
        if (chosen[item] >= 0)
            unmarked[item].set(QString(unmarked[item].text).insert(chosen[item], QLatin1Char('&')));
}

void WindowKeys::arrange(QWidget* window)
{
    if (isProgramWindow(window))
        orderTabs(window);
    giveLetters(window);
}

bool WindowKeys::eventFilter(QObject* watched, QEvent* event)
{
    const QEvent::Type type = event->type();
    if ((type != QEvent::Show && type != QEvent::ShowToParent && type != QEvent::HideToParent) ||
        !watched->isWidgetType())
        return false;
    auto* widget = static_cast<QWidget*>(watched);
    if (type == QEvent::Show && widget->isWindow()) {
        if (widget->property(kArranged).toBool() || qobject_cast<QFileDialog*>(widget))
            return false;
        widget->setProperty(kArranged, true);
        arrange(widget);
        return false;
    }
    // A control shown or hidden in a window already arranged: arranged again once the change is
    // done (a screen shows and hides several at a time).
    QWidget* window = widget->window();
    if (widget->isWindow() || !window->property(kArranged).toBool() || window->property(kDue).toBool())
        return false;
    window->setProperty(kDue, true);
    QMetaObject::invokeMethod(
        window,
        [window] {
            window->setProperty(kDue, false);
            arrange(window);
        },
        Qt::QueuedConnection);
    return false;
}

void keyboardForEveryWindow()
{
    qApp->installEventFilter(new WindowKeys(qApp));
}

} // namespace vx
