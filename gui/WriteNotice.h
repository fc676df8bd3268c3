#pragma once

#include <QObject>
#include <QTimer>

class QProgressBar;

/// Says where a save or an export wrote, in the caption of the progress bar for a few seconds,
/// without a box to click: the folder and the name, shortened in the middle to fit, and the
/// whole path as the bar's tool tip.
class WriteNotice final : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(WriteNotice)

public:
    static constexpr int kShownMs = 4000;

    WriteNotice(QProgressBar& bar, QObject* parent);

    void show(const QString& fileName);

private:
    void hide();

    QProgressBar& m_bar;
    QTimer m_timer;
};
