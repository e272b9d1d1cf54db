#pragma once

#include "Model/LightState.h"
#include "Platform/SystemColours.h"

#include <QtGlobal>
#include <optional>

class QAction;

namespace quorvel {

// What a row's image was drawn from. An image is drawn again only when this changes, so that a refresh
// that leaves a row as it was sends no new icon to the menu (nor to a tray host that shows it).
struct RowImageKey {
    std::optional<TaskProvider> provider;
    bool isOrcaTask = false;
    std::optional<LightState> state;
    Appearance appearance = Appearance::light;
    qreal devicePixelRatio = 1;

    bool operator==(const RowImageKey&) const = default;
};

// One of the 30 pre-built task rows of the menu: the task's title, its detail line and a separator.
struct TaskMenuRow {
    QAction* title = nullptr;
    QAction* detail = nullptr;
    QAction* divider = nullptr;
    std::optional<RowImageKey> titleImage;
    std::optional<RowImageKey> detailImage;
};

// A row whose task is working: its icon pulses with the amber lamp.
struct WorkingMenuRow {
    QAction* item = nullptr;
    TaskProvider provider = TaskProvider::local;
    bool isOrcaTask = false;
};

} // namespace quorvel
