#include "base/Errors.h"

AppError::AppError(const QString& message)
    : std::runtime_error(message.toStdString()), m_message(message) {}

EConvertError::EConvertError(const QString& text)
    : AppError(QStringLiteral("'%1' ist kein gültiger Integerwert").arg(text)) {}

EListError::EListError(int index)
    : AppError(QStringLiteral("Listenindex überschreitet das Maximum (%1)").arg(index)) {}

EDivByZero::EDivByZero() : AppError(QStringLiteral("Division durch Null")) {}

EZeroDivide::EZeroDivide() : AppError(QStringLiteral("Gleitkommadivision durch Null")) {}

EInOutError::EInOutError(int code) : AppError(textFor(code)), m_code(code) {}

EInOutError::EInOutError(int code, const QString& message) : AppError(message), m_code(code) {}

QString EInOutError::textFor(int code) {
    switch (code) {
    case 2:
        return QStringLiteral("Datei nicht gefunden");
    case 3:
        return QStringLiteral("Ungültiger Dateiname");
    case 5:
        return QStringLiteral("Dateizugriff verweigert");
    case 8:
    case 39:
        return QStringLiteral("Zu wenig Speicherplatz");
    default:
        return QStringLiteral("E/A-Fehler %1").arg(code);
    }
}
