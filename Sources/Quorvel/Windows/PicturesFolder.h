#pragma once

#include <QString>

namespace quorvel::PicturesFolder {

// Where a chooser of screenshots starts: the user's pictures folder (XDG_PICTURES_DIR) when it is a
// folder, otherwise the home folder.
QString path();

} // namespace quorvel::PicturesFolder
