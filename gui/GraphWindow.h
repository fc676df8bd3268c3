#pragma once

#include <QLine>
#include <QList>
#include <QSize>
#include <QStringList>
#include <QWidget>

class TForm1;

/// The graph window: track 1 drawn as a piano roll, one thick horizontal stroke per tone,
/// its height the frequency, its extent the time span, scaled to fill the window.
/// The window keeps its last drawing and shows it whenever it repaints; resizing does not
/// draw anew, the next "Graphische Ausgabe" draws at the new size. Every tone, the highest
/// included, lies within the window.
class TForm5 final : public QWidget {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TForm5)

public:
    explicit TForm5(TForm1& mainWindow, QWidget* parent = nullptr);

    /// Client size giving the window's outer size of 1036 × 450 with its frame and title.
    static constexpr QSize kClientSize{1036 - 16, 450 - 34};
    static constexpr int kPenWidth = 3;
    /// Distance of the highest and the lowest tone from the top and the bottom edge.
    static constexpr int kEdge = 5;

    /// The strokes of a song's track 1 (frequencies, durations) in a client area of the given
    /// size. Raises "Gleitkommadivision durch Null" when all durations add up to 0 or all
    /// frequencies are equal, and the conversion or list error of a bad or missing value.
    /// An empty song has no strokes.
    static QList<QLine> strokesFor(const QStringList& frequencies, const QStringList& durations,
                                   QSize client);

    /// The strokes the window shows: those of the last drawing.
    const QList<QLine>& strokes() const { return m_strokes; }

    /// "Graphische Ausgabe": show the window in front, then draw.
    void GraphischeAusgabe1Click();
    /// Draws the main window's track 1 at the current size. On an error the window keeps
    /// the picture it had.
    void draw();

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    TForm1& m_main;
    QList<QLine> m_strokes;
};
