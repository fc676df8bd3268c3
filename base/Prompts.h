#pragma once

#include <QString>

#include <optional>

class QDialog;
class QWidget;

/// Every modal question of the program goes through this seam: message boxes, the error
/// display, file dialogs, the input box and modal windows. The program uses the real dialogs;
/// tests install a scripted implementation.
class Prompts {
public:
    enum class Icon { None, Information, Warning, Error, Question };
    enum class Buttons { Ok, YesNo, OkCancel, YesNoCancel };
    enum class Answer { Ok, Cancel, Yes, No };

    struct FileDialog {
        QString title;
        QString filter;     ///< "Description|*.ext" pairs, as the program's dialogs name them
        QString defaultExt; ///< appended when the chosen name has no extension, e.g. ".zwk"
        QString initialDir;
        QString fileName;
        bool mustExist = true;        ///< open: only an existing file may be chosen
        bool confirmOverwrite = true; ///< save: ask before replacing an existing file
        int filterIndex = 0;          ///< the type (filter pair, from 0) chosen at first
    };
    /// What a save dialog with a list of types gives back.
    struct SaveChoice {
        QString fileName;
        int filterIndex = 0; ///< the type the user chose
    };

    virtual ~Prompts() = default;

    /// A plain message with the application title as caption (ShowMessage).
    virtual void showMessage(const QString& text) = 0;
    /// A message box with caption, icon and buttons; a warning or error icon sounds the
    /// system warning sound.
    virtual Answer messageBox(const QString& text, const QString& caption, Icon icon,
                              Buttons buttons = Buttons::Ok) = 0;
    /// A question (OK / Abbrechen) with a check box below it, checked as @p checked is at
    /// first; @p checked receives its state. Prompts without check boxes ask the plain question.
    virtual Answer questionWithCheckBox(const QString& text, const QString& caption,
                                        const QString& checkText, bool& checked);
    /// The application's general error display for an error no operation handled.
    virtual void showError(const QString& text) = 0;
    /// The chosen file name, or nothing when the user cancelled.
    virtual std::optional<QString> openFile(const FileDialog& dialog) = 0;
    virtual std::optional<QString> saveFile(const FileDialog& dialog) = 0;
    /// The save dialog that also tells which type the user chose; the name is returned as
    /// typed, without a default extension. Prompts that know no types keep the first one.
    virtual std::optional<SaveChoice> saveFileOfType(const FileDialog& dialog);
    /// The input box: the entered text, or nothing when cancelled.
    virtual std::optional<QString> inputBox(const QString& caption, const QString& prompt,
                                            const QString& defaultText) = 0;
    /// Shows a window modally and returns its result code.
    virtual int execModal(QDialog& dialog) = 0;
};

/// The prompts in force: those a test installed, else the default ones (the program's real
/// dialogs once the windows exist; without them, messages on stderr and every question
/// answered as cancelled).
Prompts& prompts();
/// Installs other prompts (nullptr restores the default ones). Not owned.
void setPrompts(Prompts* prompts);
/// Sets the default prompts (nullptr: the ones without windows). Not owned.
void setDefaultPrompts(Prompts* prompts);

/// Turns a "Description|*.ext|..." filter into the toolkit's "Description (*.ext);;..." form.
QString toQtFilter(const QString& filter);

/// "Die Datei "lied.zwk" ist bereits vorhanden. Soll sie ersetzt werden?"
QString replaceFileQuestion(const QString& fileName);
/// Asks (Ja / Nein) before a file that exists is replaced; true when it may be written.
bool mayReplaceFile(const QString& fileName);
