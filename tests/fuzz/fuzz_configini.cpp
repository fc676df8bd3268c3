// Config.ini on any bytes, then the settings store's keys written into it: the bytes up to the
// first byte 1 are the file as found; each part after a byte 1 is one write, its first byte
// choosing the key and the rest giving the value (text, 0/1 or a number, as the key holds).
// Read back from the file, every written key gives the value written (a text as the reading
// rules leave it), every other key keeps the value it had, and writing the same values again,
// each at once, leaves the file's bytes as they are.

#include "FuzzCheck.h"
#include "settings/IniFile.h"
#include "settings/SettingsStore.h"

#include <QFile>
#include <QTemporaryDir>

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <optional>

namespace {

struct Write {
    const SettingKey* key;
    QString text;   ///< for text keys
    int number = 0; ///< for the others: 0/1 or a number
};

bool isText(const SettingKey& key) {
    return key.kind == SettingKind::Text;
}

bool isFlag(const SettingKey& key) {
    return key.kind == SettingKind::Check || key.kind == SettingKind::MenuCheck;
}

Write writeOf(const QByteArray& part) {
    const QList<SettingKey>& keys = SettingsStore::keys();
    const SettingKey& key = keys[part.isEmpty() ? 0 : std::uint8_t(part[0]) % keys.size()];
    const QByteArray rest = part.mid(1);
    Write write{&key, {}, 0};
    if (isText(key)) {
        write.text = QString::fromUtf8(rest);
    } else if (isFlag(key)) {
        write.number = !rest.isEmpty() && (rest[0] & 1);
    } else {
        std::uint32_t bits = 0;
        std::memcpy(&bits, rest.constData(), size_t(qMin<qsizetype>(rest.size(), 4)));
        write.number = int(std::int32_t(bits));
    }
    return write;
}

void apply(IniFile& file, const Write& write) {
    const SettingKey& key = *write.key;
    if (isText(key))
        file.writeString(key.section, key.key, write.text);
    else if (isFlag(key))
        file.writeBool(key.section, key.key, write.number != 0);
    else
        file.writeInteger(key.section, key.key, write.number);
}

/// What reading gives for a written value: one line, without the blanks around it, at most
/// the longest value.
QString asRead(const Write& write) {
    if (!isText(*write.key))
        return QString::number(write.number);
    QString flat = write.text;
    flat.replace(QLatin1Char('\r'), QLatin1Char(' ')).replace(QLatin1Char('\n'), QLatin1Char(' '));
    return flat.trimmed().left(IniFile::kMaxValueLength).trimmed();
}

const QString kMissing = QStringLiteral("\x01missing");

QList<QString> readAll(const QString& path) {
    const IniFile file(path);
    QList<QString> values;
    for (const SettingKey& key : SettingsStore::keys())
        values.append(file.readString(key.section, key.key, kMissing));
    return values;
}

QByteArray bytesOf(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Config.ini"));
    const QList<QByteArray> parts =
        QByteArray(reinterpret_cast<const char*>(data), qsizetype(size)).split('\x01');
    {
        QFile file(path);
        fuzzCheck(file.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
                      file.write(parts[0]) == parts[0].size(),
                  "the test file can be written");
    }
    QList<QString> expected = readAll(path);
    QList<Write> writes;
    for (qsizetype i = 1; i < parts.size() && i <= 16; ++i)
        writes.append(writeOf(parts[i]));

    const QList<SettingKey>& keys = SettingsStore::keys();
    {
        // As the settings store writes: all keys into the copy, then the file once.
        IniFile file(path, IniFile::Writes::OnSave);
        for (const Write& write : writes) {
            apply(file, write);
            expected[write.key - keys.constData()] = asRead(write);
        }
        file.save();
    }
    fuzzCheck(readAll(path) == expected, "the file reads back as written");

    if (!writes.isEmpty()) {
        const QByteArray before = bytesOf(path);
        {
            IniFile file(path);
            for (const Write& write : writes)
                apply(file, write);
        }
        fuzzCheck(bytesOf(path) == before, "writing the same values again changes nothing");
    }
    return 0;
}
