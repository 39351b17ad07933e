#pragma once

#include <QColor>
#include <QPixmap>
#include <QString>

namespace tally {

// Pixels of the skin in this colour are cut out of the main window.
inline const QColor kSkinKeyColor(8, 9, 13);

// A picture of the skin by name ("skin", "btn_start_normal", "stopwatch",
// "dot_green" ...), from the compiled-in assets; a plain drawn stand-in of the
// right size when the picture is missing, so the program always runs.
QPixmap SkinPixmap(const QString& name, QSize fallbackSize);

} // namespace tally
