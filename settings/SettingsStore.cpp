#include "settings/SettingsStore.h"

#include "base/Prompts.h"
#include "settings/ConfigLocation.h"
#include "settings/IniFile.h"

#include <algorithm>

namespace {

using Field = decltype(SettingKey::field);

SettingKey key(const char* section, const char* name, const char* control, SettingKind kind,
               const char* defaultValue, Field field, int limit = 0, bool ownServerOnly = false) {
    return {QString::fromUtf8(section),
            QString::fromUtf8(name),
            QString::fromUtf8(control),
            kind,
            QString::fromUtf8(defaultValue),
            ownServerOnly,
            field,
            limit};
}

bool ownServerChosen(const Settings& settings) {
    return settings.libraryServer == SettingsStore::kOwnServer;
}

} // namespace

const QList<SettingKey>& SettingsStore::keys() {
    using K = SettingKind;
    using S = Settings;
    static const QList<SettingKey> table = {
        key("Anzeige", "Blinkeffekt", "cbblink", K::Check, "1", &S::logoBlinkOff),
        key("Anzeige", "Background", "cbbg", K::Check, "0", &S::backgroundHidden),
        key("Anzeige", "Scrolleffekt", "cbscroll", K::Check, "0", &S::scrollEffectOff),
        key("Anzeige", "Durchsichtig", "cbtrans", K::Check, "0", &S::seeThrough),
        key("MulTiZ1rp", "Port", "edPort", K::Port, "1337", &S::mirrorPort),
        key("OnlineDB", "Auswahl", "ComboBox1", K::ItemIndex, "0", &S::libraryServer,
            S::kServerEntries),
        key("OnlineDB", "Adresse", "edAdresse", K::Text, "", &S::libraryAddress, 0, true),
        key("OnlineDB", "User", "edUser", K::Text, "", &S::libraryUser, 0, true),
        key("OnlineDB", "Passwort", "edPw", K::Text, "", &S::libraryPassword, 0, true),
        key("Klavier", "KlaviaturC", "edC", K::Text, "a", &S::keyC),
        key("Klavier", "KlaviaturCr", "edCr", K::Text, "w", &S::keyCSharp),
        key("Klavier", "KlaviaturD", "edD", K::Text, "s", &S::keyD),
        key("Klavier", "KlaviaturDr", "edDr", K::Text, "e", &S::keyDSharp),
        key("Klavier", "KlaviaturE", "edE", K::Text, "d", &S::keyE),
        key("Klavier", "KlaviaturF", "edF", K::Text, "f", &S::keyF),
        key("Klavier", "KlaviaturFr", "edFr", K::Text, "t", &S::keyFSharp),
        key("Klavier", "KlaviaturG", "edG", K::Text, "g", &S::keyG),
        key("Klavier", "KlaviaturGr", "edGr", K::Text, "z", &S::keyGSharp),
        key("Klavier", "KlaviaturA", "edA", K::Text, "h", &S::keyA),
        key("Klavier", "KlaviaturAr", "edAr", K::Text, "u", &S::keyASharp),
        key("Klavier", "KlaviaturB", "edB", K::Text, "j", &S::keyB),
        key("Klavier", "Add", "cbNotenhinzu", K::Check, "1", &S::addPlayedNotes),
        key("Klavier", "Skin", "ComboBox2", K::ItemIndex, "2", &S::keyboardSkin, S::kSkinEntries),
        key("FM", "Volume", "tbfm", K::Position, "80", &S::synthVolume, S::kMaxVolume),
        key("FM", "Enabled", "FMSynthese1", K::MenuCheck, "0", &S::fmSynthesis),
        key("Sprache", "Sprache", "cbSprache", K::ItemIndex, "0", &S::language,
            S::kLanguageEntries),
        key("OnlineDB", "Autoconnect", "cbAutoconnect", K::Check, "0", &S::libraryAutoconnect),
        key("BMM", "Info", "cbBMMINFO", K::Check, "0", &S::bmmInfoHidden),
        // Sections of the program's own come after the ones every Config.ini has.
        key("FTP", "Passiv", "cbPassiv", K::Check, "0", &S::libraryPassive),
        // Playback options, after the sections above.
        key("Wiedergabe", "Zweistimmig", "Zweistimmig1", K::MenuCheck, "0", &S::twoVoices),
        key("Wiedergabe", "Schleife", "Schleife1", K::MenuCheck, "0", &S::loop),
        key("Wiedergabe", "Vorhoeren", "Vorhoeren1", K::MenuCheck, "0", &S::preview),
        // The piano roll window's place, in a section of its own after the ones above.
        key("Notenrolle", "Links", "PianoRoll", K::WindowPlace, "0", &S::pianoRollLeft),
        key("Notenrolle", "Oben", "PianoRoll", K::WindowPlace, "0", &S::pianoRollTop),
        key("Notenrolle", "Breite", "PianoRoll", K::WindowPlace, "0", &S::pianoRollWidth),
        key("Notenrolle", "Hoehe", "PianoRoll", K::WindowPlace, "0", &S::pianoRollHeight),
    };
    return table;
}

Settings SettingsStore::read(const IniFile& file) {
    Settings settings;
    for (const SettingKey& key : keys()) {
        if (key.ownServerOnly && !ownServerChosen(settings))
            continue;
        const int defaultNumber = key.defaultValue.toInt();
        switch (key.kind) {
        case SettingKind::Check:
        case SettingKind::MenuCheck:
            settings.*std::get<bool Settings::*>(key.field) =
                file.readBool(key.section, key.key, defaultNumber != 0);
            break;
        case SettingKind::Text:
            settings.*std::get<QString Settings::*>(key.field) =
                file.readString(key.section, key.key, key.defaultValue);
            break;
        case SettingKind::ItemIndex: {
            const int index = file.readInteger(key.section, key.key, defaultNumber);
            settings.*std::get<int Settings::*>(key.field) =
                index >= 0 && index < key.limit ? index : -1;
            break;
        }
        case SettingKind::Position:
            settings.*std::get<int Settings::*>(key.field) =
                std::clamp(file.readInteger(key.section, key.key, defaultNumber), 0, key.limit);
            break;
        case SettingKind::Port:
            settings.*std::get<int Settings::*>(key.field) =
                file.readInteger(key.section, key.key, defaultNumber);
            // The port field shows the port read.
            settings.mirrorPortText = QString::number(settings.mirrorPort);
            break;
        case SettingKind::WindowPlace:
            settings.*std::get<int Settings::*>(key.field) =
                file.readInteger(key.section, key.key, defaultNumber);
            break;
        }
    }
    return settings;
}

void SettingsStore::write(IniFile& file, const Settings& settings) {
    for (const SettingKey& key : keys()) {
        if (key.ownServerOnly && !ownServerChosen(settings))
            continue;
        switch (key.kind) {
        case SettingKind::Check:
        case SettingKind::MenuCheck:
            file.writeBool(key.section, key.key, settings.*std::get<bool Settings::*>(key.field));
            break;
        case SettingKind::Text:
            file.writeString(key.section, key.key,
                             settings.*std::get<QString Settings::*>(key.field));
            break;
        case SettingKind::ItemIndex:
        case SettingKind::Position:
        case SettingKind::Port:
            file.writeInteger(key.section, key.key, settings.*std::get<int Settings::*>(key.field));
            break;
        case SettingKind::WindowPlace:
            // A window that was never placed leaves the file as the described program writes it.
            if (settings.pianoRollWidth > 0)
                file.writeInteger(key.section, key.key,
                                  settings.*std::get<int Settings::*>(key.field));
            break;
        }
    }
}

Settings SettingsStore::load() {
    return load(IniFile(configFilePath()));
}

Settings SettingsStore::load(const IniFile& file) {
    if (file.tooLarge())
        prompts().messageBox(file.tooLargeText(), QStringLiteral("Z1rpW3rk"),
                             Prompts::Icon::Information);
    return read(file);
}
