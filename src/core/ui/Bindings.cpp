#include "core/ui/Bindings.h"

#include <QAction>
#include <QCheckBox>
#include <QColor>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QKeyEvent>
#include <QMouseEvent>

#include "core/LogList.h"
#include "core/TextFormats.h"

namespace bind {
namespace {

// Runs its action on one kind of event (of one key, for key presses). A
// close goes on to the window, which accepts it; any other event is taken.
class ActionFilter : public QObject {
public:
    ActionFilter(QEvent::Type type, int key, std::function<void()> action, QObject *parent)
        : QObject(parent), m_type(type), m_key(key), m_action(std::move(action)) {}

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() != m_type || (m_type == QEvent::KeyPress && static_cast<QKeyEvent *>(event)->key() != m_key))
            return QObject::eventFilter(watched, event);
        m_action();
        return m_type != QEvent::Close;
    }

private:
    QEvent::Type m_type;
    int m_key;
    std::function<void()> m_action;
};

} // namespace

void onDoubleClick(QWidget *widget, std::function<void()> action)
{
    widget->installEventFilter(new ActionFilter(QEvent::MouseButtonDblClick, 0, std::move(action), widget));
}

void onKey(QWidget *widget, int key, std::function<void()> action)
{
    widget->installEventFilter(new ActionFilter(QEvent::KeyPress, key, std::move(action), widget));
}

void onClose(QWidget *window, std::function<void()> action)
{
    window->installEventFilter(new ActionFilter(QEvent::Close, 0, std::move(action), window));
}

QListView *listBox(LogList &list, const QString &name, QWidget *parent)
{
    auto *view = new QListView(parent);
    view->setObjectName(name);
    view->setUniformItemSizes(true);
    view->setModel(&list);
    view->setSelectionMode(QAbstractItemView::SingleSelection);
    QObject::connect(&list, &LogList::selectionChanged, view, [view, &list](int row) {
        const QModelIndex index = list.index(row);
        view->setCurrentIndex(index);
        view->scrollTo(index);
    });
    QObject::connect(view, &QListView::clicked, &list, [&list](const QModelIndex &index) { list.setSelection(index.row()); });
    return view;
}

QColor colourOf(Colour colour)
{
    switch (colour) {
    case Colour::Red:
        return Qt::red;
    case Colour::Blue:
        return Qt::blue;
    case Colour::Magenta:
        return Qt::magenta;
    case Colour::Yellow:
        return Qt::yellow;
    case Colour::White:
        return Qt::white;
    case Colour::Green:
        return Qt::green;
    case Colour::Black:
        return Qt::black;
    case Colour::LightBlue:
        return QColor(0x80, 0x80, 0xFF);
    }
    return Qt::gray;
}

void label(QLabel *widget, TextValue &value)
{
    widget->setText(value.text());
    widget->setToolTip(value.toolTip());
    QObject::connect(&value, &TextValue::textChanged, widget, &QLabel::setText);
    QObject::connect(&value, &TextValue::toolTipChanged, widget, &QLabel::setToolTip);
}

QLabel *label(TextValue &value, QWidget *parent)
{
    auto *widget = new QLabel(parent);
    label(widget, value);
    return widget;
}

QString plain(const CountValue &value)
{
    return QString::number(value.value());
}

QString grouped(const CountValue &value)
{
    return value.isSet() ? textformats::groupedCount(value.value()) : QStringLiteral("0");
}

QString clock(const CountValue &value)
{
    return value.isSet() ? textformats::elapsedClock(value.value()) : QStringLiteral("0");
}

QLabel *label(CountValue &value, Shown shown, QWidget *parent)
{
    auto *widget = new QLabel(shown(value), parent);
    QObject::connect(&value, &CountValue::changed, widget, [widget, &value, shown] { widget->setText(shown(value)); });
    return widget;
}

void toolTip(QWidget *widget, CountValue &value)
{
    const auto show = [widget, &value] { widget->setToolTip(value.isSet() ? QString::number(value.value()) : QString()); };
    show();
    QObject::connect(&value, &CountValue::changed, widget, show);
}

QLineEdit *lineEdit(TextValue &value, QWidget *parent)
{
    auto *widget = new QLineEdit(value.text(), parent);
    QObject::connect(&value, &TextValue::textChanged, widget, [widget](const QString &text) {
        if (widget->text() != text)
            widget->setText(text);
    });
    QObject::connect(widget, &QLineEdit::textEdited, &value, &TextValue::setText);
    return widget;
}

QCheckBox *checkBox(const QString &caption, FlagValue &value, QWidget *parent)
{
    auto *widget = new QCheckBox(caption, parent);
    widget->setChecked(value.value());
    QObject::connect(&value, &FlagValue::changed, widget, &QCheckBox::setChecked);
    QObject::connect(widget, &QCheckBox::toggled, &value, &FlagValue::set);
    return widget;
}

QFrame *led(ColourValue &value, QWidget *parent)
{
    auto *widget = new QFrame(parent);
    widget->setFixedSize(14, 14);
    widget->setFrameShape(QFrame::Box);
    widget->setAutoFillBackground(true);
    const auto paint = [widget](Colour colour) {
        QPalette p = widget->palette();
        p.setColor(QPalette::Window, colourOf(colour));
        widget->setPalette(p);
    };
    paint(value.value());
    QObject::connect(&value, &ColourValue::changed, widget, paint);
    return widget;
}

void enabled(QWidget *widget, FlagValue &value)
{
    widget->setEnabled(value.value());
    QObject::connect(&value, &FlagValue::changed, widget, &QWidget::setEnabled);
}

void enabled(QAction *action, FlagValue &value)
{
    action->setEnabled(value.value());
    QObject::connect(&value, &FlagValue::changed, action, &QAction::setEnabled);
}

void visible(QWidget *widget, FlagValue &value)
{
    widget->setVisible(value.value());
    QObject::connect(&value, &FlagValue::changed, widget, &QWidget::setVisible);
}

QLabel *caption(const QString &text, QWidget *parent, const QString &toolTip)
{
    auto *widget = new QLabel(text, parent);
    widget->setToolTip(toolTip);
    return widget;
}

} // namespace bind
