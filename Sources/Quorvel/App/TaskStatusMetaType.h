#pragma once

#include "Model/TaskStatus.h"

#include <QMetaType>

// A task travels as the represented object of its menu row.
Q_DECLARE_METATYPE(quorvel::TaskStatus)
