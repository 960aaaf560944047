#pragma once

class QWidget;

namespace WindowPlacement {

// Centres `window` on its screen and then moves it `twips` lower (the old
// windows gave this offset in twips; 15 twips make one pixel).
void centreBelow(QWidget* window, int twips);

}  // namespace WindowPlacement
