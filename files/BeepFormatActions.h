#pragma once

#include "base/Prompts.h"

#include <QObject>

#include <optional>

class QAction;
class QMenu;
class TForm1;

/// The song as a ringtone text, a buzzer sketch and a beep script: "Import" → "RTTTL-Klingelton
/// (.rtttl / .txt)" and the three items at the end of "Exportieren".
class BeepFormatActions final : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(BeepFormatActions)

public:
    BeepFormatActions(TForm1& form, QMenu* exportMenu);

    enum class Kind { Rtttl, Sketch, BeepScript };

    static Prompts::FileDialog importDialog();
    static Prompts::FileDialog exportDialog(Kind kind, int largestErrorMs = 0);
    /// The export kind a file name's extension asks for (.rtttl/.txt, .ino, .sh), if any.
    static std::optional<Kind> kindOf(const QString& fileName);
    /// The note on rounding shown for a ringtone text.
    static QString roundingNote(int largestErrorMs);

    QAction* ImportRtttl1 = nullptr;
    QAction* ExportRtttl1 = nullptr;
    QAction* ExportSketch1 = nullptr;
    QAction* ExportBeep1 = nullptr;

    /// Replaces the song by a ringtone text's notes on track 1 (track 2 silent); a text with an
    /// error leaves the song as it was and throws, naming the first bad character.
    void importFile(const QString& fileName);
    /// The song in the form @p kind, named after @p fileName; throws for a song whose lists
    /// differ in length or hold a text that is no number. @p largestErrorMs receives how far
    /// a ringtone text's durations are rounded.
    QByteArray exportBytes(Kind kind, const QString& fileName, int* largestErrorMs = nullptr) const;

signals:
    /// A file was imported completely.
    void opened(const QString& fileName);

private:
    void importClick();
    void exportClick(Kind kind);

    TForm1& m_form;
};
