#include "gui/AudioExportMenu.h"

#include "base/Guard.h"
#include "gui/MainWindow.h"
#include "song/NoteTable.h"

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QProgressDialog>

namespace {

class ProgressDialog final : public ExportProgress {
public:
    explicit ProgressDialog(QWidget* owner)
        : m_dialog(QStringLiteral("Exportiere Audio..."), QStringLiteral("Abbrechen"), 0, 1000,
                   owner) {
        m_dialog.setObjectName(QStringLiteral("AudioExportProgress"));
        m_dialog.setWindowTitle(QStringLiteral("Z1rpW3rk"));
        m_dialog.setWindowModality(Qt::WindowModal);
        m_dialog.setMinimumDuration(300);
        m_sinceEvents.start();
    }

    bool step(std::uint64_t done, std::uint64_t total) override {
        // Events are let through every 50 ms: often enough for the cancel button, rarely
        // enough to cost nothing.
        if (m_sinceEvents.elapsed() >= 50) {
            m_dialog.setValue(total ? int(done * 1000 / total) : 0);
            QApplication::processEvents();
            m_sinceEvents.restart();
        }
        return !m_dialog.wasCanceled();
    }

private:
    QProgressDialog m_dialog;
    QElapsedTimer m_sinceEvents;
};

} // namespace

AudioExportMenu::AudioExportMenu(TForm1& form) : QObject(&form), m_form(form) {}

void AudioExportMenu::connectItem(QAction* item, AudioExport& exporter) {
    connectGuarded(item, &QAction::triggered, &exporter, [&exporter] { exporter.exportClick(); });
}

const NoteTable* AudioExportMenu::noteTable() const {
    // The stored table, as the note table window shows it.
    return &NoteTable::stored();
}

std::unique_ptr<ExportProgress> AudioExportMenu::exportProgress() {
    return std::make_unique<ProgressDialog>(&m_form);
}
