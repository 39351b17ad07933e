#pragma once

#include "view/dialog_geometry.h"

#include <QRect>

class QLineEdit;
class QWidget;

namespace tally {

inline WindowGeometry ToGeometry(const QRect& r)
{
    return {r.x(), r.y(), r.width(), r.height()};
}

// The work area of the screen the window is on (the primary one before it
// has been shown).
WorkArea WorkAreaOf(const QWidget& window);

// Moves a top-level window to the frame geometry given.
void SetFrameGeometry(QWidget& window, const WindowGeometry& frame);

// A shown top-level window takes the size its content asks for, keeping its
// centre and staying inside the work area; a hidden one only takes the size.
void FitKeepingCentre(QWidget& window);

// A top-level window in the middle of its screen's work area.
void CentreOnScreen(QWidget& window);

// Line breaks and tabs typed or pasted into the field become spaces at once.
void KeepOneLine(QLineEdit& field);

} // namespace tally
