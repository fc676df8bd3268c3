#include "gui/PlaybackControls.h"

#include "base/Guard.h"
#include "base/ListItems.h"
#include "gui/Controls.h"
#include "gui/Forms.h"
#include "gui/ListBox.h"
#include "gui/MainWindow.h"
#include "song/NoteTable.h"
#include "gui/SettingsDialog.h"
#include "gui/SettingsMidiPage.h"
#include "net/MultiZ1rp.h"
#include "song/Song.h"

#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTimer>
#include <QToolButton>

PlaybackControls::PlaybackControls(TForm1& form) : m_form(form) {
    PlayAbHier1 = named(new QAction(QStringLiteral("Ab aktueller Zeile abspielen"), form.Datei1),
                        QStringLiteral("PlayAbHier1"));
    PlayAbHier1->setShortcut(QKeySequence(Qt::SHIFT | Qt::Key_F5));
    const QList<QAction*> file = form.Datei1->actions();
    const qsizetype play = file.indexOf(form.Play1);
    form.Datei1->insertAction(file.value(play + 1), PlayAbHier1);

    // The options follow the output choice, before "Einstellungen".
    QMenu* options = form.Optionen1;
    const auto option = [options](const char* text, const char* name) {
        QAction* item =
            named(new QAction(QString::fromUtf8(text), options), QString::fromLatin1(name));
        item->setCheckable(true);
        return item;
    };
    Zweistimmig1 = option("Zweistimmig", "Zweistimmig1");
    Schleife1 = option("Schleife", "Schleife1");
    Vorhoeren1 = option("Vorhören", "Vorhoeren1");
    QAction* settings = form.Einstellungen1;
    const QList<QAction*> items = options->actions();
    const qsizetype at = items.indexOf(settings);
    // Before the separator above "Einstellungen", with one of their own.
    QAction* before = at > 0 && items[at - 1]->isSeparator() ? items[at - 1] : settings;
    options->insertSeparator(before);
    options->insertActions(before, {Zweistimmig1, Schleife1, Vorhoeren1});
}

void PlaybackControls::connectEngines(PlaybackEngine& playback, MidiEngine& midi) {
    TForm1& form = m_form;
    PlaybackEngine* engine = &playback;
    connectGuarded(form.btplay, &QPushButton::clicked, engine, [engine] { engine->btplayClick(); });
    connectGuarded(form.Play1, &QAction::triggered, engine, [engine] { engine->btplayClick(); });
    connectGuarded(form.btstop, &QPushButton::clicked, engine, [engine] { engine->btstopClick(); });
    connectGuarded(form.Stop1, &QAction::triggered, engine, [engine] { engine->btstopClick(); });
    connectGuarded(form.BitBtn1, &QToolButton::clicked, engine,
                   [engine] { engine->BitBtn1Click(); });
    // The output items set their check marks themselves: undo the toolkit's own toggle first.
    QObject::connect(form.Beeper1, &QAction::triggered, engine, [&form, engine](bool checked) {
        form.Beeper1->setChecked(!checked);
        guarded([engine] { engine->Beeper1Click(); });
    });
    QObject::connect(form.FMSynthese1, &QAction::triggered, engine,
                     [&form, engine](bool checked) {
                         form.FMSynthese1->setChecked(!checked);
                         guarded([engine] { engine->FMSynthese1Click(); });
                     });
    connectGuarded(PlayAbHier1, &QAction::triggered, engine,
                   [engine] { engine->playFromCurrentLine(); });
    // Two voices change what the lines queued ahead sound (after the settings took the mark).
    connectGuarded(Zweistimmig1, &QAction::triggered, engine,
                   [engine] { engine->outputChanged(); });
    // "Vorhören": a line the user selects (one line), or the one just added or inserted, sounds
    // once. Both come with one command (an insert moves the selection too): the line added wins.
    Song* song = form.song;
    m_engine = engine;
    connectGuarded(song, &Song::selectionChanged, engine, [this, song] {
        const QList<LineRange> selected = song->selection();
        if (selected.size() == 1 && selected[0].count() == 1)
            requestAudition(song->currentLine(), false);
    });
    QObject::connect(song->Memo1->model(), &QAbstractItemModel::rowsInserted, engine,
                     [this](const QModelIndex&, int first, int last) {
                         if (first == last)
                             requestAudition(first, true);
                     });
    MidiEngine* midiEngine = &midi;
    QObject::connect(form.MIDIOut1, &QAction::triggered, midiEngine,
                     [&form, midiEngine](bool checked) {
                         form.MIDIOut1->setChecked(!checked);
                         guarded([midiEngine] { midiEngine->MIDIOut1Click(); });
                     });
}

void PlaybackControls::showPlaying(bool playing) {
    m_form.btplay->setText(playing ? QStringLiteral("Pause") : QStringLiteral("Play"));
}

void PlaybackControls::scrollToStart() {
    TForm1& f = m_form;
    // Scroll every list to its end and back, so all of them start at the top.
    const auto scroll = [](ListBox* list, int count) {
        list->setTopIndex(count - 1);
        list->setTopIndex(0);
    };
    scroll(f.Memo2, f.Memo2->count());
    scroll(f.Memo1, f.Memo1->count());
    scroll(f.Memo4, f.Memo2->count());
    scroll(f.Memo3, f.Memo1->count());
    scroll(f.Line, f.Line->count());
}

void PlaybackControls::showStatus(const QString& text, const QString& detail) {
    m_form.laStatus->setText(text);
    m_form.laStatus->setToolTip(detail);
}

void PlaybackControls::playbackEnded() {
    if (TForm6* settings = forms().Form6) {
        settings->btUe->setEnabled(true);
        settings->btOk->setEnabled(true);
    }
}

QString PlaybackControls::entryFrequency() const {
    return m_form.activeFrequencyField()->text();
}

QString PlaybackControls::entryLength() const {
    return m_form.edLengh->text();
}

void PlaybackControls::setOutputMark(OutputMark mark, bool checked) {
    switch (mark) {
    case OutputMark::Beeper:
        m_form.Beeper1->setChecked(checked);
        return;
    case OutputMark::FMSynthese:
        m_form.FMSynthese1->setChecked(checked);
        return;
    case OutputMark::MIDIOut:
        m_form.MIDIOut1->setChecked(checked);
        return;
    case OutputMark::MidiOutputSetting:
        if (TForm6* settings = forms().Form6; settings && settings->cbMIDI)
            settings->cbMIDI->setChecked(checked);
        return;
    }
}

bool PlaybackControls::connected() const {
    return m_form.mirror->MirrorConnected;
}

void PlaybackControls::beginTransfer() {
    m_form.mirror->beginTransfer();
}

void PlaybackControls::sendLine(int line) {
    m_form.mirror->sendLine(line);
}

void PlaybackControls::endTransfer() {
    m_form.mirror->endTransfer();
}

void PlaybackControls::startPeer(bool startsPlayback) {
    m_form.mirror->startPeer(startsPlayback);
}

void PlaybackControls::stopPeer() {
    m_form.mirror->stopPeer();
}

const NoteTable* PlaybackControls::noteTable() const {
    // The stored table, as the note table window shows it.
    return &NoteTable::stored();
}

void PlaybackControls::setPlaybackLock(bool playing) {
    if (TForm6* settings = forms().Form6; settings && settings->midiPage)
        settings->midiPage->setPlaybackLock(playing);
}

void PlaybackControls::requestAudition(int line, bool added) {
    if (!forms().settings.preview)
        return;
    if (!m_auditionPending || added || !m_auditionAdded) {
        m_auditionLine = line;
        m_auditionAdded = added;
    }
    if (m_auditionPending)
        return;
    m_auditionPending = true;
    // After the command: the line is complete in all four lists by then.
    QTimer::singleShot(0, m_engine, [this] {
        m_auditionPending = false;
        guarded([this] { m_engine->auditionLine(m_auditionLine); });
    });
}
