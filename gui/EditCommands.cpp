#include "gui/EditCommands.h"

#include "base/Errors.h"
#include "base/Guard.h"
#include "base/ListItems.h"
#include "files/SongFormat.h"
#include "gui/MainWindow.h"
#include "song/NoteTable.h"
#include "song/Song.h"
#include "song/SongEntry.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>

#include <algorithm>
#include <array>

namespace {

QAction* item(QMenu* menu, QAction* before, const char* name, const QString& text,
              const QKeySequence& key = {}) {
    auto* action = new QAction(text, menu);
    action->setObjectName(QLatin1StringView(name));
    action->setShortcut(key);
    menu->insertAction(before, action);
    return action;
}

/// Ranges moved by `n` lines from line `at` on, as lines inserted there move them.
QList<LineRange> shifted(QList<LineRange> ranges, int at, int n) {
    for (LineRange& range : ranges) {
        if (range.first >= at)
            range.first += n;
        if (range.last >= at)
            range.last += n;
    }
    return ranges;
}

int shifted(int line, int at, int n) {
    return line >= at ? line + n : line;
}

/// A shown line of foreign text: not more than fits into a message.
QString shortened(const QString& text) {
    return text.size() > 60 ? text.first(57) + QStringLiteral("...") : text;
}

} // namespace

EditCommands::EditCommands(TForm1& main) : QObject(&main), m_main(main), m_song(*main.song) {
    QMenu* menu = main.Bearbeiten1;
    // After undo and redo, before the commands on the whole song.
    QAction* first = main.Geschwindigkeitndern1;
    Einfuegen1 = item(menu, first, "Einfuegen1", QStringLiteral("Einfügen"),
                      QKeySequence(Qt::Key_Insert));
    ZeilenLoeschen1 = item(menu, first, "ZeilenLoeschen1", QStringLiteral("Zeilen löschen"),
                           QKeySequence(Qt::Key_Delete));
    menu->insertSeparator(first);
    Ausschneiden1 = item(menu, first, "Ausschneiden1", QStringLiteral("Ausschneiden"),
                         QKeySequence(Qt::CTRL | Qt::Key_X));
    Kopieren1 = item(menu, first, "Kopieren1", QStringLiteral("Kopieren"),
                     QKeySequence(Qt::CTRL | Qt::Key_C));
    AusZwischenablage1 = item(menu, first, "AusZwischenablage1",
                              QStringLiteral("Aus Zwischenablage einfügen"),
                              QKeySequence(Qt::CTRL | Qt::Key_V));
    AllesMarkieren1 = item(menu, first, "AllesMarkieren1", QStringLiteral("Alles markieren"),
                           QKeySequence(Qt::CTRL | Qt::Key_A));
    menu->insertSeparator(first);
    ZeilenHoch1 = item(menu, first, "ZeilenHoch1", QStringLiteral("Zeilen nach oben"),
                       QKeySequence(Qt::ALT | Qt::Key_Up));
    ZeilenRunter1 = item(menu, first, "ZeilenRunter1", QStringLiteral("Zeilen nach unten"),
                         QKeySequence(Qt::ALT | Qt::Key_Down));
    menu->insertSeparator(first);
    HalbtonHoeher1 = item(menu, first, "HalbtonHoeher1", QStringLiteral("Halbton höher"),
                          QKeySequence(Qt::CTRL | Qt::Key_Up));
    HalbtonTiefer1 = item(menu, first, "HalbtonTiefer1", QStringLiteral("Halbton tiefer"),
                          QKeySequence(Qt::CTRL | Qt::Key_Down));
    OktaveHoeher1 = item(menu, first, "OktaveHoeher1", QStringLiteral("Oktave höher"),
                         QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Up));
    OktaveTiefer1 = item(menu, first, "OktaveTiefer1", QStringLiteral("Oktave tiefer"),
                         QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Down));
    NurAktiveSpur1 = item(menu, first, "NurAktiveSpur1",
                          QStringLiteral("Nur aktive Spur transponieren"));
    NurAktiveSpur1->setCheckable(true);
    menu->insertSeparator(first);
    // In an entry field these keys edit its text, as in any text field.
    for (QAction* action : {ZeilenLoeschen1, Ausschneiden1, Kopieren1, AusZwischenablage1,
                            AllesMarkieren1})
        action->setProperty("textFieldKey", true);

    connectGuarded(Einfuegen1, &QAction::triggered, this, [this] { insertTone(); });
    connectGuarded(ZeilenLoeschen1, &QAction::triggered, this, [this] { deleteLines(); });
    connectGuarded(Ausschneiden1, &QAction::triggered, this, [this] { cut(); });
    connectGuarded(Kopieren1, &QAction::triggered, this, [this] { copy(); });
    connectGuarded(AusZwischenablage1, &QAction::triggered, this, [this] { paste(); });
    connectGuarded(AllesMarkieren1, &QAction::triggered, this, [this] { selectAll(); });
    connectGuarded(ZeilenHoch1, &QAction::triggered, this, [this] { moveLines(-1); });
    connectGuarded(ZeilenRunter1, &QAction::triggered, this, [this] { moveLines(+1); });
    connectGuarded(HalbtonHoeher1, &QAction::triggered, this, [this] { transpose(+1); });
    connectGuarded(HalbtonTiefer1, &QAction::triggered, this, [this] { transpose(-1); });
    connectGuarded(OktaveHoeher1, &QAction::triggered, this, [this] { transpose(+12); });
    connectGuarded(OktaveTiefer1, &QAction::triggered, this, [this] { transpose(-12); });
}

SongLine EditCommands::enteredTone() const {
    const NoteTable& table = NoteTable::stored();
    const QString freq1 = SongEntry::checkedFrequency(table, QStringLiteral("Frequenz Spur 1"),
                                                      m_main.edFreq1->text());
    const QString freq2 = SongEntry::checkedFrequency(table, QStringLiteral("Frequenz Spur 2"),
                                                      m_main.edFreq2->text());
    const QString length = SongEntry::checkedDuration(QStringLiteral("Dauer"),
                                                      m_main.edLengh->text());
    return {freq1, length, freq2, length};
}

void EditCommands::insertBeforeCurrent(const std::array<PackedTexts, 4>& tracks) {
    const int n = int(tracks[0].size());
    if (n == 0)
        return;
    const QList<LineRange> ranges = m_song.selection();
    const int current = m_song.currentLine();
    const int at = current >= 0 ? current : m_song.lineCount();
    m_song.insertLines(at, tracks);
    if (current >= 0)
        m_song.setSelection(shifted(ranges, at, n), shifted(current, at, n));
}

void EditCommands::insertLine(const SongLine& line) {
    insertBeforeCurrent({PackedTexts{line.freq1}, PackedTexts{line.dur1},
                         PackedTexts{line.freq2}, PackedTexts{line.dur2}});
}

void EditCommands::insertTone() {
    insertLine(enteredTone());
}

void EditCommands::deleteLines() {
    const QList<LineRange> ranges = m_song.selection();
    if (ranges.isEmpty())
        return;
    m_song.removeLines(ranges);
    // The line after the deleted ones becomes the selected line, as in text editors.
    const int next = std::min(ranges.first().first, m_song.lineCount() - 1);
    if (next >= 0)
        m_song.setSelection({{next, next}}, next);
    else
        m_song.setSelection({}, -1);
}

QString EditCommands::clipboardText(const Song& song, const QList<LineRange>& ranges) {
    // The song file's lines, written straight from the packed rows in one pass.
    auto [freq1, dur1, freq2, dur2] = song.tracks(ranges);
    return PackedTexts::decoded(SongFormat::writeUtf8(
        {std::move(freq1), std::move(dur1), std::move(freq2), std::move(dur2)}));
}

void EditCommands::copy() {
    const QList<LineRange> ranges = m_song.selection();
    if (ranges.isEmpty())
        return;
    auto* data = new QMimeData;
    data->setText(clipboardText(m_song, ranges));
    QApplication::clipboard()->setMimeData(data);
}

void EditCommands::cut() {
    if (m_song.selection().isEmpty())
        return;
    copy();
    deleteLines();
}

void EditCommands::paste() {
    QString text = QApplication::clipboard()->text();
    // Line ends after the last line (as editors leave them) are no lines.
    while (!text.isEmpty() && text.back().isSpace())
        text.chop(1);
    if (text.isEmpty())
        return;
    const QByteArray bytes = text.toLatin1();
    const QStringList shown = text.split(QLatin1Char('\n'));
    const auto refuse = [&](qsizetype line) {
        throw AppError(QStringLiteral("Der Text ist keine Liedzeile (f1|d1|f2|d2): Zeile %1: '%2'")
                           .arg(line + 1)
                           .arg(shortened(shown.value(line).trimmed())));
    };
    SongFormat::ReadResult read = SongFormat::read(bytes);
    SongTracks& song = read.song;
    if (read.shortLineFields)
        refuse(song.freq1.size());
    // Only lines whose fields a user could have typed: foreign text that happens to split
    // into four fields is not a song.
    const NoteTable& table = NoteTable::stored();
    for (qsizetype i = 0; i < song.freq1.size(); ++i) {
        const std::optional<QString> f1 = SongEntry::frequency(table, song.freq1[i]);
        const std::optional<QString> f2 = SongEntry::frequency(table, song.freq2[i]);
        if (!f1 || !f2 || !SongEntry::duration(song.dur1[i]) || !SongEntry::duration(song.dur2[i]))
            refuse(i);
        if (*f1 != song.freq1[i])
            song.freq1.set(i, *f1);
        if (*f2 != song.freq2[i])
            song.freq2.set(i, *f2);
    }
    insertBeforeCurrent({std::move(song.freq1), std::move(song.dur1), std::move(song.freq2),
                         std::move(song.dur2)});
}

void EditCommands::selectAll() {
    const int n = m_song.lineCount();
    if (n == 0)
        return;
    m_song.setSelection({{0, n - 1}}, std::max(0, m_song.Memo1->currentIndex()));
}

void EditCommands::moveLines(int by) {
    const QList<LineRange> ranges = m_song.selection();
    const int n = m_song.lineCount();
    if (ranges.isEmpty() || (by < 0 && ranges.first().first == 0) ||
        (by > 0 && ranges.last().last >= n - 1))
        return;
    // Each run of selected lines changes places with the line next to it.
    for (ListItems* list : {m_song.Memo1, m_song.Memo2, m_song.Memo3, m_song.Memo4}) {
        for (const LineRange& range : ranges) {
            const int from = by < 0 ? range.first - 1 : range.first;
            QStringList texts = list->items(from, range.count() + 1);
            if (by < 0)
                std::rotate(texts.begin(), texts.begin() + 1, texts.end());
            else
                std::rotate(texts.begin(), texts.end() - 1, texts.end());
            list->replaceItems(from, texts);
        }
    }
    QList<LineRange> moved = ranges;
    for (LineRange& range : moved) {
        range.first += by;
        range.last += by;
    }
    m_song.setSelection(moved, m_song.Memo1->currentIndex() + by);
}

void EditCommands::transpose(int semitones) {
    const QList<LineRange> ranges = m_song.selection();
    if (ranges.isEmpty())
        return;
    QList<ListItems*> tracks;
    if (!NurAktiveSpur1->isChecked() || m_main.trackOneActive())
        tracks.append(m_song.Memo1);
    if (!NurAktiveSpur1->isChecked() || !m_main.trackOneActive())
        tracks.append(m_song.Memo3);
    // Every result is known before the first is written: a line that cannot be moved leaves
    // the song as it was.
    const NoteTable& table = NoteTable::stored();
    QList<QStringList> results;
    for (ListItems* list : tracks)
        for (const LineRange& range : ranges)
            results.append(SongEntry::transposed(table, list->items(range.first, range.count()),
                                                 semitones, range.first));
    qsizetype next = 0;
    for (ListItems* list : tracks)
        for (const LineRange& range : ranges)
            list->replaceItems(range.first, results[next++]);
}
