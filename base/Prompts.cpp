#include "base/Prompts.h"

#include <QFileInfo>
#include <QStringList>

#include <cstdio>

namespace {

/// Without windows (the command line) a message goes to stderr and a question is answered
/// as a cancelled dialog would be: nothing is replaced or chosen that nobody agreed to.
class ConsolePrompts final : public Prompts {
public:
    void showMessage(const QString& text) override { print(text); }
    Answer messageBox(const QString& text, const QString&, Icon, Buttons buttons) override {
        print(text);
        switch (buttons) {
        case Buttons::Ok:
            return Answer::Ok;
        case Buttons::YesNo:
            return Answer::No;
        case Buttons::OkCancel:
        case Buttons::YesNoCancel:
            break;
        }
        return Answer::Cancel;
    }
    void showError(const QString& text) override { print(text); }
    std::optional<QString> openFile(const FileDialog&) override { return std::nullopt; }
    std::optional<QString> saveFile(const FileDialog&) override { return std::nullopt; }
    std::optional<QString> inputBox(const QString&, const QString&, const QString&) override {
        return std::nullopt;
    }
    int execModal(QDialog&) override { return 0; }

private:
    static void print(const QString& text) {
        if (!text.isEmpty())
            std::fprintf(stderr, "z1rpw3rk: %s\n", qPrintable(text));
    }
};

ConsolePrompts g_consolePrompts;
Prompts* g_defaultPrompts = &g_consolePrompts;
Prompts* g_installed = nullptr;

} // namespace

std::optional<Prompts::SaveChoice> Prompts::saveFileOfType(const FileDialog& dialog) {
    FileDialog typed = dialog;
    typed.defaultExt.clear();
    const auto name = saveFile(typed);
    if (!name)
        return std::nullopt;
    return SaveChoice{*name, dialog.filterIndex};
}

Prompts::Answer Prompts::questionWithCheckBox(const QString& text, const QString& caption,
                                              const QString&, bool&) {
    return messageBox(text, caption, Icon::Question, Buttons::OkCancel);
}

Prompts& prompts() { return g_installed ? *g_installed : *g_defaultPrompts; }

void setPrompts(Prompts* prompts) { g_installed = prompts; }

void setDefaultPrompts(Prompts* prompts) {
    g_defaultPrompts = prompts ? prompts : &g_consolePrompts;
}

QString toQtFilter(const QString& filter) {
    const QStringList parts = filter.split(QLatin1Char('|'));
    QStringList entries;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        // Patterns match case-sensitively here, unlike on the platform the filters come from.
        QStringList patterns;
        for (const QString& pattern : parts[i + 1].split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
            for (const QString& variant : {pattern, pattern.toLower(), pattern.toUpper()})
                if (!patterns.contains(variant))
                    patterns.append(variant);
        }
        entries.append(QStringLiteral("%1 (%2)").arg(parts[i], patterns.join(QLatin1Char(' '))));
    }
    return entries.join(QStringLiteral(";;"));
}

QString replaceFileQuestion(const QString& fileName) {
    return QStringLiteral("Die Datei \"%1\" ist bereits vorhanden.\nSoll sie ersetzt werden?")
        .arg(QFileInfo(fileName).fileName());
}

bool mayReplaceFile(const QString& fileName) {
    if (!QFileInfo::exists(fileName))
        return true;
    return prompts().messageBox(replaceFileQuestion(fileName), QStringLiteral("Z1rpW3rk"),
                                Prompts::Icon::Warning,
                                Prompts::Buttons::YesNo) == Prompts::Answer::Yes;
}
