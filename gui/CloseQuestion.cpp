#include "gui/CloseQuestion.h"

#include "base/Guard.h"
#include "base/Prompts.h"
#include "base/TerminationSignals.h"
#include "files/SongFileActions.h"
#include "gui/MainWindow.h"
#include "song/SongHistory.h"

#include <QGuiApplication>

#include <atomic>

namespace {

std::atomic<bool> g_quiet{false};

} // namespace

CloseQuestion::CloseQuestion(TForm1& form, SongHistory& history)
    : QObject(&form), m_form(form), m_history(history) {
    // The desktop session ends: it waits for no one, and a question would hold it up.
    if (auto* app = qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        connectGuarded(app, &QGuiApplication::commitDataRequest, this, [] { setQuiet(true); });
}

QString CloseQuestion::questionText() {
    return QStringLiteral("Änderungen speichern?");
}

void CloseQuestion::setQuiet(bool quiet) {
    g_quiet = quiet;
}

bool CloseQuestion::isQuiet() {
    // A termination signal closes the window through the same path; it asks nothing either.
    return g_quiet || TerminationSignals::received();
}

bool CloseQuestion::mayClose() {
    return isQuiet() || mayReplaceSong();
}

bool CloseQuestion::mayReplaceSong() {
    if (!m_history.isModified())
        return true;
    switch (prompts().messageBox(questionText(), QStringLiteral("Z1rpW3rk"),
                                 Prompts::Icon::Question, Prompts::Buttons::YesNoCancel)) {
    case Prompts::Answer::No:
        return true;
    case Prompts::Answer::Yes:
        // Going on only once the song is safe: a cancelled dialog or a failed save keeps it.
        if (!guarded([this] { m_form.songFiles->Speichern1Click(); }))
            return false;
        return !m_history.isModified();
    default:
        return false;
    }
}
