#pragma once

#include <QAbstractButton>

namespace quorvel {

class ResourceBundle;

// One entry of the settings sidebar: the section's symbol and title, on the accent colour when selected.
class SettingsSidebarButton : public QAbstractButton {
    Q_OBJECT

public:
    // `symbol` names a Lucide SVG of the bundle; the section index is the button's tag.
    SettingsSidebarButton(const QString& title, const QString& symbol, int tag,
                          const ResourceBundle& resourceBundle, QWidget* parent = nullptr);

    int tag() const { return tag_; }
    const QString& symbol() const { return symbol_; }

    QSize sizeHint() const override { return {208, 32}; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString symbol_;
    int tag_;
    const ResourceBundle& resourceBundle_;
};

} // namespace quorvel
