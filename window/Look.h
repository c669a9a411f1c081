#pragma once

class QPalette;
class QWidget;

// How every window of the program looks: colours, font and skin.

// Gives the window and its option buttons, check boxes, frames and labels the
// button-face colour; text boxes, grids, lists and buttons keep theirs.
void SetFormColors(QWidget* form);

// Arial bold on the window and every control in it, as the windows were designed.
void useWindowFont(QWidget* window);

// The palette the skin paints with: the light look's colours over a light
// `desktop` palette; a dark one kept, with the shades the skin uses made to match.
QPalette skinPalette(const QPalette& desktop);

// Skins the main window when x/o.cjs is present: it is a Qt style sheet.
void ApplySkin(QWidget* window);
