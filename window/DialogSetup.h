#pragma once

class QPushButton;
class QString;
class QWidget;

// What each dialog does first when it loads: colours, icon, hand pointer.
void applyDialogLoadPattern(QWidget* dialog);

// The whole load of a dialog laid out by its own layouts: Arial bold on every
// control, then the load pattern, then frames wide enough for their captions.
void setUpDialog(QWidget* dialog);

// A push button as every dialog has them: never the default button, so Enter
// in a text box does not press it, and at least `minimumWidth` wide.
QPushButton* dialogButton(QWidget* dialog, const QString& caption, int minimumWidth = 96);
