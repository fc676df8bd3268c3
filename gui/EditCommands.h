#pragma once

#include "base/LineRange.h"
#include "base/PackedTexts.h"

#include <QString>
#include <QStringList>

#include <array>
#include <QList>
#include <QObject>

class QAction;
class Song;
struct SongLine;
class TForm1;

/// The line commands of the menu "Bearbeiten": insert the entered tone, delete, cut, copy and
/// paste lines, select all, move lines, transpose them. Each acts on the song's selection as
/// a whole (never list by list) and is one step of the song's history.
///
/// Transposing acts on both tracks of the selected lines; with "Nur aktive Spur transponieren"
/// checked, only on the active track (the one whose frequency field is white).
class EditCommands final : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(EditCommands)

public:
    explicit EditCommands(TForm1& main);

    QAction* Einfuegen1 = nullptr;        ///< Insert: the entered tone before the current line
    QAction* ZeilenLoeschen1 = nullptr;   ///< Del
    QAction* Ausschneiden1 = nullptr;     ///< Ctrl+X
    QAction* Kopieren1 = nullptr;         ///< Ctrl+C
    QAction* AusZwischenablage1 = nullptr; ///< Ctrl+V: paste before the current line
    QAction* AllesMarkieren1 = nullptr;   ///< Ctrl+A
    QAction* ZeilenHoch1 = nullptr;       ///< Alt+Up
    QAction* ZeilenRunter1 = nullptr;     ///< Alt+Down
    QAction* HalbtonHoeher1 = nullptr;    ///< Ctrl+Up
    QAction* HalbtonTiefer1 = nullptr;    ///< Ctrl+Down
    QAction* OktaveHoeher1 = nullptr;     ///< Ctrl+Shift+Up
    QAction* OktaveTiefer1 = nullptr;     ///< Ctrl+Shift+Down
    QAction* NurAktiveSpur1 = nullptr;    ///< transpose only the active track

    /// The tone of the entry fields as a song line: note names become the note table's
    /// frequencies; a field that holds neither a number in range nor a note name raises a
    /// message naming it.
    SongLine enteredTone() const;
    /// Puts `line` before the current line (at the end without a selection); the selection
    /// stays on its lines, so further lines go in after this one.
    void insertLine(const SongLine& line);

    void insertTone();
    void deleteLines();
    void cut();
    void copy();
    void paste();
    void selectAll();
    void moveLines(int by);
    void transpose(int semitones);

    /// The lines' text for the clipboard: "f1|d1|f2|d2" and CR LF each, as the song file has
    /// them.
    static QString clipboardText(const Song& song, const QList<LineRange>& ranges);

private:
    /// Inserts the four lists before the current line, keeping the selection on its lines.
    void insertBeforeCurrent(const std::array<PackedTexts, 4>& tracks);

    TForm1& m_main;
    Song& m_song;
};
