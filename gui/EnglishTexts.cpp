#include "gui/EnglishTexts.h"

#include "gui/UiLanguage.h"
#include "gui/ControlLookup.h"
#include "gui/Forms.h"
#include "gui/LineEditor.h"
#include "gui/MainWindow.h"
#include "gui/HotKeyPad.h"

#include <QAbstractButton>
#include <QAction>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QTabWidget>

namespace {

EnglishText text(TextWindow window, const char* control, const char* english, int item = -1) {
    return {window, QString::fromUtf8(control), QString::fromUtf8(english), item};
}

/// The window of a text, or nullptr for one that is created on first use and not yet needed:
/// it gets its texts when it is created.
QWidget* windowOf(TextWindow window, QWidget& settingsDialog) {
    const Forms& all = forms();
    switch (window) {
    case TextWindow::Main:
        return all.Form1;
    case TextWindow::LineEditor:
        return all.created<TForm2>();
    case TextWindow::HotKeyPad:
        return all.created<TForm4>();
    case TextWindow::Settings:
        return &settingsDialog;
    }
    return nullptr;
}

// Sets the caption of whatever kind of control carries the name.
bool setCaption(QObject* control, const QString& english, int item) {
    if (item >= 0) {
        if (auto* notebook = qobject_cast<QTabWidget*>(control);
            notebook && item < notebook->count()) {
            notebook->setTabText(item, english);
            return true;
        }
        if (auto* list = qobject_cast<QComboBox*>(control); list && item < list->count()) {
            list->setItemText(item, english);
            return true;
        }
        return false;
    }
    if (auto* group = qobject_cast<QGroupBox*>(control))
        group->setTitle(english);
    else if (auto* button = qobject_cast<QAbstractButton*>(control))
        button->setText(english);
    else if (auto* label = qobject_cast<QLabel*>(control))
        label->setText(english);
    else if (auto* action = qobject_cast<QAction*>(control))
        action->setText(english);
    else if (auto* menu = qobject_cast<QMenu*>(control))
        menu->setTitle(english);
    else
        return false;
    return true;
}

void setText(const EnglishText& entry, QWidget& window) {
    QObject* control = findControl(&window, entry.control);
    if (!control || !setCaption(control, entry.text, entry.item))
        reportMissingControl(window.objectName(), entry.control);
    else if (auto* widget = qobject_cast<QWidget*>(control))
        UiLanguage::fitText(*widget);
}

} // namespace

const QList<EnglishText>& EnglishTexts::table() {
    using W = TextWindow;
    static const QList<EnglishText> texts = {
        // Main window: entry area, menu, side panels and the editing group.
        text(W::Main, "Label4", "Channel 1"),
        text(W::Main, "Label5", "Channel 2"),
        text(W::Main, "Label1", "Frequency (hz)"),
        text(W::Main, "Label2", "Duration"),
        text(W::Main, "rgASpur", "Active Channel"),
        text(W::Main, "rgASpurItem0", "-          CH1"),
        text(W::Main, "rgASpurItem1", "-          CH2"),
        text(W::Main, "btadd", "Add to Song"),
        text(W::Main, "btloeschen", "Delete"),
        text(W::Main, "btTauschen", "Change line"),
        text(W::Main, "Datei1", "File"),
        text(W::Main, "Neu1", "New"),
        text(W::Main, "Oeffnen1", "Open"),
        text(W::Main, "Speichern1", "Save to File"),
        text(W::Main, "Beenden1", "Exit"),
        text(W::Main, "Bearbeiten1", "Edit"),
        text(W::Main, "Geschwindigkeitndern1", "Change speed"),
        text(W::Main, "Oktavendern1", "Change octave"),
        text(W::Main, "Spurentauschen1", "Change Channels"),
        text(W::Main, "Extras1", "Features"),
        text(W::Main, "Hochladen1", "Upload"),
        text(W::Main, "ListderonlineDateien1", "List of online Files"),
        text(W::Main, "Schredder1", "Shredder"),
        text(W::Main, "Welle1", "Sine wave"),
        text(W::Main, "ListeNotenFrequenzen1", "List of Notes - Frequencies"),
        text(W::Main, "BPMNotenwerte1", "BPM / Note values"),
        text(W::Main, "Klaviatur1", "Keyboard"),
        text(W::Main, "GraphischeAusgabe1", "Graphical Output"),
        text(W::Main, "N2", "Options"),
        text(W::Main, "Scrollfunktion1", "Deactivate scroll function"),
        text(W::Main, "FMSynthese1", "FM-Synthesizer"),
        text(W::Main, "Einstellungen1", "Configuration"),
        text(W::Main, "gbHochladen", "Upload"),
        text(W::Main, "Label7", "Filename"),
        text(W::Main, "gbSchredder", "Shredder"),
        text(W::Main, "Label11", "from (hz)"),
        text(W::Main, "Label12", "to (hz)"),
        text(W::Main, "Label13", "Interval (hz)"),
        text(W::Main, "Label14", "Duration (ms)"),
        text(W::Main, "gbWelle", "Sine wave"),
        text(W::Main, "Label16", "Curve Elongation"),
        text(W::Main, "Label17", "Note duration"),
        text(W::Main, "Label18", "Number of Notes"),
        text(W::Main, "Label19", "Strength (hz)"),
        text(W::Main, "Label21", "Start by (hz)"),
        text(W::Main, "gbInfoBPM", "Note-values"),
        text(W::Main, "btAendern", "Change"),
        text(W::Main, "gbBearbeitung", "Editing"),
        // Line editor.
        text(W::LineEditor, "Label1", "Line"),
        text(W::LineEditor, "Label2", "Frequency"),
        text(W::LineEditor, "Label3", "Duration"),
        text(W::LineEditor, "Label4", "CH  1"),
        text(W::LineEditor, "Label5", "Frequency"),
        text(W::LineEditor, "Label6", "Duration"),
        text(W::LineEditor, "Label7", "CH  2"),
        text(W::LineEditor, "Button2", "Cancel"),
        // HotKeyPad.
        text(W::HotKeyPad, "Label2", "Dur"),
        text(W::HotKeyPad, "Optionen1", "Config"),
        text(W::HotKeyPad, "EinstellungenSpeichern1", "Save to"),
        text(W::HotKeyPad, "Einstellungenladen1", "Load"),
        text(W::HotKeyPad, "Configausblenden1", "Hide config"),
        // Settings dialog: three of the tab titles, then the pages' captions.
        text(W::Settings, "TabbedNotebook1", "View", 0),
        text(W::Settings, "TabbedNotebook1", "Keyboard", 3),
        text(W::Settings, "TabbedNotebook1", "Synth", 4),
        text(W::Settings, "btUe", "Apply"),
        text(W::Settings, "GroupBox2", "View options"),
        text(W::Settings, "cbblink", "Deactivate Logo animation"),
        text(W::Settings, "cbbg", "Remove background picture"),
        text(W::Settings, "cbscroll", "Deactivate scroll effect"),
        text(W::Settings, "cbtrans", "Z1rpW3rk transparent"),
        text(W::Settings, "Sprache", "Language"),
        text(W::Settings, "Label16", "Restart program to apply settings"),
        text(W::Settings, "GroupBox3", "Network options"),
        text(W::Settings, "Label1", "Network Port"),
        text(W::Settings, "RadioGroup1", "Transmission"),
        text(W::Settings, "GroupBox4", "FTP"),
        text(W::Settings, "Label6", "Address"),
        text(W::Settings, "Label7", "Username"),
        text(W::Settings, "Label8", "Password"),
        text(W::Settings, "gbTestconnect", "Connection test"),
        text(W::Settings, "Label11", "Time:"),
        text(W::Settings, "GroupBox5", "Keyboard"),
        text(W::Settings, "GroupBox6", "Properties"),
        text(W::Settings, "cbNotenhinzu", "Add Notes to Song"),
        text(W::Settings, "ComboBox2", "Keyboard normal", 2),
        text(W::Settings, "rgTon", "Synth"),
        text(W::Settings, "GroupBox9", "MIDI Output"),
        text(W::Settings, "GroupBox7", "Options"),
        text(W::Settings, "cbMIDI", "Activate MIDI Output"),
        text(W::Settings, "Label17", "MIDI Device"),
        text(W::Settings, "Label18", "CH1"),
        text(W::Settings, "Label19", "CH2"),
        text(W::Settings, "GroupBox10", "MIDI Input"),
        text(W::Settings, "cbMidiwait", "Wait for MIDI Command"),
        text(W::Settings, "cbBPMMidi", "Use length of the BPM table"),
        text(W::Settings, "Label20", "MIDI Device"),
    };
    return texts;
}

void EnglishTexts::apply(QWidget& settingsDialog) {
    for (const EnglishText& entry : table())
        if (QWidget* window = windowOf(entry.window, settingsDialog))
            setText(entry, *window);
}

void EnglishTexts::apply(TextWindow window, QWidget& created) {
    for (const EnglishText& entry : table())
        if (entry.window == window)
            setText(entry, created);
}
