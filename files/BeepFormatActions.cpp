#include "files/BeepFormatActions.h"

#include "files/EmptySong.h"
#include "base/Errors.h"
#include "base/ListItems.h"
#include "files/BuzzerExport.h"
#include "base/FileAccess.h"
#include "files/GCode.h"
#include "files/PlayedTones.h"
#include "files/Rtttl.h"
#include "files/SongFileActions.h"
#include "files/SongFormat.h"
#include "song/Song.h"
#include "song/NoteTable.h"

#include <QFile>
#include <QFileInfo>
#include <QLocale>

namespace {

const QString kTrackError = QStringLiteral("Fehler im Track");

/// A ringtone text is at most a few kilobytes; a collection of them in one text file is read
/// up to this size.
constexpr qint64 kMaxTextSize = 4LL * 1024 * 1024;
/// G-code of a whole print, whose end plays the tune.
constexpr qint64 kMaxGCodeSize = 256LL * 1024 * 1024;

} // namespace

BeepFormatActions::BeepFormatActions(SongFileActions& songFiles) : m_songFiles(songFiles) {}

Prompts::FileDialog BeepFormatActions::importDialog(Kind kind) {
    Prompts::FileDialog dialog;
    if (kind == Kind::GCode) {
        dialog.title = QStringLiteral("G-Code importieren");
        dialog.filter = QStringLiteral("G-Code (.gcode, .gco, .g)|*.gcode;*.gco;*.g");
        dialog.defaultExt = QStringLiteral(".gcode");
        return dialog;
    }
    dialog.title = QStringLiteral("RTTTL-Klingelton importieren");
    dialog.filter = QStringLiteral("RTTTL-Klingeltöne (.rtttl, .txt)|*.rtttl;*.rtx;*.txt");
    dialog.defaultExt = QStringLiteral(".rtttl");
    return dialog;
}

QString BeepFormatActions::roundingNote(int largestErrorMs) {
    return largestErrorMs == 0
               ? QStringLiteral("Dauern exakt als Notenwerte")
               : QStringLiteral("Dauern auf Notenwerte gerundet, höchstens %1 ms Abweichung")
                     .arg(largestErrorMs);
}

Prompts::FileDialog BeepFormatActions::exportDialog(Kind kind, int largestErrorMs) {
    Prompts::FileDialog dialog;
    switch (kind) {
    case Kind::Rtttl:
        dialog.title = QStringLiteral("RTTTL-Klingelton exportieren (%1)")
                           .arg(roundingNote(largestErrorMs));
        dialog.filter = QStringLiteral("RTTTL-Klingeltöne (.rtttl)|*.rtttl");
        dialog.defaultExt = QStringLiteral(".rtttl");
        break;
    case Kind::Sketch:
        dialog.title = QStringLiteral("Buzzer-Sketch exportieren");
        dialog.filter = QStringLiteral("Sketche (.ino)|*.ino");
        dialog.defaultExt = QStringLiteral(".ino");
        break;
    case Kind::BeepScript:
        dialog.title = QStringLiteral("beep-Skript exportieren");
        dialog.filter = QStringLiteral("Shell-Skripte (.sh)|*.sh");
        dialog.defaultExt = QStringLiteral(".sh");
        break;
    case Kind::GCode:
        dialog.title = QStringLiteral("G-Code exportieren");
        dialog.filter = QStringLiteral("G-Code (.gcode)|*.gcode");
        dialog.defaultExt = QStringLiteral(".gcode");
        break;
    }
    return dialog;
}

std::optional<BeepFormatActions::Kind> BeepFormatActions::kindOf(const QString& fileName) {
    const QString suffix = QFileInfo(fileName).suffix().toLower();
    if (suffix == QLatin1String("rtttl") || suffix == QLatin1String("rtx") ||
        suffix == QLatin1String("txt"))
        return Kind::Rtttl;
    if (suffix == QLatin1String("ino"))
        return Kind::Sketch;
    if (suffix == QLatin1String("sh"))
        return Kind::BeepScript;
    if (suffix == QLatin1String("gcode") || suffix == QLatin1String("gco") ||
        suffix == QLatin1String("g"))
        return Kind::GCode;
    return std::nullopt;
}

void BeepFormatActions::importClick() {
    if (const auto fileName = prompts().openFile(importDialog()))
        importFile(*fileName);
}

void BeepFormatActions::importGCodeClick() {
    if (const auto fileName = prompts().openFile(importDialog(Kind::GCode)))
        importFile(*fileName);
}

void BeepFormatActions::importFile(const QString& fileName) {
    QList<PlayedTone> tones;
    if (kindOf(fileName) == Kind::GCode) {
        // A whole print's G-code may hold its tune at the end.
        tones = GCode::read(FileAccess::readAll(fileName, kMaxGCodeSize));
    } else {
        QByteArray bytes = FileAccess::readAll(fileName, kMaxTextSize);
        // A byte-order mark counts as blanks, so the positions in messages stay byte positions.
        if (bytes.startsWith("\xEF\xBB\xBF"))
            bytes.replace(0, 3, "   ");
        // Everything is read and checked before the song is touched.
        tones = Rtttl::read(QString::fromLatin1(bytes), NoteTable::stored());
    }
    if (tones.size() > SongFormat::kMaxLines)
        throw AppError(SongFileActions::tooManyLinesText(tones.size()));
    QStringList frequencies, durations;
    frequencies.reserve(tones.size());
    durations.reserve(tones.size());
    for (const PlayedTone& tone : tones) {
        frequencies.append(QString::number(tone.frequency));
        durations.append(QString::number(tone.durationMs));
    }

    const QStringList silent(frequencies.size(), QStringLiteral("0"));
    if (m_songFiles.replaceByImport(fileName, frequencies, silent, durations))
        emit opened(fileName);
}

namespace {

QString number(qint64 value) {
    return QLocale(QLocale::German).toString(qlonglong(value));
}

/// "Zeile 3: 20 Hz …; 2 solche Töne …": the first of the tones a form cannot sound.
QString firstOf(const QString& text, const QList<qsizetype>& lines, const QList<PlayedTone>& tones) {
    return text.arg(lines.first()).arg(tones[lines.first()].frequency).arg(lines.size());
}

} // namespace

BeepFormatActions::Exported BeepFormatActions::exportFile(Kind kind,
                                                          const QString& fileName) const {
    const Song& f = m_songFiles.song();
    const int n = f.Memo1->count();
    if (f.Memo2->count() != n || f.Memo3->count() != n || f.Memo4->count() != n)
        throw AppError(kTrackError);
    const QList<PlayedTone> tones =
        playedTones({f.Memo1->texts(), f.Memo2->texts(), f.Memo3->texts(), f.Memo4->texts()});
    // The song's own name: its file's, or that of the file it was imported from.
    QString own = m_songFiles.songFile();
    if (own.isEmpty())
        own = m_songFiles.proposedName();
    const QString name = QFileInfo(own.isEmpty() ? fileName : own).completeBaseName();
    Exported out;
    switch (kind) {
    case Kind::Rtttl: {
        const Rtttl::Written written = Rtttl::write(tones, name, NoteTable::stored());
        out.bytes = written.text;
        out.largestErrorMs = written.largestErrorMs;
        if (!written.outsideOctaves.isEmpty())
            out.warnings.append(QStringLiteral("Noten außerhalb der Oktaven 4 bis 7, die strenge "
                                               "Abspielprogramme ablehnen: %1")
                                    .arg(written.outsideOctaves.join(QStringLiteral(", "))));
        break;
    }
    case Kind::Sketch: {
        const BuzzerExport::Sketch sketch = BuzzerExport::sketch(tones, name);
        out.bytes = sketch.text;
        if (sketch.programBytes > BuzzerExport::kUnoProgramBytes)
            out.warnings.append(QStringLiteral("Der Sketch belegt auf einem Arduino Uno etwa %1 "
                                               "Bytes Programmspeicher, mehr als die %2 Bytes, "
                                               "die der Uno hat.")
                                    .arg(number(sketch.programBytes))
                                    .arg(number(BuzzerExport::kUnoProgramBytes)));
        else
            out.notes.append(QStringLiteral("Der Sketch belegt auf einem Arduino Uno etwa %1 "
                                            "der %2 Bytes Programmspeicher.")
                                 .arg(number(sketch.programBytes))
                                 .arg(number(BuzzerExport::kUnoProgramBytes)));
        if (!sketch.tooLow.isEmpty())
            out.warnings.append(firstOf(QStringLiteral("Zeile %1: %2 Hz kann tone() nicht "
                                                       "spielen (unter 31 Hz); %3 solche Töne "
                                                       "werden als Pause gespielt."),
                                        sketch.tooLow, tones));
        break;
    }
    case Kind::BeepScript: {
        const BuzzerExport::Script script = BuzzerExport::beepScript(tones, name);
        out.bytes = script.text;
        if (!script.tooHigh.isEmpty())
            out.warnings.append(firstOf(QStringLiteral("Zeile %1: %2 Hz ist für beep zu hoch "
                                                       "(ab 20.000 Hz); %3 solche Töne werden "
                                                       "als Pause gespielt."),
                                        script.tooHigh, tones));
        break;
    }
    case Kind::GCode:
        out.bytes = GCode::write(tones, name);
        break;
    }
    return out;
}

BeepFormatActions::Exported BeepFormatActions::writeFile(Kind kind,
                                                         const QString& fileName) const {
    const Exported exported = exportFile(kind, fileName);
    FileAccess::saveAll(fileName, exported.bytes);
    // A script is meant to be run.
    if (kind == Kind::BeepScript) {
        QFile script(fileName);
        script.setPermissions(script.permissions() | QFile::ExeOwner | QFile::ExeGroup |
                              QFile::ExeOther);
    }
    return exported;
}

void BeepFormatActions::exportClick(Kind kind) {
    const Song& f = m_songFiles.song();
    const int n = f.Memo1->count();
    if (f.Memo2->count() != n || f.Memo3->count() != n || f.Memo4->count() != n) {
        prompts().messageBox(kTrackError, QStringLiteral("Z1rpW3rk"), Prompts::Icon::Warning);
        return;
    }
    refuseEmptyExport(f);
    // The rounding does not depend on the name: the dialog can say how far it goes.
    const int largestError = kind == Kind::Rtttl ? exportFile(kind, QString()).largestErrorMs : 0;
    const auto fileName = prompts().saveFile(exportDialog(kind, largestError));
    if (!fileName)
        return;
    const Exported exported = writeFile(kind, *fileName);
    emit m_songFiles.wrote(*fileName);
    for (const QString& text : exported.warnings)
        prompts().messageBox(text, QStringLiteral("Z1rpW3rk"), Prompts::Icon::Warning);
    for (const QString& text : exported.notes)
        prompts().messageBox(text, QStringLiteral("Z1rpW3rk"), Prompts::Icon::Information);
}
