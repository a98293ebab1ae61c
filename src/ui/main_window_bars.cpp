// The main window's menu and its four tool bars.
#include "main_window.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenuBar>
#include <QToolBar>
#include <QToolButton>

namespace tessaline {

namespace {

QIcon icon(const char* name) {
    return QIcon(QStringLiteral(":/icons/%1.svg").arg(name));
}

QToolButton* tool_button(QToolBar* bar, const char* name, const char* icon_name,
                         const QString& hint, bool checkable = false) {
    auto* button = new QToolButton(bar);
    button->setObjectName(QString::fromLatin1(name));
    button->setIcon(icon(icon_name));
    button->setToolTip(hint);
    button->setCheckable(checkable);
    button->setAutoRaise(true);
    bar->addWidget(button);
    return button;
}

QAction* menu_item(QMenu* menu, const char* name, const QString& caption,
                   const QKeySequence& shortcut, const char* icon_name = nullptr) {
    QAction* action = menu->addAction(caption);
    action->setObjectName(QString::fromLatin1(name));
    action->setShortcut(shortcut);
    if (icon_name) action->setIcon(icon(icon_name));
    return action;
}

QToolBar* tool_bar(QMainWindow* window, const char* name, const QString& title) {
    auto* bar = new QToolBar(title, window);
    bar->setObjectName(QString::fromLatin1(name));
    bar->setIconSize(QSize(24, 24));
    window->addToolBar(Qt::TopToolBarArea, bar);
    return bar;
}

} // namespace

void TFMain::build_tool_bars() {
    setWindowIcon(icon("tessaline"));

    ToolBar1 = tool_bar(this, "ToolBar1", tr("File"));
    excel_xyz_btn =
        tool_button(ToolBar1, "excel_xyz_btn", "import", tr("import from Excel or Calc"));
    excel_xyz_btn->setIconSize(QSize(48, 24));
    ToolBar1->addSeparator();
    save_btn = tool_button(ToolBar1, "save_btn", "save", tr("graph save as"));
    load_btn = tool_button(ToolBar1, "load_btn", "open", tr("load graph"));

    ToolBar2 = tool_bar(this, "ToolBar2", tr("View"));
    RotateModeButton = tool_button(ToolBar2, "RotateModeButton", "rotate", tr("rotate view"), true);
    MoveModeButton = tool_button(ToolBar2, "MoveModeButton", "move", tr("move view"), true);
    ZoomModeButton = tool_button(ToolBar2, "ZoomModeButton", "zoom", tr("zoom view"), true);
    RotateModeButton->setChecked(true);
    ResetButton = tool_button(ToolBar2, "ResetButton", "reset", tr("reset view"));
    fit_btn = tool_button(ToolBar2, "fit_btn", "fit", tr("fit to data"), true);
    colour_btn = tool_button(ToolBar2, "colour_btn", "colour", tr("colour by Z"), true);
    ToolBar2->addSeparator();
    shoot_btn = tool_button(ToolBar2, "shoot_btn", "snapshot", tr("make snapshot"));

    ToolBar3 = tool_bar(this, "ToolBar3", tr("Graph mode"));
    graph_poligones_btn =
        tool_button(ToolBar3, "graph_poligones_btn", "poligones", tr("graph mode poligones"), true);
    graph_lines_btn =
        tool_button(ToolBar3, "graph_lines_btn", "lines", tr("graph mode lines"), true);
    graph_points_btn =
        tool_button(ToolBar3, "graph_points_btn", "points", tr("graph mode points"), true);
    graph_lines_btn->setChecked(true);
    graph_points_btn->setChecked(true);

    ToolBar4 = tool_bar(this, "ToolBar4", tr("Point size"));
    auto* size_panel = new QWidget(ToolBar4);
    size_panel->setObjectName(QStringLiteral("Panel13"));
    auto* size_layout = new QHBoxLayout(size_panel);
    size_layout->setContentsMargins(6, 0, 6, 0);
    auto* size_label = new QLabel(tr("Points Size"), size_panel);
    size_label->setObjectName(QStringLiteral("Label20"));
    size_layout->addWidget(size_label);
    ToolBar4->addWidget(size_panel);
    point_size_minus_btn =
        tool_button(ToolBar4, "point_size_minus_btn", "point_minus", tr("point size decrease"));
    point_size_plus_btn =
        tool_button(ToolBar4, "point_size_plus_btn", "point_plus", tr("points size increase"));
    ToolBar4->addSeparator();
    point_size_reset_btn =
        tool_button(ToolBar4, "point_size_reset_btn", "point_reset", tr("points size reset"));

    connect(excel_xyz_btn, &QToolButton::clicked, this, &TFMain::excel_xyz_btnClick);
    connect(save_btn, &QToolButton::clicked, this, &TFMain::save_btnClick);
    connect(load_btn, &QToolButton::clicked, this, &TFMain::load_btnClick);
    connect(shoot_btn, &QToolButton::clicked, this, &TFMain::shoot_btnClick);
    for (QToolButton* b : {RotateModeButton, MoveModeButton, ZoomModeButton})
        connect(b, &QToolButton::clicked, this, [this, b] { mode_buttonClick(b); });
    connect(ResetButton, &QToolButton::clicked, this, &TFMain::ResetButtonClick);
    connect(fit_btn, &QToolButton::clicked, this, &TFMain::fit_btnClick);
    connect(colour_btn, &QToolButton::clicked, this, &TFMain::colour_btnClick);
    connect(graph_poligones_btn, &QToolButton::clicked, this, &TFMain::graph_poligones_btnClick);
    connect(graph_lines_btn, &QToolButton::clicked, this, &TFMain::graph_lines_btnClick);
    connect(graph_points_btn, &QToolButton::clicked, this, &TFMain::graph_points_btnClick);
    connect(point_size_minus_btn, &QToolButton::clicked, this, [this] { point_size_btnClick(-1); });
    connect(point_size_plus_btn, &QToolButton::clicked, this, [this] { point_size_btnClick(1); });
    connect(point_size_reset_btn, &QToolButton::clicked, this, &TFMain::point_size_reset_btnClick);
}

void TFMain::build_menus() {
    MainMenu1 = menuBar();
    MainMenu1->setObjectName(QStringLiteral("MainMenu1"));

    QMenu* file = MainMenu1->addMenu(tr("&File"));
    file->setObjectName(QStringLiteral("N1"));
    DataImport1 = menu_item(file, "DataImport1", tr("Data Import"), QKeySequence(tr("Ctrl+I")));
    file->addSeparator()->setObjectName(QStringLiteral("N4"));
    Save1 = menu_item(file, "Save1", tr("Save As"), QKeySequence(Qt::Key_F2), "save");
    Open1 = menu_item(file, "Open1", tr("Open"), QKeySequence(Qt::Key_F3), "open");
    build_recent_files_menu(file);
    Export1 = menu_item(file, "Export1", tr("Export..."), QKeySequence(tr("Ctrl+E")));
    file->addSeparator()->setObjectName(QStringLiteral("N3"));
    Exit1 = menu_item(file, "Exit1", tr("Exit"), QKeySequence(tr("Alt+F4")));

    QMenu* view = MainMenu1->addMenu(tr("&View"));
    view->setObjectName(QStringLiteral("N2"));
    V1 = menu_item(view, "V1", tr("Rotate"), QKeySequence(Qt::Key_F5), "rotate");
    Move1 = menu_item(view, "Move1", tr("Move"), QKeySequence(Qt::Key_F6), "move");
    Zoom1 = menu_item(view, "Zoom1", tr("Zoom"), QKeySequence(Qt::Key_F7), "zoom");
    Reset1 = menu_item(view, "Reset1", tr("Reset"), QKeySequence(Qt::Key_F8), "reset");
    view->addSeparator()->setObjectName(QStringLiteral("N6"));
    FitToData1 =
        menu_item(view, "FitToData1", tr("Fit to Data"), QKeySequence(tr("Ctrl+F")), "fit");
    FitToData1->setCheckable(true);
    Orthographic1 =
        menu_item(view, "Orthographic1", tr("Orthographic"), QKeySequence(tr("Ctrl+5")));
    Orthographic1->setCheckable(true);
    build_colour_menu(view);
    TopView1 = menu_item(view, "TopView1", tr("Top View"), QKeySequence(tr("Ctrl+7")));
    FrontView1 = menu_item(view, "FrontView1", tr("Front View"), QKeySequence(tr("Ctrl+1")));
    SideView1 = menu_item(view, "SideView1", tr("Side View"), QKeySequence(tr("Ctrl+3")));
    view->addSeparator()->setObjectName(QStringLiteral("N5"));
    MakeSnapshoot1 = menu_item(view, "MakeSnapshoot1", tr("Make Snapshot"),
                               QKeySequence(Qt::Key_F9), "snapshot");
    MakeScaledSnapshot1 = menu_item(view, "MakeScaledSnapshot1", tr("Make Snapshot at Scale..."),
                                    QKeySequence(tr("Shift+F9")));

    QMenu* mode = MainMenu1->addMenu(tr("&Mode"));
    mode->setObjectName(QStringLiteral("Mode1"));
    Points1 = menu_item(mode, "Points1", tr("Points"), QKeySequence(tr("Ctrl+P")), "points");
    Lines1 = menu_item(mode, "Lines1", tr("Lines"), QKeySequence(tr("Ctrl+L")), "lines");
    Pligones1 =
        menu_item(mode, "Pligones1", tr("Pligones"), QKeySequence(tr("Ctrl+G")), "poligones");

    About1 = MainMenu1->addAction(tr("&About"));
    About1->setObjectName(QStringLiteral("About1"));

    connect(DataImport1, &QAction::triggered, this, &TFMain::DataImport1Click);
    connect(Save1, &QAction::triggered, this, &TFMain::Save1Click);
    connect(Open1, &QAction::triggered, this, &TFMain::Open1Click);
    connect(Export1, &QAction::triggered, this, &TFMain::Export1Click);
    // Closing the window ends the program, as a close by the title bar does.
    connect(Exit1, &QAction::triggered, this, &QWidget::close);
    connect(V1, &QAction::triggered, this, &TFMain::V1Click);
    connect(Move1, &QAction::triggered, this, &TFMain::Move1Click);
    connect(Zoom1, &QAction::triggered, this, &TFMain::Zoom1Click);
    connect(Reset1, &QAction::triggered, this, &TFMain::Reset1Click);
    connect(FitToData1, &QAction::triggered, this, &TFMain::FitToData1Click);
    connect(Orthographic1, &QAction::triggered, this, &TFMain::Orthographic1Click);
    connect(TopView1, &QAction::triggered, this, [this] { preset_view(top_view); });
    connect(FrontView1, &QAction::triggered, this, [this] { preset_view(front_view); });
    connect(SideView1, &QAction::triggered, this, [this] { preset_view(side_view); });
    connect(MakeSnapshoot1, &QAction::triggered, this, &TFMain::shoot_btnClick);
    connect(MakeScaledSnapshot1, &QAction::triggered, this, &TFMain::MakeScaledSnapshot1Click);
    connect(Points1, &QAction::triggered, this, &TFMain::Points1Click);
    connect(Lines1, &QAction::triggered, this, &TFMain::Lines1Click);
    connect(Pligones1, &QAction::triggered, this, &TFMain::Pligones1Click);
    connect(About1, &QAction::triggered, this, &TFMain::About1Click);
}

} // namespace tessaline
