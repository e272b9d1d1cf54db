#pragma once

#include "App/StatusTexts.h"
#include "Model/LightState.h"
#include "Model/TaskStatus.h"
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

// What a row's texts, tooltips and descriptions were made from: they are made again only when this
// changes.
struct RowContentKey {
    TaskStatus task;
    LightState state = LightState::unknown;
    bool marksReadWhenChosen = false;
    bool enabled = false;
    StatusTexts::MenuHost host = StatusTexts::MenuHost::qt;

    bool operator==(const RowContentKey&) const = default;
};

// One of the 30 pre-built task rows of the menu: the task's title, its detail line and a separator.
struct TaskMenuRow {
    QAction* title = nullptr;
    QAction* detail = nullptr;
    QAction* divider = nullptr;
    std::optional<RowImageKey> titleImage;
    std::optional<RowImageKey> detailImage;
    std::optional<RowContentKey> content;
};

// A row whose task is working: its icon pulses with the amber lamp.
struct WorkingMenuRow {
    QAction* item = nullptr;
    TaskProvider provider = TaskProvider::local;
    bool isOrcaTask = false;
};

} // namespace quorvel
