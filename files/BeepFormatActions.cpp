#include "files/BeepFormatActions.h"

#include "files/EmptySong.h"
#include "base/Errors.h"
#include "base/ListItems.h"
#include "files/BuzzerExport.h"
#include "base/FileAccess.h"
#include "files/PlayedTones.h"
#include "files/Rtttl.h"
#include "files/SongFileActions.h"
#include "song/Song.h"
#include "song/NoteTable.h"

#include <QFile>
#include <QFileInfo>

namespace {

const QString kTrackError = QStringLiteral("Fehler im Track");

/// A ringtone text is at most a few kilobytes; a collection of them in one text file is read
/// up to this size.
constexpr qint64 kMaxTextSize = 4LL * 1024 * 1024;

} // namespace

BeepFormatActions::BeepFormatActions(SongFileActions& songFiles) : m_songFiles(songFiles) {}

Prompts::FileDialog BeepFormatActions::importDialog() {
    Prompts::FileDialog dialog;
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
    return std::nullopt;
}

void BeepFormatActions::importClick() {
    if (const auto fileName = prompts().openFile(importDialog()))
        importFile(*fileName);
}

void BeepFormatActions::importFile(const QString& fileName) {
    QByteArray bytes = FileAccess::readAll(fileName, kMaxTextSize);
    // A byte-order mark counts as blanks, so the positions in messages stay byte positions.
    if (bytes.startsWith("\xEF\xBB\xBF"))
        bytes.replace(0, 3, "   ");
    // Everything is read and checked before the song is touched.
    const QList<PlayedTone> tones = Rtttl::read(QString::fromLatin1(bytes), NoteTable::stored());
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

QByteArray BeepFormatActions::exportBytes(Kind kind, const QString& fileName,
                                          int* largestErrorMs) const {
    const Song& f = m_songFiles.song();
    const int n = f.Memo1->count();
    if (f.Memo2->count() != n || f.Memo3->count() != n || f.Memo4->count() != n)
        throw AppError(kTrackError);
    const QList<PlayedTone> tones =
        playedTones({f.Memo1->items(), f.Memo2->items(), f.Memo3->items(), f.Memo4->items()});
    const QString name = QFileInfo(fileName).completeBaseName();
    switch (kind) {
    case Kind::Rtttl: {
        const Rtttl::Written written = Rtttl::write(tones, name, NoteTable::stored());
        if (largestErrorMs)
            *largestErrorMs = written.largestErrorMs;
        return written.text;
    }
    case Kind::Sketch:
        return BuzzerExport::sketch(tones, name);
    case Kind::BeepScript:
        return BuzzerExport::beepScript(tones, name);
    }
    return {};
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
    int largestError = 0;
    exportBytes(kind, QString(), &largestError);
    const auto fileName = prompts().saveFile(exportDialog(kind, largestError));
    if (!fileName)
        return;
    QByteArray bytes = exportBytes(kind, *fileName);
    FileAccess::saveAll(*fileName, bytes);
    // A script is meant to be run.
    if (kind == Kind::BeepScript) {
        QFile script(*fileName);
        script.setPermissions(script.permissions() | QFile::ExeOwner | QFile::ExeGroup |
                              QFile::ExeOther);
    }
    emit m_songFiles.wrote(*fileName);
}
