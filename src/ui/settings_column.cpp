// The settings column: the font group box and one group box per axis, in a
// scroll area beside the view, with a splitter between them.
#include "main_window.h"

#include "color_button.h"
#include "view_panel.h"

#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QRadioButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QSplitter>
#include <QToolButton>
#include <QVBoxLayout>
#include <QWheelEvent>

namespace tessaline {

namespace {

constexpr char axis_letters[3] = {'x', 'y', 'z'};

QString axis_name(const char* pattern, int axis) {
    return QString::fromLatin1(pattern).arg(QLatin1Char(axis_letters[axis]));
}

QToolButton* small_button(QWidget* parent, const QString& name, const char* icon_name,
                          const QString& hint) {
    auto* button = new QToolButton(parent);
    button->setObjectName(name);
    button->setIcon(QIcon(QStringLiteral(":/icons/%1.svg").arg(icon_name)));
    button->setIconSize(QSize(16, 16));
    button->setFixedSize(23, 22);
    button->setToolTip(hint);
    button->setAutoRaise(true);
    return button;
}

QLabel* row_label(QWidget* parent, const QString& name, const QString& text) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(name);
    return label;
}

// The three step buttons of a row, with the reset set apart as in a keypad.
QWidget* step_buttons(QWidget* parent, QToolButton* minus, QToolButton* plus, QToolButton* reset) {
    auto* row = new QWidget(parent);
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(5);
    layout->addWidget(minus);
    layout->addWidget(plus);
    layout->addSpacing(13);
    layout->addWidget(reset);
    layout->addStretch();
    return row;
}

// A radio pair on a panel of its own, so that the two form their own group.
QWidget* radio_pair(QWidget* parent, const QString& panel_name, const QString& off_name,
                    const QString& on_name, QRadioButton*& off, QRadioButton*& on) {
    auto* panel = new QWidget(parent);
    panel->setObjectName(panel_name);
    auto* layout = new QHBoxLayout(panel);
    layout->setContentsMargins(8, 0, 0, 0);
    layout->setSpacing(13);
    off = new QRadioButton(panel);
    off->setObjectName(off_name);
    off->setToolTip(QObject::tr("off"));
    on = new QRadioButton(panel);
    on->setObjectName(on_name);
    on->setToolTip(QObject::tr("on"));
    off->setChecked(true);
    layout->addWidget(off);
    layout->addWidget(on);
    layout->addStretch();
    return panel;
}

QGroupBox* group_box(QWidget* parent, const char* name, const QString& caption) {
    auto* box = new QGroupBox(caption, parent);
    box->setObjectName(QString::fromLatin1(name));
    // Bold caption, normal contents: a style sheet's font does not pass to
    // the children, unlike setFont.
    box->setStyleSheet(QStringLiteral("QGroupBox { font-weight: bold; }"));
    box->setFixedWidth(185);
    return box;
}

} // namespace

QGroupBox* TFMain::build_font_settings() {
    QGroupBox* box = group_box(TitleSettingPanel, "FontSettings", tr(" Font "));
    auto* grid = new QGridLayout(box);
    grid->setColumnMinimumWidth(0, 52);
    grid->addWidget(row_label(box, QStringLiteral("Label16"), tr("Zoom")), 0, 0);
    font_zoom_minus_btn =
        small_button(box, QStringLiteral("font_zoom_minus_btn"), "minus", tr("font size decrease"));
    font_zoom_plus_btn =
        small_button(box, QStringLiteral("font_zoom_plus_btn"), "plus", tr("font size increase"));
    font_zoom_reset_btn = small_button(box, QStringLiteral("font_zoom_reset_btn"), "step_reset",
                                       tr("font size reset"));
    grid->addWidget(step_buttons(box, font_zoom_minus_btn, font_zoom_plus_btn, font_zoom_reset_btn),
                    0, 1);
    grid->addWidget(row_label(box, QStringLiteral("Color"), tr("Color")), 1, 0);
    font_color_btn = new color_button(box);
    font_color_btn->setObjectName(QStringLiteral("font_color_btn"));
    font_color_btn->setToolTip(tr("font color"));
    font_color_btn->setFocusPolicy(Qt::NoFocus);
    font_color_btn->setFixedSize(42, 21);
    font_color_btn->setIconSize(QSize(24, 12));
    grid->addWidget(font_color_btn, 1, 1, Qt::AlignLeft);
    return box;
}

QGroupBox* TFMain::build_axis_settings(int axis) {
    static const char* const box_names[3] = {"XSettings", "YSettings", "ZSettings"};
    static const QColor strip_colors[3] = {QColor(255, 0, 0), QColor(64, 224, 0),
                                           QColor(0, 0, 255)};
    const QString letter = QString(QLatin1Char(axis_letters[axis])).toUpper();
    axis_controls& c = axes[axis];
    QGroupBox* box =
        group_box(TitleSettingPanel, box_names[axis], QStringLiteral(" %1 ").arg(letter));
    c.settings = box;
    auto* grid = new QGridLayout(box);
    grid->setColumnMinimumWidth(0, 60);
    grid->setVerticalSpacing(2);

    auto* strip = new QFrame(box);
    strip->setObjectName(QStringLiteral("Panel%1").arg(axis + 1));
    strip->setFrameShape(QFrame::Panel);
    strip->setFrameShadow(QFrame::Sunken);
    strip->setFixedHeight(7);
    auto* strip_layout = new QHBoxLayout(strip);
    strip_layout->setContentsMargins(1, 1, 1, 1);
    auto* image = new QLabel(strip);
    image->setObjectName(QStringLiteral("Image%1").arg(axis + 1));
    image->setAutoFillBackground(true);
    QPalette palette = image->palette();
    palette.setColor(QPalette::Window, strip_colors[axis]);
    image->setPalette(palette);
    strip_layout->addWidget(image);
    grid->addWidget(strip, 0, 0, 1, 2);

    int row = 1;
    grid->addWidget(row_label(box, axis_name("caption_%1_l", axis), tr("Caption")), row, 0);
    c.caption_ed = new QLineEdit(letter, box);
    c.caption_ed->setObjectName(axis_name("caption_%1_ed", axis));
    grid->addWidget(c.caption_ed, row++, 1);

    struct pair_row {
        const char* row_name;
        QString label;
        const char* panel;
        const char* off;
        const char* on;
        QRadioButton*& off_button;
        QRadioButton*& on_button;
    };
    // Two Z names keep their established spellings (t_shivt, makrs).
    const char* shift_off = axis == 2 ? "t_shivt_%1_false_rb" : "t_shift_%1_false_rb";
    pair_row pairs[] = {
        {"shift_%1_l", tr("Shift"), "shift_%1_p", shift_off, "t_shift_%1_true_rb",
         c.t_shift_false_rb, c.t_shift_true_rb},
        {"turn_%1_l", tr("Turn"), "turn_%1_p", "t_turn_%1_false_rb", "t_turn_%1_true_rb",
         c.t_turn_false_rb, c.t_turn_true_rb},
        {"invert_%1_l", tr("Invert"), "invert_%1_p", "t_inv_%1_false_rb", "t_inv_%1_true_rb",
         c.t_inv_false_rb, c.t_inv_true_rb},
        {"overturn_%1_l", tr("Overturn"), "overturn_%1_p", "t_overturn_%1_false_rb",
         "t_overturn_%1_true_rb", c.t_overturn_false_rb, c.t_overturn_true_rb},
    };
    for (pair_row& p : pairs) {
        grid->addWidget(row_label(box, axis_name(p.row_name, axis), p.label), row, 0);
        grid->addWidget(radio_pair(box, axis_name(p.panel, axis), axis_name(p.off, axis),
                                   axis_name(p.on, axis), p.off_button, p.on_button),
                        row++, 1);
    }

    const QString l(QLatin1Char(axis_letters[axis]));
    c.shift_marks_minus_btn =
        small_button(box, axis_name("shift_marks_%1_minus_btn", axis), "minus",
                     tr("plotting intervals decrease for %1").arg(l));
    c.shift_marks_plus_btn = small_button(box,
                                          axis == 2 ? QStringLiteral("shift_makrs_z_plus_btn")
                                                    : axis_name("shift_marks_%1_plus_btn", axis),
                                          "plus", tr("plotting intervals increase for %1").arg(l));
    c.shift_marks_reset_btn =
        small_button(box, axis_name("shift_marks_%1_reset_btn", axis), "step_reset",
                     tr("plotting intervals reset for %1").arg(l));
    grid->addWidget(row_label(box, axis_name("interval_%1_l", axis), tr("Interval")), row, 0);
    grid->addWidget(
        step_buttons(box, c.shift_marks_minus_btn, c.shift_marks_plus_btn, c.shift_marks_reset_btn),
        row++, 1);

    c.scale_minus_btn = small_button(box, axis_name("scale_%1_minus_btn", axis), "minus",
                                     tr("zoom decrease %1").arg(l));
    c.scale_plus_btn = small_button(box, axis_name("scale_%1_plus_btn", axis), "plus",
                                    tr("zoom increase %1").arg(l));
    c.scale_reset_btn = small_button(box, axis_name("scale_%1_reset_btn", axis), "step_reset",
                                     tr("zoom reset %1").arg(l));
    grid->addWidget(row_label(box, axis_name("zoom_%1_l", axis), tr("Zoom")), row, 0);
    grid->addWidget(step_buttons(box, c.scale_minus_btn, c.scale_plus_btn, c.scale_reset_btn),
                    row++, 1);

    auto* range = new QWidget(box);
    range->setObjectName(axis_name("range_%1_p", axis));
    auto* range_layout = new QHBoxLayout(range);
    range_layout->setContentsMargins(0, 0, 0, 0);
    range_layout->setSpacing(3);
    c.range_min_ed = new QLineEdit(range);
    c.range_min_ed->setObjectName(axis_name("range_%1_min_ed", axis));
    c.range_min_ed->setPlaceholderText(tr("min"));
    c.range_min_ed->setToolTip(tr("lowest %1 shown; empty: the data's own").arg(l));
    c.range_max_ed = new QLineEdit(range);
    c.range_max_ed->setObjectName(axis_name("range_%1_max_ed", axis));
    c.range_max_ed->setPlaceholderText(tr("max"));
    c.range_max_ed->setToolTip(tr("highest %1 shown; empty: the data's own").arg(l));
    range_layout->addWidget(c.range_min_ed);
    range_layout->addWidget(c.range_max_ed);
    grid->addWidget(row_label(box, axis_name("range_%1_l", axis), tr("Range")), row, 0);
    grid->addWidget(range, row++, 1);
    return box;
}

void TFMain::build_settings_column() {
    Splitter1 = new QSplitter(Qt::Horizontal, this);
    Splitter1->setObjectName(QStringLiteral("Splitter1"));
    Splitter1->setHandleWidth(4);
    Splitter1->setChildrenCollapsible(false);

    center_panel = new QWidget(Splitter1);
    center_panel->setObjectName(QStringLiteral("center_panel"));
    auto* center_layout = new QVBoxLayout(center_panel);
    center_layout->setContentsMargins(1, 1, 1, 1);
    space_panel = new view_panel(center_panel);
    space_panel->setObjectName(QStringLiteral("space_panel"));
    center_layout->addWidget(space_panel);

    settings_sbx = new QScrollArea(Splitter1);
    settings_sbx->setObjectName(QStringLiteral("settings_sbx"));
    settings_sbx->setMinimumSize(20, 20);
    settings_sbx->setWidgetResizable(true);
    settings_sbx->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    TitleSettingPanel = new QWidget;
    TitleSettingPanel->setObjectName(QStringLiteral("TitleSettingPanel"));
    auto* column = new QVBoxLayout(TitleSettingPanel);
    column->setContentsMargins(7, 3, 7, 3);
    column->setSpacing(3);
    FontSettings = build_font_settings();
    column->addWidget(FontSettings);
    for (int axis = 0; axis < 3; ++axis)
        column->addWidget(build_axis_settings(axis));
    column->addStretch();
    settings_sbx->setWidget(TitleSettingPanel);

    Splitter1->addWidget(center_panel);
    Splitter1->addWidget(settings_sbx);
    // The view takes the width the window gains; the column keeps its own.
    Splitter1->setStretchFactor(0, 1);
    Splitter1->setStretchFactor(1, 0);
    Splitter1->setSizes({817, 250});
    setCentralWidget(Splitter1);

    // The wheel zooms the view wherever the window has it, the column too
    // (which would otherwise scroll); its background takes clicks.
    // Events that the column's controls leave reach its viewport.
    for (QWidget* part :
         {settings_sbx->viewport(), static_cast<QWidget*>(settings_sbx->verticalScrollBar()),
          static_cast<QWidget*>(settings_sbx->horizontalScrollBar())})
        part->installEventFilter(this);
}

void TFMain::settings_sbxClick() {
    constexpr int splitter_left = 1080;
    const QList<int> sizes = Splitter1->sizes();
    const int total = sizes.value(0) + sizes.value(1);
    // The splitter keeps the column's least width.
    Splitter1->setSizes({splitter_left, std::max(total - splitter_left, 0)});
}

bool TFMain::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::Wheel) {
        wheelEvent(static_cast<QWheelEvent*>(event));
        return true;
    }
    if (event->type() == QEvent::MouseButtonPress && watched == settings_sbx->viewport()) {
        // Only the background: not a press that a group box passed on.
        const QPoint at = static_cast<QMouseEvent*>(event)->position().toPoint();
        const QWidget* under = settings_sbx->viewport()->childAt(at);
        if (under == nullptr || under == TitleSettingPanel) settings_sbxClick();
    }
    return QMainWindow::eventFilter(watched, event);
}

} // namespace tessaline
