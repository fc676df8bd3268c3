#pragma once

#include <QString>

#include <functional>

class PanelCloseLabel;
class QAction;
class QGroupBox;
class QLineEdit;
class QObject;
class TForm1;

/// Helpers for the tool panels in the main window's side area.
namespace SidePanels {

/// A hidden group box with a bold caption at the side area's place, of the given height.
QGroupBox* create(TForm1& main, const QString& name, const QString& caption, int height);
/// The "X" in the panel's top right corner.
PanelCloseLabel* closeLabel(QGroupBox* panel, const QString& name);
/// An edit of a panel with its caption label (named `captionName`) to the right, at the same
/// height.
QLineEdit* field(QGroupBox* panel, const QString& name, const QString& text, int left, int top,
                 int width, const QString& caption, int captionLeft, const QString& captionName);
/// Makes the texts of a finished panel fit at the font in use: a field whose text does not fit
/// gets a smaller type, and so does a caption that would reach the control to its right.
void fitTexts(QGroupBox* panel);
/// Runs `handler` (inside the guard) when the checkable menu item is chosen. The toolkit has
/// already flipped the check mark by then; it is put back first, so that the handler sees the
/// mark as it was and sets it itself.
void onMenuClick(QAction* item, QObject* context, std::function<void()> handler);

} // namespace SidePanels
