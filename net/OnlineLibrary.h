#pragma once

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QStringList>

class FtpClient;
class ListBox;
class PanelCloseLabel;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTimer;
class TForm1;
class TForm6;

/// The main window's side of the online song library: the one FTP connection `IdFTP1`, the
/// online list `Memo6` that slides in below the song, the upload panel "Hochladen", the title
/// animation, and the QUIT when the window closes.
///
/// The library folder on the server holds "list.vrq" and the songs; downloaded and uploaded
/// files are kept in the working directory under the song's name.
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

    FtpClient* IdFTP1 = nullptr;
    ListBox* Memo6 = nullptr;
    QTimer* TimerFadeListe = nullptr;
    /// Client height of the window when the list was last shown.
    int ListBaseHeight = 0;

    QGroupBox* gbHochladen = nullptr;
    QLabel* Label7 = nullptr;
    QLineEdit* edDateiname = nullptr;
    QPushButton* bthochladen = nullptr;
    PanelCloseLabel* Label8 = nullptr;
    /// Receives the lines of the song being uploaded. Never shown, so it is a plain list of
    /// lines: a text control would lay out 100,000 lines for nothing.
    QStringList Memo5;

    /// Connects with the window's FtpHost, FtpUser and FtpPassword, changes to the library
    /// folder and fetches the list. Raises an error when any step fails.
    void connectAndFetchList();
    /// Fetches "list.vrq" into the working directory and shows its names in Memo6.
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
    void showRefusedName();
    void upload(const QString& name);
    /// The bytes of Memo6's entry @p index as the list holds them.
    QByteArray entryBytes(int index) const;
    void syncEntries();

    TForm1& m_form;
    /// Memo6's entries with the bytes they have in "list.vrq": a name that is not UTF-8 is
    /// requested and written back exactly as the list holds it.
    QList<QByteArray> m_entries;
    /// The playback controls and the logo keep their place while the list is out.
    bool m_anchoredTop = false;
};
