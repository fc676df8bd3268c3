#pragma once

#include <QString>

#include <optional>

/// The text of the settings dialog's "Info" page.
class InfoText {
public:
    /// The program's own text: banner, version, shortcuts, the mirror, the library server and
    /// the command-line peer; in German or English.
    static QString builtIn(bool english = false);
    /// The contents of "readme.nfo" in the working directory, when it can be read. A file
    /// that is not UTF-8 is read as Latin-1, the usual encoding of such files besides CP437.
    static std::optional<QString> readmeNfo();
};
