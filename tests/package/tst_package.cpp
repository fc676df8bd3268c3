#include <QDir>
#include <QProcess>
#include <QRegularExpression>
#include <QFile>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

namespace {

QString run(const QString& program, const QStringList& arguments, const QString& dir = {}) {
    QProcess process;
    process.setWorkingDirectory(dir);
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(program, arguments);
    if (!process.waitForFinished(240'000))
        return QStringLiteral("timed out: %1").arg(program);
    return QString::fromUtf8(process.readAll());
}

} // namespace

/// The Debian package as cpack builds it: its files and what lintian says about it.
class TestPackage : public QObject {
    Q_OBJECT

    QTemporaryDir m_out;
    QString m_deb;
    QString m_files;

private slots:
    void initTestCase() {
        const QString log = run(QStringLiteral(Z1RPW3RK_CPACK),
                                {"-G", "DEB", "-B", m_out.path()}, QStringLiteral(Z1RPW3RK_BUILD_DIR));
        const QStringList debs = QDir(m_out.path()).entryList({"*.deb"}, QDir::Files);
        QVERIFY2(debs.size() == 1, qPrintable(log));
        m_deb = QDir(m_out.path()).filePath(debs.first());
        m_files = run(QStringLiteral("dpkg-deb"), {"--contents", m_deb});
    }

    void holds_data() {
        QTest::addColumn<QString>("file");
        for (const char* file :
             {"usr/bin/z1rpw3rk", "usr/bin/z1rpw3rk-peer", "usr/bin/z1rpw3rk-library-server",
              "usr/share/man/man1/z1rpw3rk.1.gz", "usr/share/man/man1/z1rpw3rk-peer.1.gz",
              "usr/share/man/man1/z1rpw3rk-library-server.1.gz",
              "usr/share/doc/z1rpw3rk/copyright", "usr/share/doc/z1rpw3rk/changelog.gz",
              "usr/share/applications/org.z1rpw3rk.Z1rpW3rk.desktop",
              "usr/share/mime/packages/z1rpw3rk.xml"})
            QTest::newRow(file) << QString::fromLatin1(file);
    }
    void holds() {
        QFETCH(QString, file);
        QVERIFY2(m_files.contains(QStringLiteral(" ./") + file + QLatin1Char('\n')),
                 qPrintable(m_files));
    }

    void desktopEntryOpensEverySongFile() {
        // Every type the package defines, and MIDI files, open with the program.
        const QString source = QStringLiteral(Z1RPW3RK_SOURCE_DIR "/resources/desktop/");
        QFile entry(source + "org.z1rpw3rk.Z1rpW3rk.desktop");
        QVERIFY(entry.open(QIODevice::ReadOnly));
        static const QRegularExpression mimeLine(QStringLiteral("^MimeType=(.*)$"),
                                                 QRegularExpression::MultilineOption);
        const QStringList opens =
            mimeLine.match(QString::fromUtf8(entry.readAll())).captured(1).split(';');
        QFile mime(source + "z1rpw3rk.xml");
        QVERIFY(mime.open(QIODevice::ReadOnly));
        QStringList types = {"audio/midi"};
        static const QRegularExpression defined(QStringLiteral("<mime-type type=\"([^\"]+)\""));
        for (const auto& match : defined.globalMatch(QString::fromUtf8(mime.readAll())))
            types.append(match.captured(1));
        QCOMPARE(types.size(), 4); // .zwk, .bmm, RTTTL and MIDI
        for (const QString& type : types)
            QVERIFY2(opens.contains(type), qPrintable(type));
    }

    void lintianFindsNoFault() {
        const QString lintian = QStandardPaths::findExecutable(QStringLiteral("lintian"));
        if (lintian.isEmpty())
            QSKIP("lintian is not installed (Debian package lintian)");
        const QString report = run(lintian, {"--tag-display-limit", "0", m_deb});
        QStringList faults;
        for (const QString& line : report.split(QLatin1Char('\n')))
            if (line.startsWith(QLatin1String("E: ")) || line.startsWith(QLatin1String("W: ")))
                faults.append(line);
        QVERIFY2(faults.isEmpty(), qPrintable(faults.join(QLatin1Char('\n'))));
    }
};

QTEST_MAIN(TestPackage)
#include "tst_package.moc"
