#pragma once

#include "base/Prompts.h"

#include <QObject>
#include <QStringList>

#include <optional>

class SongFileActions;

/// The song as a ringtone text, a buzzer sketch, a beep script and printer G-code: "Import" →
/// "RTTTL-Klingelton (.rtttl / .txt)" and "G-Code (.gcode)", and the items at the end of
/// "Exportieren".
class BeepFormatActions final : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(BeepFormatActions)

public:
    /// Works on the song of @p songFiles, whose replacing step the imports share.
    explicit BeepFormatActions(SongFileActions& songFiles);

    enum class Kind { Rtttl, Sketch, BeepScript, GCode };

    /// An export's bytes and what the user should know about them.
    struct Exported {
        QByteArray bytes;
        /// How far a ringtone text's durations are rounded.
        int largestErrorMs = 0;
        /// What the file leaves out or changes (shown with a warning).
        QStringList warnings;
        /// What else the user should know (shown as information): a sketch's memory.
        QStringList notes;
    };

    static Prompts::FileDialog importDialog(Kind kind = Kind::Rtttl);
    static Prompts::FileDialog exportDialog(Kind kind, int largestErrorMs = 0);
    /// The export kind a file name's extension asks for (.rtttl/.txt, .ino, .sh, .gcode), if
    /// any.
    static std::optional<Kind> kindOf(const QString& fileName);
    /// The note on rounding shown for a ringtone text.
    static QString roundingNote(int largestErrorMs);

    /// The ringtone import's item: asks for the file, then imports it.
    void importClick();
    /// The G-code import's item.
    void importGCodeClick();
    /// An export item: asks for the file (its title tells how far a ringtone text rounds),
    /// then writes the song in the form @p kind and shows what the user should know.
    void exportClick(Kind kind);

    /// Replaces the song by a ringtone text's or G-code file's tones on track 1 (track 2
    /// silent), by the file's extension; a file with an error leaves the song as it was and
    /// throws, naming the first bad place.
    void importFile(const QString& fileName);
    /// The song in the form @p kind, named after the song's own file, else after @p fileName;
    /// throws for a song whose lists differ in length or hold a text that is no number.
    Exported exportFile(Kind kind, const QString& fileName) const;
    QByteArray exportBytes(Kind kind, const QString& fileName, int* largestErrorMs = nullptr) const {
        const Exported exported = exportFile(kind, fileName);
        if (largestErrorMs)
            *largestErrorMs = exported.largestErrorMs;
        return exported.bytes;
    }
    /// Writes the export to @p fileName (a beep script made executable) and returns what the
    /// user should know.
    Exported writeFile(Kind kind, const QString& fileName) const;

signals:
    /// A file was imported completely.
    void opened(const QString& fileName);

private:
    SongFileActions& m_songFiles;
};
