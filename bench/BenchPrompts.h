#pragma once

// Shared by the benchmarks that drive the window: questions answered without a dialog.

#include "base/Prompts.h"

#include <QDialog>
#include <QString>

#include <cstdio>
#include <optional>

/// Prompts that print every message and cancel every dialog; `input` answers the input box.
class QuietPrompts : public Prompts {
public:
    QString input;

    void showMessage(const QString& text) override {
        std::printf("message: %s\n", qPrintable(text));
    }
    Answer messageBox(const QString& text, const QString&, Icon, Buttons) override {
        showMessage(text);
        return Answer::Ok;
    }
    void showError(const QString& text) override { showMessage(text); }
    std::optional<QString> openFile(const FileDialog&) override { return std::nullopt; }
    std::optional<QString> saveFile(const FileDialog&) override { return std::nullopt; }
    std::optional<QString> inputBox(const QString&, const QString&, const QString&) override {
        if (input.isNull())
            return std::nullopt;
        return input;
    }
    int execModal(QDialog&) override { return QDialog::Rejected; }
};
