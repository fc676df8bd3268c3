#include "tools/SidePanels.h"

#include "base/Guard.h"
#include "song/MainWindow.h"
#include "tools/PanelCloseLabel.h"

#include <QAction>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>

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

void onMenuClick(QAction* item, QObject* context, std::function<void()> handler) {
    QObject::connect(item, &QAction::triggered, context,
                     [item, handler = std::move(handler)](bool checked) {
                         if (item->isCheckable())
                             item->setChecked(!checked);
                         guarded(handler);
                     });
}

} // namespace SidePanels
