#include "base/Errors.h"
#include "settings/IniFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

namespace {

QByteArray readBytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writeBytes(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

} // namespace

class TestIniFile : public QObject {
    Q_OBJECT

private slots:
    void readString_data() {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QString>("section");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("expected");
        const QByteArray file =
            "[Anzeige]\r\nBlinkeffekt=1\r\n[OnlineDB]\r\nAdresse=  host.lan  \r\n";
        QTest::newRow("as written") << file << "OnlineDB"
                                    << "Adresse"
                                    << "host.lan";
        QTest::newRow("names without case") << file << "onlinedb"
                                            << "ADRESSE"
                                            << "host.lan";
        QTest::newRow("missing key") << file << "OnlineDB"
                                     << "User"
                                     << "default";
        QTest::newRow("missing section") << file << "Klavier"
                                         << "Adresse"
                                         << "default";
        QTest::newRow("key of another section") << file << "Anzeige"
                                                << "Adresse"
                                                << "default";
        QTest::newRow("blanks around name")
            << QByteArray("  [ BMM ]  \n  Info  =  x y  \n") << "BMM"
            << "Info"
            << "x y";
        QTest::newRow("line feeds only") << QByteArray("[A]\nk=v\n[B]\nk=w") << "B"
                                         << "k"
                                         << "w";
        QTest::newRow("empty value") << QByteArray("[A]\nk=\n") << "A"
                                     << "k"
                                     << "";
        QTest::newRow("equals sign in value") << QByteArray("[A]\nk=a=b\n") << "A"
                                              << "k"
                                              << "a=b";
        QTest::newRow("first of two sections") << QByteArray("[A]\nk=1\n[B]\n[a]\nk=2\n") << "A"
                                               << "k"
                                               << "1";
        QTest::newRow("first of two keys") << QByteArray("[A]\nk=1\nK=2\n") << "A"
                                           << "k"
                                           << "1";
        QTest::newRow("longest value") << "[A]\nk=" + QByteArray(3000, 'x') + "\n"
                                       << "A"
                                       << "k" << QString(2047, 'x');
        QTest::newRow("UTF-8") << QByteArray("[A]\nk=Größe\n") << "A"
                               << "k"
                               << "Größe";
        QTest::newRow("Latin-1") << QByteArray("[A]\nk=Gr\xf6\xdf"
                                               "e\n")
                                 << "A"
                                 << "k"
                                 << "Größe";
        QTest::newRow("file too large") << "[A]\nk=v\n" + QByteArray(IniFile::kMaxFileSize, ';')
                                        << "A"
                                        << "k"
                                        << "default";
    }
    void readString() {
        QFETCH(QByteArray, content);
        QFETCH(QString, section);
        QFETCH(QString, key);
        QFETCH(QString, expected);
        QTemporaryDir dir;
        const QString path = dir.filePath("Config.ini");
        writeBytes(path, content);
        QCOMPARE(IniFile(path).readString(section, key, "default"), expected);
    }

    void readInteger_data() {
        QTest::addColumn<QString>("value");
        QTest::addColumn<int>("expected");
        QTest::newRow("decimal") << "1337" << 1337;
        QTest::newRow("negative") << "-12" << -12;
        QTest::newRow("blanks") << "   80   " << 80;
        QTest::newRow("0x") << "0x539" << 1337;
        QTest::newRow("0X") << "0X539" << 1337;
        QTest::newRow("0x alone") << "0x" << -1;
        QTest::newRow("dollar") << "$10" << 16;
        QTest::newRow("letters after digits") << "12ab" << -1;
        QTest::newRow("empty") << "" << -1;
        QTest::newRow("too large") << "4294967296" << -1;
        QTest::newRow("largest") << "2147483647" << 2147483647;
        QTest::newRow("real") << "1.5" << -1;
    }
    void readInteger() {
        QFETCH(QString, value);
        QFETCH(int, expected);
        QTemporaryDir dir;
        const QString path = dir.filePath("Config.ini");
        writeBytes(path, "[S]\r\nk=" + value.toUtf8() + "\r\n");
        QCOMPARE(IniFile(path).readInteger("S", "k", -1), expected);
    }

    void readBool_data() {
        QTest::addColumn<QString>("value");
        QTest::addColumn<bool>("defaultValue");
        QTest::addColumn<bool>("expected");
        QTest::newRow("1") << "1" << false << true;
        QTest::newRow("0") << "0" << true << false;
        QTest::newRow("any non-zero") << "-3" << false << true;
        QTest::newRow("hexadecimal") << "0x10" << false << true;
        QTest::newRow("text keeps default true") << "ja" << true << true;
        QTest::newRow("text keeps default false") << "true" << false << false;
    }
    void readBool() {
        QFETCH(QString, value);
        QFETCH(bool, defaultValue);
        QFETCH(bool, expected);
        QTemporaryDir dir;
        const QString path = dir.filePath("Config.ini");
        writeBytes(path, "[S]\nk=" + value.toUtf8() + "\n");
        QCOMPARE(IniFile(path).readBool("S", "k", defaultValue), expected);
    }

    void missingFileGivesDefaults() {
        QTemporaryDir dir;
        const IniFile file(dir.filePath("Config.ini"));
        QCOMPARE(file.readString("A", "k", "d"), QString("d"));
        QCOMPARE(file.readInteger("A", "k", 1337), 1337);
        QCOMPARE(file.readBool("A", "k", true), true);
        // A folder of that name reads like no file.
        QVERIFY(QDir(dir.path()).mkdir("Folder.ini"));
        QCOMPARE(IniFile(dir.filePath("Folder.ini")).readInteger("A", "k", 7), 7);
    }

    void write_data() {
        QTest::addColumn<QByteArray>("before");
        QTest::addColumn<QString>("section");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("value");
        QTest::addColumn<QByteArray>("after");
        QTest::newRow("new file") << QByteArray() << "Anzeige"
                                  << "Background"
                                  << "1" << QByteArray("[Anzeige]\r\nBackground=1\r\n");
        QTest::newRow("replaced in place") << QByteArray("[A]\r\nx=1\r\nk=old\r\ny=2\r\n") << "A"
                                           << "k"
                                           << "new" << QByteArray("[A]\r\nx=1\r\nk=new\r\ny=2\r\n");
        QTest::newRow("replaced without regard to case") << QByteArray("[a]\r\nK=old\r\n") << "A"
                                                         << "k"
                                                         << "new" << QByteArray("[a]\r\nk=new\r\n");
        QTest::newRow("new key at end of its section")
            << QByteArray("[A]\r\nx=1\r\n\r\n[B]\r\ny=2\r\n") << "A"
            << "z"
            << "3" << QByteArray("[A]\r\nx=1\r\nz=3\r\n\r\n[B]\r\ny=2\r\n");
        QTest::newRow("new key in the last section")
            << QByteArray("[A]\r\nx=1\r\n[B]\r\ny=2\r\n") << "B"
            << "z"
            << "3" << QByteArray("[A]\r\nx=1\r\n[B]\r\ny=2\r\nz=3\r\n");
        QTest::newRow("new section at the end")
            << QByteArray("[A]\r\nx=1\r\n") << "C"
            << "k"
            << "v" << QByteArray("[A]\r\nx=1\r\n[C]\r\nk=v\r\n");
        QTest::newRow("unknown lines kept")
            << QByteArray("; note\r\n[Fremd]\r\nwas=immer\r\nohne Gleichheitszeichen\r\n")
            << "Fremd"
            << "neu"
            << "1"
            << QByteArray("; note\r\n[Fremd]\r\nwas=immer\r\nohne Gleichheitszeichen\r\nneu=1\r\n");
        QTest::newRow("line feeds become CR LF") << QByteArray("[A]\nx=1\n") << "A"
                                                 << "x"
                                                 << "2" << QByteArray("[A]\r\nx=2\r\n");
        QTest::newRow("file without final line end") << QByteArray("[A]\r\nx=1") << "A"
                                                     << "y"
                                                     << "2" << QByteArray("[A]\r\nx=1\r\ny=2\r\n");
        QTest::newRow("line break in value stays one line")
            << QByteArray() << "A"
            << "k"
            << "a\r\nb=c" << QByteArray("[A]\r\nk=a  b=c\r\n");
        QTest::newRow("UTF-8 value") << QByteArray() << "A"
                                     << "k"
                                     << "Größe" << QByteArray("[A]\r\nk=Größe\r\n");
        const QByteArray huge = "[A]\r\n" + QByteArray(IniFile::kMaxFileSize, ';');
        QTest::newRow("file too large is left as it is") << huge << "A"
                                                         << "k"
                                                         << "v" << huge;
    }
    void write() {
        QFETCH(QByteArray, before);
        QFETCH(QString, section);
        QFETCH(QString, key);
        QFETCH(QString, value);
        QFETCH(QByteArray, after);
        QTemporaryDir dir;
        const QString path = dir.filePath("Config.ini");
        if (!before.isNull())
            writeBytes(path, before);
        IniFile file(path);
        file.writeString(section, key, value);
        QCOMPARE(readBytes(path), after);
    }

    void writtenValuesReadBack_data() {
        QTest::addColumn<int>("number");
        QTest::newRow("zero") << 0;
        QTest::newRow("negative") << -1;
        QTest::newRow("smallest") << int(0x80000000);
        QTest::newRow("largest") << 0x7fffffff;
    }
    void writtenValuesReadBack() {
        QFETCH(int, number);
        QTemporaryDir dir;
        IniFile file(dir.filePath("Config.ini"));
        file.writeInteger("S", "n", number);
        file.writeBool("S", "b", number != 0);
        QCOMPARE(file.readInteger("S", "n", 42), number);
        QCOMPARE(file.readBool("S", "b", number == 0), number != 0);
        QCOMPARE(file.readString("S", "b", ""), QString(number != 0 ? "1" : "0"));
    }

    void createdFileIsPrivate() {
        QTemporaryDir dir;
        const QString path = dir.filePath("sub/Config.ini");
        IniFile(path).writeString("OnlineDB", "Passwort", "geheim");
        const QFileInfo info(path);
        QVERIFY(info.exists());
        QCOMPARE(info.permissions() & (QFileDevice::ReadGroup | QFileDevice::ReadOther |
                                       QFileDevice::WriteGroup | QFileDevice::WriteOther),
                 QFileDevice::Permissions());
        QVERIFY(info.permissions() & QFileDevice::ReadOwner);
    }

    void unwritable_data() {
        QTest::addColumn<QString>("kind");
        QTest::newRow("folder in place of the file") << "folder";
        QTest::newRow("file in place of the folder") << "parent file";
        QTest::newRow("read-only file system") << "proc";
    }
    void unwritable() {
        QFETCH(QString, kind);
        QTemporaryDir dir;
        QString path;
        QByteArray before;
        if (kind == "folder") {
            path = dir.filePath("Config.ini");
            QVERIFY(QDir(dir.path()).mkdir("Config.ini"));
        } else if (kind == "parent file") {
            writeBytes(dir.filePath("plain"), "x");
            path = dir.filePath("plain/Config.ini");
        } else {
            // Not even the administrator can create a file here: the old file stays whole.
            path = "/proc/version";
            before = readBytes(path);
            if (before.isEmpty())
                QSKIP("no /proc on this system");
        }
        IniFile file(path);
        try {
            file.writeInteger("MulTiZ1rp", "Port", 1337);
            QFAIL("the write did not fail");
        } catch (const AppError& error) {
            QCOMPARE(error.message(), QString("In %1 kann nicht geschrieben werden").arg(path));
        }
        if (!before.isEmpty())
            QCOMPARE(readBytes(path), before);
    }
};

QTEST_GUILESS_MAIN(TestIniFile)
#include "tst_inifile.moc"
