#pragma once

#include <QLabel>

/// The "X" in the top right corner of a side panel: a label that reports a click.
class PanelCloseLabel final : public QLabel {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(PanelCloseLabel)

public:
    explicit PanelCloseLabel(QWidget* parent = nullptr);

signals:
    void clicked();

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;
};
