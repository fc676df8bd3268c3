#include "audio/SharedLibrary.h"

#include <cstdio>
#include <cstdlib>
#include <dlfcn.h>

SharedLibrary::SharedLibrary(const char* fileName, const char* override, const char* package)
    : m_package(package) {
    const char* chosen = std::getenv(override);
    m_fileName = QString::fromLocal8Bit(chosen && *chosen ? chosen : fileName);
    // RTLD_NOW: a library that cannot be bound fails here, never later on the audio thread.
    m_handle = ::dlopen(m_fileName.toLocal8Bit().constData(), RTLD_NOW | RTLD_LOCAL);
    if (!m_handle) {
        const char* error = ::dlerror();
        m_failure = QString::fromLocal8Bit(error ? error : "not found");
        std::fprintf(stderr, "z1rpw3rk: %s\n", qPrintable(m_failure));
    }
}

void* SharedLibrary::symbol(const char* name) {
    if (!m_handle)
        return nullptr;
    ::dlerror();
    void* address = ::dlsym(m_handle, name);
    if (!address && m_failure.isEmpty()) {
        m_failure = QStringLiteral("%1: %2 missing").arg(m_fileName, QLatin1String(name));
        std::fprintf(stderr, "z1rpw3rk: %s\n", qPrintable(m_failure));
    }
    return address;
}

QString SharedLibrary::missingText() const {
    // Short enough for a MIDI device's error text (127 characters).
    return QStringLiteral("Die Bibliothek %1 konnte nicht geladen werden; bitte das Paket %2 "
                          "installieren.")
        .arg(m_fileName, QLatin1String(m_package));
}
