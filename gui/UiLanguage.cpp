#include "gui/UiLanguage.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QEvent>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPointer>
#include <QProgressBar>
#include <QRadioButton>
#include <QRegularExpression>
#include <QTabWidget>
#include <QTableWidget>

#include <algorithm>
#include <limits>

namespace {

UiLanguage::Lookup g_lookup = nullptr;
constexpr const char* kFitPending = "uiLanguageFitPending";

/// Translates each window as it is shown: windows built at start, dialogs made for one
/// question, message boxes and menus alike.
class ShowFilter final : public QObject {
public:
    ShowFilter() = default;
    Q_DISABLE_COPY_MOVE(ShowFilter)

    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Show && watched->isWidgetType()) {
            auto* widget = static_cast<QWidget*>(watched);
            if (widget->isWindow())
                UiLanguage::translate(*widget);
        }
        return false;
    }
};

QPointer<ShowFilter> g_filter;

template <typename Get, typename Set> bool replace(Get get, Set set) {
    const QString german = get();
    if (german.isEmpty())
        return false;
    const QString english = UiLanguage::text(german);
    if (english == german)
        return false;
    set(english);
    return true;
}

constexpr qreal kSmallestPoints = 6.5;
constexpr int kSmallestPixels = 9;

/// One step smaller type; false when the text is as small as it may get.
bool smaller(QWidget* widget) {
    QFont font = widget->font();
    if (font.pixelSize() > 0) {
        if (font.pixelSize() <= kSmallestPixels)
            return false;
        font.setPixelSize(font.pixelSize() - 1);
    } else {
        if (font.pointSizeF() <= kSmallestPoints)
            return false;
        font.setPointSizeF(font.pointSizeF() - 0.5);
    }
    widget->setFont(font);
    return true;
}

/// Where a caption must end: before the first control or caption to its right at its height,
/// or the edge of its parent.
int rightLimit(const QWidget* widget) {
    const QWidget* parent = widget->parentWidget();
    if (!parent)
        return std::numeric_limits<int>::max();
    int limit = parent->width() - 2;
    for (const QWidget* other : parent->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        const auto* label = qobject_cast<const QLabel*>(other);
        if (other == widget || other->isHidden() || other->x() <= widget->x() ||
            other->isWindow() || (label && label->text().isEmpty()))
            continue;
        // Level with the caption's middle: a control that only touches its margin is no
        // neighbour.
        const int middle = widget->y() + widget->height() / 2;
        if (other->y() <= middle && middle < other->y() + other->height())
            limit = std::min(limit, other->x() - 2);
    }
    return limit;
}

void fitLabel(QLabel* label) {
    if (label->wordWrap() || !label->pixmap().isNull() || label->text().isEmpty())
        return;
    const int middle = label->y() + label->height() / 2;
    const int right = label->x() + label->width();
    const bool alignedRight = label->alignment() & Qt::AlignRight;
    do {
        label->adjustSize();
        label->move(alignedRight ? right - label->width() : label->x(),
                    middle - label->height() / 2);
    } while (label->x() + label->width() > rightLimit(label) && smaller(label));
}

void fitButton(QAbstractButton* button) {
    if (qobject_cast<QCheckBox*>(button) || qobject_cast<QRadioButton*>(button)) {
        // Check boxes and radio buttons grow to their text where there is room, else shrink.
        const int room = rightLimit(button) - button->x();
        while (button->sizeHint().width() > room && smaller(button)) {
        }
        if (button->sizeHint().width() > button->width())
            button->resize(std::min(room, button->sizeHint().width()), button->height());
        return;
    }
    QString caption = button->text();
    caption.remove(QLatin1Char('&'));
    while (button->fontMetrics().horizontalAdvance(caption) + 8 > button->width() &&
           smaller(button)) {
    }
}

void translateAction(QAction* action) {
    replace([&] { return action->text(); }, [&](const QString& t) { action->setText(t); });
    replace([&] { return action->iconText(); }, [&](const QString& t) { action->setIconText(t); });
    replace([&] { return action->toolTip(); }, [&](const QString& t) { action->setToolTip(t); });
}

void translateWidget(QWidget* w) {
    replace([&] { return w->windowTitle(); }, [&](const QString& t) { w->setWindowTitle(t); });
    replace([&] { return w->toolTip(); }, [&](const QString& t) { w->setToolTip(t); });
    if (auto* label = qobject_cast<QLabel*>(w)) {
        if (replace([&] { return label->text(); }, [&](const QString& t) { label->setText(t); }))
            UiLanguage::fitText(*label);
    } else if (auto* button = qobject_cast<QAbstractButton*>(w)) {
        if (replace([&] { return button->text(); }, [&](const QString& t) { button->setText(t); }))
            UiLanguage::fitText(*button);
    }
    else if (auto* group = qobject_cast<QGroupBox*>(w))
        replace([&] { return group->title(); }, [&](const QString& t) { group->setTitle(t); });
    else if (auto* edit = qobject_cast<QLineEdit*>(w))
        replace([&] { return edit->placeholderText(); },
                [&](const QString& t) { edit->setPlaceholderText(t); });
    else if (auto* bar = qobject_cast<QProgressBar*>(w))
        replace([&] { return bar->format(); }, [&](const QString& t) { bar->setFormat(t); });
    else if (auto* menu = qobject_cast<QMenu*>(w))
        replace([&] { return menu->title(); }, [&](const QString& t) { menu->setTitle(t); });
    if (auto* grid = qobject_cast<QTableWidget*>(w)) {
        // A grid's first row is its caption row (the note table's); the rows below are data.
        for (int column = 0; column < grid->columnCount(); ++column)
            if (QTableWidgetItem* item = grid->item(0, column))
                replace([&] { return item->text(); },
                        [&](const QString& t) { item->setText(t); });
        // Note names in the first column: the German H is the English B.
        static const QRegularExpression germanB(QStringLiteral("^H(?=-\\d+$)"));
        for (int row = 1; row < grid->rowCount(); ++row)
            if (QTableWidgetItem* item = grid->item(row, 0); item && item->text().contains(germanB))
                item->setText(item->text().replace(germanB, QStringLiteral("B")));
    } else if (auto* tabs = qobject_cast<QTabWidget*>(w)) {
        for (int i = 0; i < tabs->count(); ++i)
            replace([&] { return tabs->tabText(i); },
                    [&](const QString& t) { tabs->setTabText(i, t); });
    } else if (auto* list = qobject_cast<QComboBox*>(w)) {
        // What the user typed into an editable list stays; the entry shown follows its item.
        const QString typed = list->currentText();
        const bool showsItem = list->currentIndex() >= 0 && typed == list->itemText(list->currentIndex());
        for (int i = 0; i < list->count(); ++i)
            replace([&] { return list->itemText(i); },
                    [&](const QString& t) { list->setItemText(i, t); });
        if (list->isEditable() && !showsItem)
            list->setEditText(typed);
    }
}

} // namespace

namespace UiLanguage {

void setEnglish(Lookup lookup) {
    g_lookup = lookup;
    if (lookup && !g_filter && QCoreApplication::instance()) {
        g_filter = new ShowFilter;
        g_filter->setParent(QCoreApplication::instance()); // ends with the application
        QCoreApplication::instance()->installEventFilter(g_filter);
    } else if (!lookup && g_filter) {
        QCoreApplication::instance()->removeEventFilter(g_filter);
        delete g_filter.data();
    }
}

bool isEnglish() {
    return g_lookup != nullptr;
}

QString text(const QString& german) {
    if (!g_lookup || german.isEmpty())
        return german;
    const QString english = g_lookup(german);
    return english.isEmpty() ? german : english;
}

void fitText(QWidget& control) {
    // Room is measured once the window has its size: until it is shown, the fit waits.
    if (!control.window()->isVisible()) {
        control.setProperty(kFitPending, true);
        return;
    }
    control.setProperty(kFitPending, QVariant());
    if (auto* label = qobject_cast<QLabel*>(&control))
        fitLabel(label);
    else if (auto* button = qobject_cast<QAbstractButton*>(&control))
        fitButton(button);
}

void translate(QWidget& root) {
    for (QWidget* child : root.findChildren<QWidget*>())
        if (child->property(kFitPending).toBool() && child->window()->isVisible())
            fitText(*child);
    if (!g_lookup)
        return;
    translateWidget(&root);
    for (QWidget* child : root.findChildren<QWidget*>())
        translateWidget(child);
    for (QAction* action : root.findChildren<QAction*>())
        translateAction(action);
    // Actions a widget shows without owning them (menu bars, menus built from shared actions).
    for (QWidget* child : root.findChildren<QWidget*>())
        for (QAction* action : child->actions())
            translateAction(action);
}

} // namespace UiLanguage
