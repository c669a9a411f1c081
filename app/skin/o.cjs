/* Tabvane's look: a quiet, light theme with one accent colour. */
QWidget {
    color: #1f2a37;
}
Form1, QDialog {
    background: #eef2f6;
}
QGroupBox {
    background: #f7f9fb;
    border: 1px solid #c9d3de;
    border-radius: 4px;
    margin-top: 8px;
    padding-top: 4px;
}
QGroupBox::title {
    subcontrol-origin: margin;
    left: 8px;
    padding: 0 4px;
    color: #2b5d8a;
}
QPushButton {
    background: qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 #ffffff, stop:1 #e3e9f0);
    border: 1px solid #a9b7c6;
    border-radius: 3px;
    padding: 2px 8px;
}
QPushButton:hover {
    background: qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 #ffffff, stop:1 #d4e4f4);
    border-color: #2f6fa6;
}
QPushButton:pressed {
    background: #c5d9ee;
}
QPushButton:disabled {
    color: #8a96a3;
}
QLineEdit, QComboBox {
    background: #ffffff;
    border: 1px solid #a9b7c6;
    border-radius: 2px;
    padding: 1px 4px;
    selection-background-color: #2f6fa6;
}
QLineEdit:focus, QComboBox:focus {
    border-color: #2f6fa6;
}
QLineEdit:disabled {
    background: #eef2f6;
    color: #8a96a3;
}
QTableView {
    background: #ffffff;
    alternate-background-color: #f4f7fa;
    gridline-color: #dde4eb;
    border: 1px solid #a9b7c6;
    selection-background-color: #2f6fa6;
    selection-color: #ffffff;
}
QHeaderView::section {
    background: #e3e9f0;
    border: none;
    border-right: 1px solid #c9d3de;
    border-bottom: 1px solid #c9d3de;
    padding: 3px 6px;
    font-weight: bold;
}
QMenu {
    background: #ffffff;
    border: 1px solid #a9b7c6;
}
QMenu::item:selected {
    background: #2f6fa6;
    color: #ffffff;
}
