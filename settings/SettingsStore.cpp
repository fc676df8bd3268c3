#include "settings/SettingsStore.h"

#include "base/Prompts.h"
#include "base/StrToInt.h"
#include "settings/ConfigLocation.h"
#include "settings/ControlLookup.h"
#include "settings/IniFile.h"
#include "settings/SettingsDialog.h"
#include "settings/SettingsLinks.h"
#include "settings/WindowEffects.h"
#include "song/Forms.h"
#include "song/MainWindow.h"

#include <QAbstractSlider>
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QSignalBlocker>

#include <algorithm>

namespace {

SettingKey key(const char* section, const char* name, const char* control, SettingKind kind,
               const char* defaultValue, bool ownServerOnly = false) {
    return {QString::fromUtf8(section),      QString::fromUtf8(name),
            QString::fromUtf8(control),      kind,
            QString::fromUtf8(defaultValue), ownServerOnly};
}

QWidget* mainWindow() {
    return forms().Form1;
}

} // namespace

const QList<SettingKey>& SettingsStore::keys() {
    using K = SettingKind;
    static const QList<SettingKey> table = {
        key("Anzeige", "Blinkeffekt", "cbblink", K::Check, "1"),
        key("Anzeige", "Background", "cbbg", K::Check, "0"),
        key("Anzeige", "Scrolleffekt", "cbscroll", K::Check, "0"),
        key("Anzeige", "Durchsichtig", "cbtrans", K::Check, "0"),
        key("MulTiZ1rp", "Port", "edPort", K::Port, "1337"),
        key("OnlineDB", "Auswahl", "ComboBox1", K::ItemIndex, "0"),
        key("OnlineDB", "Adresse", "edAdresse", K::Text, "", true),
        key("OnlineDB", "User", "edUser", K::Text, "", true),
        key("OnlineDB", "Passwort", "edPw", K::Text, "", true),
        key("Klavier", "KlaviaturC", "edC", K::Text, "a"),
        key("Klavier", "KlaviaturCr", "edCr", K::Text, "w"),
        key("Klavier", "KlaviaturD", "edD", K::Text, "s"),
        key("Klavier", "KlaviaturDr", "edDr", K::Text, "e"),
        key("Klavier", "KlaviaturE", "edE", K::Text, "d"),
        key("Klavier", "KlaviaturF", "edF", K::Text, "f"),
        key("Klavier", "KlaviaturFr", "edFr", K::Text, "t"),
        key("Klavier", "KlaviaturG", "edG", K::Text, "g"),
        key("Klavier", "KlaviaturGr", "edGr", K::Text, "z"),
        key("Klavier", "KlaviaturA", "edA", K::Text, "h"),
        key("Klavier", "KlaviaturAr", "edAr", K::Text, "u"),
        key("Klavier", "KlaviaturB", "edB", K::Text, "j"),
        key("Klavier", "Add", "cbNotenhinzu", K::Check, "1"),
        key("Klavier", "Skin", "ComboBox2", K::ItemIndex, "2"),
        key("FM", "Volume", "tbfm", K::Position, "80"),
        key("FM", "Enabled", "FMSynthese1", K::MenuCheck, "0"),
        key("Sprache", "Sprache", "cbSprache", K::ItemIndex, "0"),
        key("OnlineDB", "Autoconnect", "cbAutoconnect", K::Check, "0"),
        key("BMM", "Info", "cbBMMINFO", K::Check, "0"),
    };
    return table;
}

SettingsStore::SettingsStore(TForm6& dialog) : m_dialog(dialog) {}

bool SettingsStore::ownServerChosen() const {
    const auto* servers = requiredControl<QComboBox>(&m_dialog, QStringLiteral("ComboBox1"));
    return servers && servers->currentIndex() == kOwnServer;
}

void SettingsStore::LoadSettings() {
    const IniFile file(configFilePath());
    // Said here, once: the close leaves such a file as it is without a word.
    if (file.tooLarge())
        prompts().messageBox(file.tooLargeText(), QStringLiteral("Z1rpW3rk"),
                             Prompts::Icon::Information);
    for (const SettingKey& key : keys())
        if (!key.ownServerOnly || ownServerChosen())
            readKey(file, key);
}

void SettingsStore::readKey(const IniFile& file, const SettingKey& key) {
    const int defaultNumber = key.defaultValue.toInt();
    switch (key.kind) {
    case SettingKind::Check:
        if (auto* box = requiredControl<QCheckBox>(&m_dialog, key.control)) {
            const bool value = file.readBool(key.section, key.key, defaultNumber != 0);
            // As a user's click would, so that the box's click handler runs (checking
            // "durchsichtig" checks "Hintergrundbild entfernen" too).
            if (box->isChecked() != value && box->isEnabled())
                box->click();
            box->setChecked(value);
        }
        break;
    case SettingKind::Text:
        if (auto* edit = requiredControl<QLineEdit>(&m_dialog, key.control))
            edit->setText(file.readString(key.section, key.key, key.defaultValue));
        break;
    case SettingKind::ItemIndex:
        if (auto* list = requiredControl<QComboBox>(&m_dialog, key.control)) {
            const int index = file.readInteger(key.section, key.key, defaultNumber);
            // Selecting in code is no user's change: the list's change handler stays quiet.
            const QSignalBlocker quiet(list);
            list->setCurrentIndex(index >= 0 && index < list->count() ? index : -1);
        }
        break;
    case SettingKind::Position:
        if (auto* bar = requiredControl<QAbstractSlider>(&m_dialog, key.control))
            bar->setValue(std::clamp(file.readInteger(key.section, key.key, defaultNumber),
                                     bar->minimum(), bar->maximum()));
        break;
    case SettingKind::MenuCheck:
        if (auto* item = requiredControl<QAction>(mainWindow(), key.control))
            item->setChecked(file.readBool(key.section, key.key, defaultNumber != 0));
        break;
    case SettingKind::Port:
        if (TForm1* main = forms().Form1)
            setMirrorPort(*main, file.readInteger(key.section, key.key, defaultNumber));
        if (auto* edit = requiredControl<QLineEdit>(&m_dialog, key.control))
            edit->setText(QString::number(file.readInteger(key.section, key.key, defaultNumber)));
        break;
    }
}

void SettingsStore::ApplySettings() {
    TForm1* main = forms().Form1;
    if (main && main->effects) {
        WindowEffects& effects = *main->effects;
        effects.settleWidth();
        effects.setLogoCycling(!m_dialog.cbblink->isChecked());
        effects.setBackgroundVisible(!m_dialog.cbbg->isChecked());
        effects.setScrollFollowDisabled(m_dialog.cbscroll->isChecked());
    }
    if (auto* port = requiredControl<QLineEdit>(&m_dialog, QStringLiteral("edPort")); port && main)
        setMirrorPort(*main, StrToInt(port->text()));
    if (main && main->effects)
        main->effects->setSeeThrough(m_dialog.cbtrans->isChecked());
    if (main && ownServerChosen()) {
        const auto text = [this](const char* name) {
            const auto* edit = requiredControl<QLineEdit>(&m_dialog, QString::fromUtf8(name));
            return edit ? edit->text() : QString();
        };
        setLibraryCredentials(*main, text("edAdresse"), text("edUser"), text("edPw"));
    }

    // Read once and written once, however many keys there are.
    IniFile file(configFilePath(), IniFile::Writes::OnSave);
    for (const SettingKey& key : keys())
        if (!key.ownServerOnly || ownServerChosen())
            writeKey(file, key);
    file.save();

    applyMidiOutputDevice(m_dialog);
    if (main) {
        const bool midi = m_dialog.cbMIDI->isChecked();
        main->MIDIOut1->setChecked(midi);
        if (midi) {
            main->FMSynthese1->setChecked(false);
            main->Beeper1->setChecked(false);
        } else {
            main->Beeper1->setChecked(true);
        }
    }
    restartMidiInput(m_dialog);
}

void SettingsStore::writeKey(IniFile& file, const SettingKey& key) {
    switch (key.kind) {
    case SettingKind::Check:
        if (const auto* box = requiredControl<QCheckBox>(&m_dialog, key.control))
            file.writeBool(key.section, key.key, box->isChecked());
        break;
    case SettingKind::Text:
        if (const auto* edit = requiredControl<QLineEdit>(&m_dialog, key.control))
            file.writeString(key.section, key.key, edit->text());
        break;
    case SettingKind::ItemIndex:
        if (const auto* list = requiredControl<QComboBox>(&m_dialog, key.control))
            file.writeInteger(key.section, key.key, list->currentIndex());
        break;
    case SettingKind::Position:
        if (const auto* bar = requiredControl<QAbstractSlider>(&m_dialog, key.control))
            file.writeInteger(key.section, key.key, bar->value());
        break;
    case SettingKind::MenuCheck:
        if (const auto* item = requiredControl<QAction>(mainWindow(), key.control))
            file.writeBool(key.section, key.key, item->isChecked());
        break;
    case SettingKind::Port:
        if (const TForm1* main = forms().Form1)
            file.writeInteger(key.section, key.key, mirrorPort(*main));
        break;
    }
}
