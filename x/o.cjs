/* Tagmill's skin: a Qt style sheet, applied to the main window when it opens. */

QPushButton {
    color: #1d2733;
    background: qlineargradient(x1: 0, y1: 0, x2: 0, y2: 1, stop: 0 #fdfdfe, stop: 1 #e3e8ef);
    border: 1px solid #9eacbd;
    border-radius: 4px;
    padding: 0 6px;
}
QPushButton:hover {
    background: qlineargradient(x1: 0, y1: 0, x2: 0, y2: 1, stop: 0 #ffffff, stop: 1 #d6e4f5);
    border-color: #5b8ac4;
}
QPushButton:pressed {
    background: #c7d9ef;
    border-color: #3f6fa8;
}
QPushButton:focus {
    border-color: #3f6fa8;
}
QPushButton#PushButton7 {
    color: #ffffff;
    background: qlineargradient(x1: 0, y1: 0, x2: 0, y2: 1, stop: 0 #4a8ad0, stop: 1 #2c66aa);
    border-color: #245792;
}
QPushButton#PushButton7:hover {
    background: qlineargradient(x1: 0, y1: 0, x2: 0, y2: 1, stop: 0 #5a98dc, stop: 1 #3473b9);
}
QPushButton#PushButton7:pressed {
    background: #245792;
}

QGroupBox {
    border: 1px solid #b4bfcc;
    border-radius: 5px;
    margin-top: 7px;
}
QGroupBox::title {
    subcontrol-origin: margin;
    subcontrol-position: top left;
    left: 9px;
    padding: 0 3px;
    color: #2c4a6e;
}

/* The option captions were laid out for a small indicator close to its text. */
QRadioButton, QCheckBox {
    spacing: 2px;
}
QRadioButton::indicator, QCheckBox::indicator {
    width: 13px;
    height: 13px;
}

QTableView {
    background: #ffffff;
    border: 1px solid #a7b3c2;
    selection-background-color: #3a78c2;
    selection-color: #ffffff;
}
QHeaderView {
    background: #eef1f5;
}
QHeaderView::section {
    color: #1d2733;
    background: qlineargradient(x1: 0, y1: 0, x2: 0, y2: 1, stop: 0 #fbfcfd, stop: 1 #e6ebf1);
    border: none;
    border-right: 1px solid #c6cfda;
    border-bottom: 1px solid #b4bfcc;
    padding: 2px 6px;
}
