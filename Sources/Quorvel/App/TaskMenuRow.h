#pragma once

#include "Model/LightState.h"

class QAction;

namespace quorvel {

// One of the 30 pre-built task rows of the menu: the task's title, its detail line and a separator.
struct TaskMenuRow {
    QAction* title = nullptr;
    QAction* detail = nullptr;
    QAction* divider = nullptr;
};

// A row whose task is working: its icon pulses with the amber lamp.
struct WorkingMenuRow {
    QAction* item = nullptr;
    TaskProvider provider = TaskProvider::local;
    bool isOrcaTask = false;
};

} // namespace quorvel
