#pragma once

class ListBox;
class TForm1;

/// "Geschwindigkeit ändern..." and "Tonhöhe ändern...": rewrite a whole song's durations by a
/// percentage, or its frequencies by a percentage or by whole octaves along the note table.
class SpeedPitchChange final {
public:
    /// Connects the menu items of the main window.
    explicit SpeedPitchChange(TForm1& mainWindow);
    SpeedPitchChange(const SpeedPitchChange&) = delete;
    SpeedPitchChange& operator=(const SpeedPitchChange&) = delete;

    void Geschwindigkeitndern1Click();
    void Oktavendern1Click();

private:
    void changeByPercent(int percent, bool trackOne, bool trackTwo);
    void changeByOctaves(int octaves, bool trackOne, bool trackTwo);

    TForm1& m_main;
};
