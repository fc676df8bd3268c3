#include "app/CommandLine.h"

#include "app/ConsolePlayer.h"
#include "audio/AudioExport.h"
#include "audio/AudioFileWriter.h"
#include "base/Errors.h"
#include "base/ProgressSink.h"
#include "base/Prompts.h"
#include "files/BeepFormatActions.h"
#include "files/EmptySong.h"
#include "files/PianoRollPainter.h"
#include "gui/EnglishDictionary.h"
#include "base/FileAccess.h"
#include "files/SongFiles.h"
#include "settings/Settings.h"
#include "settings/SettingsStore.h"
#include "song/Song.h"
#include "song/NoteTable.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QStringList>

#include <cstdio>
#include <exception>
#include <utility>

#ifndef Z1RPW3RK_VERSION
#define Z1RPW3RK_VERSION "3.3"
#endif

namespace {

// The messages of a run: German as the program writes them, or their English form.
bool g_english = false;

QString say(const QString& german) {
    if (!g_english)
        return german;
    const QString english = EnglishDictionary::lookup(german);
    return english.isEmpty() ? german : english;
}

/// The language of the run's messages: the locale's (LC_ALL, else LC_MESSAGES, else LANG):
/// German for German, English for any other language; without one (unset, C, POSIX) the
/// language chosen in the program's settings.
bool englishMessages(int settingsLanguage) {
    for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const QString locale = qEnvironmentVariable(name);
        if (locale.isEmpty())
            continue;
        if (locale == QLatin1String("C") || locale == QLatin1String("POSIX") ||
            locale.startsWith(QLatin1String("C.")))
            break;
        return !locale.startsWith(QLatin1String("de"));
    }
    return settingsLanguage == 1;
}

CommandLine failed(const QString& error) {
    CommandLine line;
    line.action = CommandLine::Action::Error;
    // One line on the terminal, even where it quotes an argument that holds a line break.
    line.error = error;
    line.error.replace(QLatin1Char('\r'), QLatin1Char(' '))
        .replace(QLatin1Char('\n'), QLatin1Char(' '));
    return line;
}

/// The message with the file it is about, unless it names that file already: after a file
/// system error ("Datei nicht gefunden: lied.zwk"), before any other ("lied.mid: Die Datei
/// ist keine MIDI-Datei ...").
QString naming(const QString& message, const QString& file) {
    if (file.isEmpty() || message.isEmpty() || message.contains(QFileInfo(file).fileName()))
        return say(message);
    static const QStringList fileSystem = {EInOutError::textFor(2), EInOutError::textFor(3),
                                           EInOutError::textFor(5), EInOutError::textFor(8)};
    if (fileSystem.contains(message) || message.startsWith(QLatin1String("E/A-Fehler ")))
        return say(message) + QStringLiteral(": ") + file;
    return file + QStringLiteral(": ") + say(message);
}

/// Messages of a run without a window: warnings and errors go to stderr as one line each and
/// make the run fail; information stays quiet; nothing is asked.
class ConsolePrompts final : public Prompts {
public:
    bool failed = false;
    /// The file the run is reading or writing: its messages name it.
    QString subject;

    void showMessage(const QString& text) override { report(text); }
    Answer messageBox(const QString& text, const QString&, Icon icon, Buttons) override {
        if (icon == Icon::Warning || icon == Icon::Error)
            report(text);
        return Answer::Cancel;
    }
    void showError(const QString& text) override { report(text); }
    std::optional<QString> openFile(const FileDialog&) override { return std::nullopt; }
    std::optional<QString> saveFile(const FileDialog&) override { return std::nullopt; }
    std::optional<QString> inputBox(const QString&, const QString&, const QString&) override {
        return std::nullopt;
    }
    int execModal(QDialog&) override { return 0; }

private:
    void report(const QString& text) {
        failed = true;
        QString line = naming(text, subject);
        line.replace(QLatin1Char('\r'), QLatin1Char(' '))
            .replace(QLatin1Char('\n'), QLatin1Char(' '));
        std::fprintf(stderr, "z1rpw3rk: %s\n", qPrintable(line));
    }
};

// Without a window the toolkit's notes (a missing runtime folder, plugin remarks) are noise
// between the program's own lines; only its critical messages are shown.
void quietToolkit(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    if (type == QtCriticalMsg || type == QtFatalMsg)
        std::fprintf(stderr, "%s\n", qPrintable(qFormatLogMessage(type, context, message)));
}

QString suffixOf(const QString& fileName) {
    return QFileInfo(fileName).suffix().toLower();
}

/// Sets the output of the "Optionen" menu as the run asks.
void chooseOutput(Settings& settings, const QString& output) {
    if (output.isEmpty())
        return;
    settings.beeper = output == QLatin1String("beep");
    settings.fmSynthesis = output == QLatin1String("wave");
    settings.midiOut = output == QLatin1String("midi");
}

} // namespace

CommandLine CommandLine::parse(int argc, char* argv[]) {
    CommandLine line;
    QStringList args;
    for (int i = 1; i < argc; ++i)
        args.append(QString::fromLocal8Bit(argv[i]));
    bool play = false, render = false;
    for (qsizetype i = 0; i < args.size(); ++i) {
        QString arg = args[i];
        // "--option=value" is "--option value". Only where an option stands: a value that
        // follows its option is taken as it is, "=" and all.
        std::optional<QString> joined;
        if (const qsizetype equals = arg.indexOf(QLatin1Char('='));
            arg.startsWith(QLatin1String("--")) && equals > 2) {
            joined = arg.mid(equals + 1);
            arg.truncate(equals);
        }
        const auto value = [&](const QString& option) -> std::optional<QString> {
            Q_UNUSED(option);
            if (joined)
                return std::exchange(joined, std::nullopt);
            if (i + 1 >= args.size())
                return std::nullopt;
            return args[++i];
        };
        if (arg == QLatin1String("-h") || arg == QLatin1String("--help")) {
            line = CommandLine(); // help asks for nothing else: what came before is dropped
            line.action = Action::Help;
            return line;
        }
        if (arg == QLatin1String("-V") || arg == QLatin1String("--version")) {
            line = CommandLine();
            line.action = Action::Version;
            return line;
        }
        if (arg == QLatin1String("--play") || arg == QLatin1String("--render")) {
            const auto song = value(arg);
            if (!song || song->isEmpty())
                return failed(arg + QStringLiteral(" needs a song file"));
            (arg == QLatin1String("--play") ? play : render) = true;
            if (!line.song.isEmpty())
                return failed(QStringLiteral("only one song can be given"));
            line.song = *song;
        } else if (arg == QLatin1String("-o") || arg == QLatin1String("--out")) {
            const auto out = value(arg);
            if (!out || out->isEmpty())
                return failed(arg + QStringLiteral(" needs a file name"));
            line.outFile = *out;
        } else if (arg == QLatin1String("--keep-short-lines")) {
            line.keepShortLines = true;
        } else if (arg == QLatin1String("--output")) {
            const auto output = value(arg);
            if (!output || !QStringList{"beep", "wave", "midi"}.contains(*output))
                return failed(QStringLiteral("--output takes beep, wave or midi"));
            line.output = *output;
        } else if (arg == QLatin1String("--voices")) {
            const auto voices = value(arg);
            if (!voices || (*voices != QLatin1String("1") && *voices != QLatin1String("2")))
                return failed(QStringLiteral("--voices takes 1 or 2"));
            line.voices = voices->toInt();
        } else if (arg.startsWith(QLatin1Char('-')) && arg.size() > 1) {
            return failed(QStringLiteral("unknown option %1 (see --help)").arg(arg));
        } else {
            if (!line.song.isEmpty())
                return failed(QStringLiteral("only one song can be given"));
            line.song = arg;
        }
    }
    if (play && render)
        return failed(QStringLiteral("--play and --render cannot be combined"));
    if (render) {
        line.action = Action::Render;
        if (line.outFile.isEmpty())
            return failed(QStringLiteral("--render needs -o OUT"));
        const QString suffix = suffixOf(line.outFile);
        if (suffix != QLatin1String("mid") && suffix != QLatin1String("zwk") &&
            !AudioFileWriter::supports(line.outFile) && !BeepFormatActions::kindOf(line.outFile) &&
            !PianoRollPainter::supports(line.outFile))
            return failed(QStringLiteral("cannot write .%1 files; use .zwk, .wav, .flac, .ogg, "
                                         ".mp3, .mid, .rtttl, .ino, .sh, .gcode, .png or .svg")
                              .arg(suffix));
        // Rendering a MIDI file over itself would replace it with its two-voice reduction.
        if (FileAccess::sameFile(line.song, line.outFile))
            return failed(QStringLiteral("%1 is the song itself; choose another output file")
                              .arg(line.outFile));
    } else if (play) {
        line.action = Action::Play;
    }
    if (!render && !line.outFile.isEmpty())
        return failed(QStringLiteral("-o belongs to --render"));
    if (!play && !render && !line.output.isEmpty())
        return failed(QStringLiteral("--output belongs to --play or --render"));
    if (!play && !render && line.voices != 0)
        return failed(QStringLiteral("--voices belongs to --play or --render"));
    return line;
}

QString CommandLine::helpText() {
    return QStringLiteral(
        "Usage: z1rpw3rk [SONG]\n"
        "       z1rpw3rk --play SONG [--output beep|wave|midi] [--voices 1|2]\n"
        "       z1rpw3rk --render SONG -o OUT [--output beep|wave|midi] [--voices 1|2]\n"
        "\n"
        "A composer and player for two-voice beep melodies.\n"
        "\n"
        "  SONG                  a song (.zwk) to open; a .bmm, .mid/.midi, ringtone text\n"
        "                        (.rtttl/.txt) or printer G-code (.gcode) is imported\n"
        "  --play SONG           play the song without a window; Ctrl+C stops\n"
        "  --render SONG -o OUT  write the song to OUT: .zwk (a song file), .wav, .flac,\n"
        "                        .ogg or .mp3 (its sound), .mid (a Standard MIDI File),\n"
        "                        .rtttl (a ringtone text), .ino (a buzzer sketch), .sh (a\n"
        "                        script for beep) or .gcode (M300 tones for a 3D printer);\n"
        "                        a ringtone text rounds each duration to the nearest note\n"
        "                        value at the best-fitting tempo and prints the largest\n"
        "                        error in ms (0 ms for songs of note values);\n"
        "                        .png or .svg draws the song as the piano roll shows it\n"
        "  -o, --out OUT         the file --render writes\n"
        "  --output KIND         beep (the speaker), wave (the waveform output) or midi;\n"
        "                        without it, the output chosen in the program\n"
        "  --keep-short-lines    a MIDI file's lines shorter than 15 ms (the gaps and\n"
        "                        staggered chords of other programs) stay lines of their\n"
        "                        own instead of joining their neighbours\n"
        "  --voices 1|2          2: beep and wave sound both tracks at once (beep as a fast\n"
        "                        arpeggio); 1: one voice; without it, as chosen in the\n"
        "                        program (midi always sounds both)\n"
        "  -h, --help            show this help\n"
        "  -V, --version         show the version\n"
        "\n"
        "An option's value may also follow an equals sign: --output=wave.\n");
}

QString CommandLine::versionText() {
    return QStringLiteral("Z1rpW3rk " Z1RPW3RK_VERSION "\n");
}

int CommandLine::runWithoutWindow(int argc, char* argv[]) const {
    switch (action) {
    case Action::Help:
        std::fputs(qPrintable(helpText()), stdout);
        return 0;
    case Action::Version:
        std::fputs(qPrintable(versionText()), stdout);
        return 0;
    case Action::Error:
        std::fprintf(stderr, "z1rpw3rk: %s\n", qPrintable(error));
        return 2;
    case Action::Window:
        return 0;
    case Action::Play:
    case Action::Render:
        break;
    }

    // The song and the settings load as they do for the window, with no window at all:
    // nothing is shown and nothing is asked.
    qInstallMessageHandler(quietToolkit);
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("Z1rpW3rk"));
    ConsolePrompts console;
    setPrompts(&console);
    int result = 1;
    try {
        Settings settings = SettingsStore::load();
        g_english = englishMessages(settings.language);
        // MIDI files name their tracks in that language too.
        settings.language = g_english ? 1 : 0;
        // The song and its file commands, as the window's, with nothing to ask or show.
        Song tune;
        SongFileView view;
        NoProgress progress;
        SongFiles files(tune, settings, view, progress);
        console.subject = song;
        files.midiFiles.setKeepShortLines(keepShortLines);
        files.open(song);
        if (console.failed)
            throw AppError(QString());
        if (action == Action::Render)
            refuseEmptyExport(tune);
        console.subject = action == Action::Render ? outFile : QString();
        const bool midiFile = action == Action::Render && suffixOf(outFile) == QLatin1String("mid");
        const bool songFile = action == Action::Render && suffixOf(outFile) == QLatin1String("zwk");
        if (!midiFile && !songFile && !BeepFormatActions::kindOf(outFile)) {
            chooseOutput(settings, output);
            if (voices != 0)
                settings.twoVoices = voices == 2;
        }
        const auto textKind = action == Action::Render ? BeepFormatActions::kindOf(outFile)
                                                       : std::nullopt;
        const auto warn = [&](const QString& text) {
            std::fprintf(stderr, "z1rpw3rk: %s\n", qPrintable(naming(text, outFile)));
        };
        if (action == Action::Render && PianoRollPainter::supports(outFile)) {
            PianoRollPainter::writePicture(tune, outFile);
            result = 0;
        } else if (songFile) {
            FileAccess::saveAll(outFile, files.songFiles.fileBytes());
            result = 0;
        } else if (midiFile) {
            QString warning;
            FileAccess::saveAll(outFile, files.midiFiles.exportBytes(&warning));
            if (!warning.isEmpty())
                warn(warning);
            result = 0;
        } else if (textKind) {
            const BeepFormatActions::Exported exported =
                files.beepFormats.writeFile(*textKind, outFile);
            if (*textKind == BeepFormatActions::Kind::Rtttl)
                std::printf("%s: durations rounded to note values, largest error %d ms\n",
                            qPrintable(QFileInfo(outFile).fileName()), exported.largestErrorMs);
            for (const QString& text : exported.notes)
                std::printf("%s: %s\n", qPrintable(QFileInfo(outFile).fileName()),
                            qPrintable(say(text)));
            for (const QString& text : exported.warnings)
                warn(text);
            result = 0;
        } else {
            const auto render = AudioExport::currentSettings(settings, settings.synthVolume);
            if (!render)
                throw AppError(AudioExport::noOutputMessage());
            OfflineRender lines(
                AudioExport::songLines(tune, &NoteTable::stored(), settings.twoVoices), *render);
            if (action == Action::Render) {
                lines.setNotice([](const QString& text) {
                    std::fprintf(stderr, "z1rpw3rk: %s\n", qPrintable(say(text)));
                });
                lines.writeFile(outFile, {});
                result = 0;
            } else {
                result = ConsolePlayer(lines, QFileInfo(song).fileName()).run();
            }
        }
    } catch (const AppError& e) {
        if (!e.message().isEmpty())
            std::fprintf(stderr, "z1rpw3rk: %s\n", qPrintable(naming(e.message(), console.subject)));
    } catch (const std::exception& e) {
        std::fprintf(stderr, "z1rpw3rk: %s\n",
                     qPrintable(naming(QString::fromLocal8Bit(e.what()), console.subject)));
    }
    setPrompts(nullptr);
    return result;
}
