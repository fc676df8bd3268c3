#include "gui/WriteNotice.h"

#include "gui/UiLanguage.h"

#include <QDir>
#include <QFileInfo>
#include <QProgressBar>

#include <algorithm>

WriteNotice::WriteNotice(QProgressBar& bar, QObject* parent) : QObject(parent), m_bar(bar) {
    m_timer.setSingleShot(true);
    m_timer.setInterval(kShownMs);
    connect(&m_timer, &QTimer::timeout, this, &WriteNotice::hide);
}

void WriteNotice::show(const QString& fileName) {
    QString path = QDir::toNativeSeparators(QFileInfo(fileName).absoluteFilePath());
    const QString home = QDir::toNativeSeparators(QDir::homePath());
    QString shortPath = path;
    if (home.size() > 1 && path.startsWith(home + QDir::separator()))
        shortPath = QLatin1Char('~') + path.mid(home.size());
    const QString text = UiLanguage::text(QStringLiteral("Gespeichert: %1")).arg(shortPath);
    m_bar.setFormat(
        m_bar.fontMetrics().elidedText(text, Qt::ElideMiddle, std::max(0, m_bar.width() - 10)));
    m_bar.setToolTip(path);
    m_bar.setTextVisible(true);
    m_timer.start();
}

void WriteNotice::hide() {
    m_bar.setTextVisible(false);
    m_bar.setFormat(QStringLiteral("%p%"));
    m_bar.setToolTip(QString());
}
