#pragma once

class QWidget;

// How every window of the program looks: colours, font and skin.

// Gives the window and its option buttons, check boxes, frames and labels the
// button-face colour; text boxes, grids, lists and buttons keep theirs.
void SetFormColors(QWidget* form);

// Arial bold on the window and every control in it, as the windows were designed.
void useWindowFont(QWidget* window);

// Skins the main window when x/o.cjs is present: it is a Qt style sheet.
void ApplySkin(QWidget* window);
