#include "gui/ProgramEnd.h"

#include <QApplication>
#include <QDialog>
#include <QWidget>

namespace ProgramEnd {

void onSignal(QWidget& mainWindow) {
    // A modal dialog runs its own event loop; hiding it lets that loop end, so the close below
    // is not refused for a window that is still blocked.
    for (int guard = 0; guard < 16; ++guard) {
        QWidget* modal = QApplication::activeModalWidget();
        if (modal == nullptr || modal == &mainWindow)
            break;
        if (auto* dialog = qobject_cast<QDialog*>(modal))
            dialog->reject();
        modal->hide();
    }
    mainWindow.close();
    // Leaves the main loop and any nested one still running, even if the window stays open.
    QCoreApplication::exit(0);
}

} // namespace ProgramEnd
