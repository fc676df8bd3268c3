#include "gui/SidePanels.h"

#include "base/Guard.h"
#include "gui/MainWindow.h"
#include "gui/PanelCloseLabel.h"

#include <QAction>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QStyle>
#include <QStyleOptionFrame>

#include <algorithm>

namespace SidePanels {

namespace {
constexpr int kTop = 8;
constexpr int kWidth = 193;
constexpr int kCloseLeft = 184;
} // namespace

QGroupBox* create(TForm1& main, const QString& name, const QString& caption, int height) {
    auto* panel = new QGroupBox(caption, main.centralWidget());
    panel->setObjectName(name);
    // Only the caption is bold: the controls inside get the plain font back.
    QFont plain = panel->font();
    plain.setBold(false); // explicitly, so that it is not inherited from the bold caption
    QFont bold = plain;
    bold.setBold(true);
    panel->setFont(bold);
    panel->setProperty("plainFont", plain);
    panel->setGeometry(TForm1::kSidePanelLeft, kTop, kWidth, height);
    panel->hide();
    return panel;
}

PanelCloseLabel* closeLabel(QGroupBox* panel, const QString& name) {
    auto* x = new PanelCloseLabel(panel);
    x->setObjectName(name);
    x->move(kCloseLeft, 0);
    return x;
}

QLineEdit* field(QGroupBox* panel, const QString& name, const QString& text, int left, int top,
                 int width, const QString& caption, int captionLeft, const QString& captionName) {
    const QFont plain = panel->property("plainFont").value<QFont>();
    auto* edit = new QLineEdit(text, panel);
    edit->setObjectName(name);
    edit->setFont(plain);
    edit->setGeometry(left, top, width, 21);
    auto* label = new QLabel(caption, panel);
    label->setObjectName(captionName);
    label->setFont(plain);
    label->adjustSize();
    // The captions were laid out for a narrower type; a smaller size keeps a long one inside.
    for (QFont smaller = plain;
         captionLeft + label->width() > kWidth - 4 && smaller.pointSizeF() > 6.0;) {
        smaller.setPointSizeF(smaller.pointSizeF() - 0.5);
        label->setFont(smaller);
        label->adjustSize();
    }
    label->move(captionLeft, top + (21 - label->height()) / 2);
    return edit;
}

namespace {

constexpr double kSmallestPoints = 6.0;
constexpr int kCaptionGap = 2;

// Room for text inside an edit: its contents less the two pixels it keeps on either side.
int textRoom(const QLineEdit* edit) {
    QStyleOptionFrame option;
    option.initFrom(edit);
    option.rect = edit->rect();
    option.lineWidth =
        edit->hasFrame() ? edit->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &option, edit)
                         : 0;
    const QRect contents = edit->style()->subElementRect(QStyle::SE_LineEditContents, &option, edit);
    return contents.width() - edit->textMargins().left() - edit->textMargins().right() - 4;
}

// The right end of a caption's ink, in the panel's coordinates.
int inkRight(const QLabel* label) {
    const QRect ink = label->fontMetrics().tightBoundingRect(label->text());
    return label->x() + label->contentsRect().left() + ink.right();
}

// Where a caption must end: before the first control to its right at its height.
int captionLimit(const QGroupBox* panel, const QLabel* label) {
    int limit = panel->width() - 4;
    for (const QWidget* other : panel->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        if (other == label || qobject_cast<const QLabel*>(other) || other->x() <= label->x())
            continue;
        if (other->y() < label->y() + label->height() && label->y() < other->y() + other->height())
            limit = std::min(limit, other->x() - kCaptionGap);
    }
    return limit;
}

template <typename Fits>
void shrinkUntil(QWidget* widget, Fits fits) {
    for (QFont smaller = widget->font(); !fits() && smaller.pointSizeF() > kSmallestPoints;) {
        smaller.setPointSizeF(smaller.pointSizeF() - 0.5);
        widget->setFont(smaller);
    }
}

} // namespace

void fitTexts(QGroupBox* panel) {
    // The places were laid out for a narrower type than the desktop's usual one.
    for (QLineEdit* edit : panel->findChildren<QLineEdit*>(Qt::FindDirectChildrenOnly))
        shrinkUntil(edit, [edit] {
            return edit->fontMetrics().horizontalAdvance(edit->text()) <= textRoom(edit);
        });
    for (QLabel* label : panel->findChildren<QLabel*>(Qt::FindDirectChildrenOnly)) {
        if (qobject_cast<PanelCloseLabel*>(label) || label->text().isEmpty())
            continue;
        const int top = label->y() + label->height() / 2;
        shrinkUntil(label, [panel, label, top] {
            label->adjustSize();
            label->move(label->x(), top - label->height() / 2);
            return inkRight(label) <= captionLimit(panel, label);
        });
    }
}

void onMenuClick(QAction* item, QObject* context, std::function<void()> handler) {
    QObject::connect(item, &QAction::triggered, context,
                     [item, handler = std::move(handler)](bool checked) {
                         if (item->isCheckable())
                             item->setChecked(!checked);
                         guarded(handler);
                     });
}

} // namespace SidePanels
