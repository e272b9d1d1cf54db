#pragma once

#include <QWidget>

namespace quorvel {

// A horizontal 1-point line in the separator colour.
class SeparatorLine : public QWidget {
    Q_OBJECT

public:
    explicit SeparatorLine(QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;
};

} // namespace quorvel
