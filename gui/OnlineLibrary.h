#pragma once

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QStringList>

class FtpClient;
class LibraryConnection;
class ListBox;
class PanelCloseLabel;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTimer;
class TForm1;
class TForm6;

/// The main window's side of the online song library: the online list `Memo6` that slides in
/// below the song, the upload panel "Hochladen", the title animation, and the QUIT when the
/// window closes. The connection and its transfers are the `LibraryConnection`'s.
class OnlineLibrary final : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(OnlineLibrary)

public:
    /// Height the online list adds to the window; it grows by kListStep pixels per tick.
    static constexpr int kListReveal = 156;
    static constexpr int kListStep = 10;

    explicit OnlineLibrary(TForm1& form);
    ~OnlineLibrary() override;

    /// The library connection at program start: the chosen preset's credentials, the
    /// connection and the list, and the time it took, on the settings dialog's "OnlineDB" page.
    /// The settings dialog calls this once while it is created, after its settings are loaded.
    static void connectAtStart(TForm6& settings);

    /// The connection, the online list's names and the transfers.
    LibraryConnection* const connection;
    FtpClient* const IdFTP1;
    /// The online list: a view of the connection's names.
    ListBox* Memo6 = nullptr;
    QTimer* TimerFadeListe = nullptr;
    /// Client height of the window when the list was last shown.
    int ListBaseHeight = 0;

    QGroupBox* gbHochladen = nullptr;
    QLabel* Label7 = nullptr;
    QLineEdit* edDateiname = nullptr;
    QPushButton* bthochladen = nullptr;
    PanelCloseLabel* Label8 = nullptr;

    /// Connects with the window's FtpHost, FtpUser and FtpPassword, changes to the library
    /// folder and fetches the list. Raises an error when any step fails.
    void connectAndFetchList();
    /// Fetches "list.vrq" into the working directory; Memo6 shows its names.
    void fetchList();

    void ListderonlineDateien1Click();
    void TimerFadeListeTimer();
    void Memo6Click();
    void Hochladen1Click();
    void Label8Click();
    void bthochladenClick();
    /// Spells the product name in the caption from its stylised to its plain form and back.
    void AnimateTitle();
    /// The window closes: QUIT to the server and the connection closed (called by the main
    /// window's close handling before the settings are stored).
    void FormClose();
    /// The window was resized: while the online list is out, the song area keeps its height
    /// and the list stays where it was revealed.
    void FormResize();

    /// The nine captions of the title animation, without the version.
    static const QStringList& titleVariants();

private:
    void createListBox();
    void createUploadPanel();

    TForm1& m_form;
    /// The playback controls and the logo keep their place while the list is out.
    bool m_anchoredTop = false;
};
