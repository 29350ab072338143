#include "app/look.h"

#include <QApplication>
#include <QFont>
#include <QPalette>
#include <QStyle>
#include <QToolTip>

namespace orv::app {

namespace {

QPalette ProgramPalette() {
    QPalette pal;
    const QColor base(22, 24, 27);
    pal.setColor(QPalette::Window, kPanel);
    pal.setColor(QPalette::WindowText, kText);
    pal.setColor(QPalette::Base, base);
    pal.setColor(QPalette::AlternateBase, QColor(30, 32, 36));
    pal.setColor(QPalette::Text, kText);
    pal.setColor(QPalette::Button, QColor(58, 62, 69));
    pal.setColor(QPalette::ButtonText, kText);
    pal.setColor(QPalette::BrightText, QColor(255, 255, 255));
    pal.setColor(QPalette::Highlight, QColor(208, 138, 26));
    pal.setColor(QPalette::HighlightedText, QColor(16, 16, 16));
    pal.setColor(QPalette::ToolTipBase, base);
    pal.setColor(QPalette::ToolTipText, kText);
    pal.setColor(QPalette::PlaceholderText, QColor(150, 152, 156));
    pal.setColor(QPalette::Link, QColor(110, 180, 255));
    pal.setColor(QPalette::LinkVisited, QColor(190, 150, 255));
    pal.setColor(QPalette::Light, QColor(80, 84, 92));
    pal.setColor(QPalette::Midlight, QColor(66, 70, 78));
    pal.setColor(QPalette::Mid, QColor(48, 51, 57));
    pal.setColor(QPalette::Dark, QColor(24, 25, 28));
    pal.setColor(QPalette::Shadow, QColor(8, 8, 10));
    for (QPalette::ColorRole role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
        pal.setColor(QPalette::Disabled, role, QColor(154, 156, 160));  // 5.3:1 on the panel: greyed, still legible
    pal.setColor(QPalette::Disabled, QPalette::Base, QColor(32, 34, 38));
    return pal;
}

QString ProgramSheet() {
    return QStringLiteral(R"(
        QGroupBox { border: 1px solid #50555e; border-radius: 5px; margin-top: 7px; }
        QGroupBox::title { subcontrol-origin: margin; left: 9px; padding: 0 3px; color: %1; }
        QGroupBox::title:disabled { color: #b89a5a; }
        QLineEdit { border: 1px solid #4b5058; background: #16181b; color: #e4e4e0; }
        QLineEdit:disabled { background: #202226; color: #9a9ca0; }
        QLineEdit[readout="true"] { border: 1px solid #3a3e45; background: #0c0d0f; color: %1; font-weight: bold; }
        QLabel[title="true"] { color: %1; font-weight: bold; font-size: 12px; letter-spacing: 1px; }
        QPushButton { padding: 2px 6px; }
        QPushButton:disabled { background: #2a2d32; border: 1px solid #3a3e45; border-radius: 3px; }
        QPushButton#timeadj { font-weight: bold; }
        QTableWidget { background: #121417; color: #e4e4e0; gridline-color: #3a3e45; border: 1px solid #4b5058; }
        QTableWidget::item { padding: 0; }
        QHeaderView::section { background: #3a3e45; color: %1; border: 0; border-right: 1px solid #2a2d32;
                               border-bottom: 1px solid #2a2d32; padding: 0; font-weight: bold; }
        QMenuBar { background: #26292e; color: #e4e4e0; border-bottom: 1px solid #3a3e45; }
        QMenuBar::item:selected, QMenuBar::item:pressed { background: #d08a1a; color: #101010; }
        QMenu { background: #26292e; color: #e4e4e0; border: 1px solid #50555e; }
        QMenu::item { padding: 4px 22px; }
        QMenu::item:selected { background: #d08a1a; color: #101010; }
        QMenu::item:disabled { color: #9a9ca0; }
        QToolTip { background: #16181b; color: #e4e4e0; border: 1px solid #6a6f78; padding: 3px; }
        QComboBox QAbstractItemView { background: #16181b; color: #e4e4e0; selection-background-color: #d08a1a;
                                      selection-color: #101010; }
    )")
        .arg(kAmber.name());
}

}  // namespace

void ApplyProgramLook() {
    if (QApplication::style()->name().compare(QLatin1String("fusion"), Qt::CaseInsensitive) != 0)
        QApplication::setStyle(QStringLiteral("Fusion"));
    QFont font(QStringLiteral("Verdana"));
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(11);
    if (QApplication::font() != font) QApplication::setFont(font);
    const QPalette pal = ProgramPalette();
    if (QApplication::palette() != pal) {
        QApplication::setPalette(pal);
        QToolTip::setPalette(pal);
    }
    const QString sheet = ProgramSheet();
    if (qApp->styleSheet() != sheet) qApp->setStyleSheet(sheet);
}

}  // namespace orv::app
