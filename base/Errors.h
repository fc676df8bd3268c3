#pragma once

#include <QString>

#include <stdexcept>

/// An error of the program whose text is shown to the user exactly as it stands.
/// Operations throw it and stop; the guard at the handler boundary shows the text.
class AppError : public std::runtime_error {
public:
    explicit AppError(const QString& message);
    /// The text for the user, exactly as it was raised.
    QString message() const { return m_message; }

private:
    QString m_message;
};

/// A text that is not a whole number: "'%s' ist kein gültiger Integerwert".
class EConvertError : public AppError {
public:
    explicit EConvertError(const QString& text);
};

/// A list item read or written out of range: "Listenindex überschreitet das Maximum (%d)".
class EListError : public AppError {
public:
    explicit EListError(int index);
};

/// Integer division by zero: "Division durch Null".
class EDivByZero : public AppError {
public:
    EDivByZero();
};

/// Real division by zero: "Gleitkommadivision durch Null".
class EZeroDivide : public AppError {
public:
    EZeroDivide();
};

/// A failed file operation, with the German text of its error code.
class EInOutError : public AppError {
public:
    /// Codes as the file system reports them: 2 not found, 3 bad name, 5 access denied,
    /// 8/39 out of space; any other code gives "E/A-Fehler %d".
    explicit EInOutError(int code);
    /// The same failure with another text (one that names the file, for example).
    EInOutError(int code, const QString& message);
    int code() const { return m_code; }

    static QString textFor(int code);

private:
    int m_code;
};
