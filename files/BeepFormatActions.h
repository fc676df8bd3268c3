#pragma once

#include "base/Prompts.h"

#include <QObject>

#include <optional>

class SongFileActions;

/// The song as a ringtone text, a buzzer sketch and a beep script: "Import" → "RTTTL-Klingelton
/// (.rtttl / .txt)" and the three items at the end of "Exportieren".
class BeepFormatActions final : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(BeepFormatActions)

public:
    /// Works on the song of @p songFiles, whose replacing step the import shares.
    explicit BeepFormatActions(SongFileActions& songFiles);

    enum class Kind { Rtttl, Sketch, BeepScript };

    static Prompts::FileDialog importDialog();
    static Prompts::FileDialog exportDialog(Kind kind, int largestErrorMs = 0);
    /// The export kind a file name's extension asks for (.rtttl/.txt, .ino, .sh), if any.
    static std::optional<Kind> kindOf(const QString& fileName);
    /// The note on rounding shown for a ringtone text.
    static QString roundingNote(int largestErrorMs);

    /// The import's item: asks for the file, then imports it.
    void importClick();
    /// An export item: asks for the file (its title tells how far a ringtone text rounds),
    /// then writes the song in the form @p kind; a beep script is made executable.
    void exportClick(Kind kind);

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
    SongFileActions& m_songFiles;
};
