// z1rpw3rk-peer: plays along with a Z1rpW3rk on another computer. Start "Multi-Beep" there
// (Extras, Ctrl+M), then run this with that computer's address; every Play there sends
// track 2 here, which this program plays while the other one plays track 1.

#include "audio/SoundDevice.h"
#include "net/MirrorPeer.h"
#include "net/MirrorServer.h"

#include <QCoreApplication>
#include <QStringList>

#include <cstdio>

namespace {

void say(const QString& text) {
    std::fprintf(stdout, "z1rpw3rk-peer: %s\n", qPrintable(text));
    std::fflush(stdout);
}

} // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("z1rpw3rk-peer"));
    const QStringList args = QCoreApplication::arguments().mid(1);
    const bool help = args.size() == 1 && (args[0] == QLatin1String("--help") ||
                                           args[0] == QLatin1String("-h"));
    if (help || args.size() != 1 || args[0].startsWith(QLatin1Char('-'))) {
        std::fprintf(help ? stdout : stderr,
                     "usage: z1rpw3rk-peer HOST[:PORT]   (port %d unless given)\n",
                     MirrorServer::kDefaultPort);
        if (help)
            std::printf(
                "\n"
                "Plays track 2 of every song that the Z1rpW3rk on HOST sends while its\n"
                "\"Multi-Beep\" is on (\"Extras\", Ctrl+M there), through this computer's sound\n"
                "output, while that computer plays track 1. Stop there stops it here.\n"
                "\n"
                "  HOST[:PORT]   the computer that runs Z1rpW3rk, by name or IP address, and\n"
                "                the port set on its settings page \"MulTiZ1rp\" (%d unless\n"
                "                given)\n"
                "  -h, --help    show this help\n"
                "\n"
                "It ends when the other side closes the connection (exit code 0) or the\n"
                "connection fails (exit code 1).\n",
                MirrorServer::kDefaultPort);
        return help ? 0 : 2;
    }
    QString host = args[0];
    int port = MirrorServer::kDefaultPort;
    if (const qsizetype colon = host.lastIndexOf(QLatin1Char(':'));
        colon > 0 && host.indexOf(QLatin1Char(':')) == colon) {
        bool ok = false;
        port = host.mid(colon + 1).toInt(&ok);
        if (!ok || port <= 0 || port > 65535) {
            std::fprintf(stderr, "z1rpw3rk-peer: '%s' is no port\n",
                         qPrintable(host.mid(colon + 1)));
            return 2;
        }
        host.truncate(colon);
    }

    SoundDevice::instance(); // opened now, so its note about missing sound comes first
    MirrorPeer peer;
    QObject::connect(&peer, &MirrorPeer::connected, [&] {
        say(QStringLiteral("connected to %1:%2, waiting for Play").arg(host).arg(port));
    });
    QObject::connect(&peer, &MirrorPeer::failed, [&](const QString& error) {
        say(QStringLiteral("%1:%2: %3").arg(host).arg(port).arg(error));
        QCoreApplication::exit(1);
    });
    QObject::connect(&peer, &MirrorPeer::disconnected, [] {
        say(QStringLiteral("the other side closed the connection"));
        QCoreApplication::exit(0);
    });
    QObject::connect(&peer, &MirrorPeer::messageHandled, [&](const QByteArray& message) {
        if (message.startsWith('P'))
            say(QStringLiteral("playing %1 tones").arg(peer.tones().size()));
        else if (message.startsWith('C') && !peer.isPlaying())
            say(QStringLiteral("stop"));
    });
    QObject::connect(&peer, &MirrorPeer::finished, [] { say(QStringLiteral("end of the song")); });
    peer.connectToServer(host, port);
    const int result = QCoreApplication::exec();
    SoundDevice::shutdown();
    return result;
}
