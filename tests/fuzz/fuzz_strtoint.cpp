// Number conversion on any text, compared with a second reading of the same rules: blanks, a
// sign, decimal digits or "$"/"x"/"X"/"0x"/"0X" and up to 32 bits of hexadecimal digits.
// The first byte chooses how the rest becomes text (Latin-1, UTF-8 or UTF-16), so that
// characters beyond Latin-1 (other digits, other blanks) are tried too.

#include "FuzzCheck.h"
#include "base/Errors.h"
#include "base/StrToInt.h"

#include <QRegularExpression>

#include <cstddef>
#include <cstdint>

namespace {

QString textOf(const std::uint8_t* data, std::size_t size) {
    if (size == 0)
        return QString();
    const char* rest = reinterpret_cast<const char*>(data + 1);
    const qsizetype n = qsizetype(size - 1);
    switch (data[0] % 3) {
    case 0:
        return QString::fromLatin1(rest, n);
    case 1:
        return QString::fromUtf8(rest, n);
    default:
        return QString(reinterpret_cast<const QChar*>(rest), n / 2);
    }
}

/// The expected value, read with the library's own number parsing.
std::optional<int> expected(const QString& text) {
    static const QRegularExpression decimal(QStringLiteral("^ *([+-]?)([0-9]+)\\z"));
    static const QRegularExpression hex(
        QStringLiteral("^ *([+-]?)(?:\\$|x|X|0x|0X)([0-9a-fA-F]+)\\z"));
    if (const auto m = decimal.match(text); m.hasMatch()) {
        const QString digits = m.captured(2);
        // Leading zeros do not count toward the size of the number.
        const QString significant = digits.mid(digits.indexOf(QRegularExpression("[1-9]")));
        if (!digits.contains(QRegularExpression("[1-9]")))
            return 0;
        if (significant.size() > 10)
            return std::nullopt;
        long long value = significant.toLongLong();
        if (m.captured(1) == QLatin1String("-"))
            value = -value;
        if (value < -2147483648LL || value > 2147483647LL)
            return std::nullopt;
        return int(value);
    }
    if (const auto m = hex.match(text); m.hasMatch()) {
        QString digits = m.captured(2);
        while (digits.size() > 1 && digits.startsWith(QLatin1Char('0')))
            digits.remove(0, 1);
        if (digits.size() > 8)
            return std::nullopt;
        const auto bits = std::uint32_t(digits.toULongLong(nullptr, 16));
        const std::uint32_t value = m.captured(1) == QLatin1String("-") ? 0u - bits : bits;
        return int(std::int32_t(value));
    }
    return std::nullopt;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QString text = textOf(data, size);
    const std::optional<int> value = TryStrToInt(text);
    fuzzCheck(value == expected(text), "the value follows the rules");
    try {
        const int thrown = StrToInt(text);
        fuzzCheck(value && thrown == *value, "StrToInt gives the value");
    } catch (const EConvertError& error) {
        fuzzCheck(!value, "StrToInt fails only where there is no value");
        fuzzCheck(error.message() == QStringLiteral("'%1' ist kein gültiger Integerwert").arg(text),
                  "the error names the text");
    }
    if (value)
        fuzzCheck(TryStrToInt(IntToStr(*value)) == value, "the decimal text reads back");
    return 0;
}
