#pragma once

class TForm1;

/// The whole-track commands of the "Bearbeiten" menu: exchange the tracks, copy one track's
/// frequencies onto the other ("Dual-Spur"), silence a track ("Spur Löschen"). None changes
/// the number of lines.
class TrackOperations final {
public:
    /// Connects the menu items of the main window.
    explicit TrackOperations(TForm1& mainWindow);
    TrackOperations(const TrackOperations&) = delete;
    TrackOperations& operator=(const TrackOperations&) = delete;

    void Spurentauschen1Click();
    void Spur11Click();
    void Spur21Click();
    void Spur12Click();
    void Spur22Click();

private:
    TForm1& m_main;
};
