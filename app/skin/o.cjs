/* Tabvane's look: quiet, with one accent colour. Every colour comes from the
   palette, which the program fills with the light look's colours on a light
   desktop and leaves dark on a dark one. */
QWidget {
    color: palette(window-text);
}
Form1, QDialog {
    background: palette(window);
}
QGroupBox {
    background: palette(alternate-base);
    border: 1px solid palette(midlight);
    border-radius: 4px;
    margin-top: 8px;
    padding-top: 4px;
}
QGroupBox::title {
    subcontrol-origin: margin;
    left: 8px;
    padding: 0 4px;
    color: palette(link);
}
QPushButton {
    background: qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 palette(light), stop:1 palette(button));
    color: palette(button-text);
    border: 1px solid palette(mid);
    border-radius: 3px;
    padding: 2px 8px;
}
QPushButton:hover {
    background: palette(light);
    border-color: palette(highlight);
}
QPushButton:pressed {
    background: palette(midlight);
}
QPushButton:disabled {
    color: palette(dark);
}
QLineEdit, QComboBox {
    background: palette(base);
    color: palette(text);
    border: 1px solid palette(mid);
    border-radius: 2px;
    padding: 1px 4px;
    selection-background-color: palette(highlight);
    selection-color: palette(highlighted-text);
}
QLineEdit:focus, QComboBox:focus {
    border-color: palette(highlight);
}
QLineEdit:disabled {
    background: palette(window);
    color: palette(dark);
}
QTableView {
    background: palette(base);
    color: palette(text);
    alternate-background-color: palette(alternate-base);
    gridline-color: palette(midlight);
    border: 1px solid palette(mid);
    selection-background-color: palette(highlight);
    selection-color: palette(highlighted-text);
}
QHeaderView::section {
    background: palette(button);
    color: palette(button-text);
    border: none;
    border-right: 1px solid palette(midlight);
    border-bottom: 1px solid palette(midlight);
    padding: 3px 6px;
    font-weight: bold;
}
QMenu {
    background: palette(base);
    color: palette(text);
    border: 1px solid palette(mid);
}
QMenu::item:selected {
    background: palette(highlight);
    color: palette(highlighted-text);
}
