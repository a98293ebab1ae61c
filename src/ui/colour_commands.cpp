// Colour by height: the toggle, the choice of map, the colour bar and smooth
// shading, for the shown graph and, through the settings store, new graphs.
#include "main_window.h"

#include "settings/chemistry.h"
#include "view/opengl_screen.h"

#include <QAction>
#include <QActionGroup>
#include <QMenu>
#include <QToolButton>

namespace tessaline {

namespace {

// The settings store's keys of what new graphs get.
const QString colour_key = QStringLiteral("colour_by_z");
const QString colour_map_key = QStringLiteral("colour_map");
const QString colour_bar_key = QStringLiteral("colour_bar");
const QString smooth_key = QStringLiteral("smooth_shading");

QString truth(bool on) {
    return on ? QStringLiteral("True") : QStringLiteral("False");
}

QString map_caption(colour_map map) {
    switch (map) {
    case colour_map::viridis:
        return TFMain::tr("Viridis");
    case colour_map::cividis:
        return TFMain::tr("Cividis (colour-blind safe)");
    case colour_map::diverging:
        return TFMain::tr("Diverging (centred on Z = 0)");
    case colour_map::grey:
        return TFMain::tr("Grey");
    case colour_map::off:
        break;
    }
    return {};
}

} // namespace

void TFMain::build_colour_menu(QMenu* view) {
    ColourByZ1 = view->addAction(tr("Colour by Z"));
    ColourByZ1->setObjectName(QStringLiteral("ColourByZ1"));
    ColourByZ1->setShortcut(QKeySequence(tr("Ctrl+K")));
    ColourByZ1->setIcon(QIcon(QStringLiteral(":/icons/colour.svg")));
    ColourByZ1->setCheckable(true);
    QMenu* maps = view->addMenu(tr("Colour Map"));
    maps->setObjectName(QStringLiteral("ColourMap1"));
    colour_map_group = new QActionGroup(this);
    colour_map_group->setObjectName(QStringLiteral("colour_map_group"));
    for (colour_map map : colour_maps) {
        QAction* item = maps->addAction(map_caption(map));
        item->setObjectName(
            QStringLiteral("ColourMap_%1")
                .arg(QString::fromUtf8(colour_map_name(map).data(),
                                       static_cast<int>(colour_map_name(map).size()))));
        item->setCheckable(true);
        item->setData(static_cast<int>(map));
        item->setChecked(map == colour_map::viridis);
        colour_map_group->addAction(item);
        connect(item, &QAction::triggered, this, [this, map] { colour_mapClick(map); });
    }
    ColourBar1 = view->addAction(tr("Colour Bar"));
    ColourBar1->setObjectName(QStringLiteral("ColourBar1"));
    ColourBar1->setCheckable(true);
    ColourBar1->setChecked(true);
    SmoothShading1 = view->addAction(tr("Smooth Shading"));
    SmoothShading1->setObjectName(QStringLiteral("SmoothShading1"));
    SmoothShading1->setCheckable(true);
    connect(ColourByZ1, &QAction::triggered, this, &TFMain::ColourByZ1Click);
    connect(ColourBar1, &QAction::triggered, this, &TFMain::colour_optionsClick);
    connect(SmoothShading1, &QAction::triggered, this, &TFMain::colour_optionsClick);
}

colour_map TFMain::shown_colours() const {
    if (!ColourByZ1->isChecked()) return colour_map::off;
    const QAction* chosen = colour_map_group->checkedAction();
    return chosen ? static_cast<colour_map>(chosen->data().toInt()) : colour_map::viridis;
}

void TFMain::show_colours(colour_map map, bool bar, bool smooth) {
    const bool on = map != colour_map::off;
    ColourByZ1->setChecked(on);
    colour_btn->setChecked(on);
    if (on)
        for (QAction* item : colour_map_group->actions())
            item->setChecked(item->data().toInt() == static_cast<int>(map));
    ColourBar1->setChecked(bar);
    SmoothShading1->setChecked(smooth);
    apply_colours();
}

void TFMain::show_new_graph_colours() {
    const bool on = settings && settings->read_setting(colour_key) == QLatin1String("True");
    const std::optional<colour_map> named =
        settings ? colour_map_named(settings->read_setting(colour_map_key).toStdString())
                 : std::nullopt;
    // The map stays chosen in the menu even while colouring is off.
    const colour_map map = named && *named != colour_map::off ? *named : colour_map::viridis;
    show_colours(map, true, false);
    ColourByZ1->setChecked(on);
    colour_btn->setChecked(on);
    ColourBar1->setChecked(!settings ||
                           settings->read_setting(colour_bar_key) != QLatin1String("False"));
    SmoothShading1->setChecked(settings &&
                               settings->read_setting(smooth_key) == QLatin1String("True"));
    apply_colours();
}

void TFMain::store_colour_choice() {
    if (!settings) return;
    const QAction* chosen = colour_map_group->checkedAction();
    const auto map = chosen ? static_cast<colour_map>(chosen->data().toInt()) : colour_map::viridis;
    settings->write_setting(colour_key, truth(ColourByZ1->isChecked()));
    const std::string_view name = colour_map_name(map);
    settings->write_setting(colour_map_key,
                            QString::fromUtf8(name.data(), static_cast<int>(name.size())));
    settings->write_setting(colour_bar_key, truth(ColourBar1->isChecked()));
    settings->write_setting(smooth_key, truth(SmoothShading1->isChecked()));
}

void TFMain::apply_colours() {
    space* s = scene();
    if (!s) return;
    s->colours = shown_colours();
    s->colour_bar = ColourBar1->isChecked();
    s->smooth_shading = SmoothShading1->isChecked();
}

void TFMain::colour_btnClick() {
    ColourByZ1->setChecked(colour_btn->isChecked());
    colour_optionsClick();
}

void TFMain::ColourByZ1Click() {
    colour_btn->setChecked(ColourByZ1->isChecked());
    colour_optionsClick();
}

void TFMain::colour_mapClick(colour_map) {
    // Picking a map means seeing it.
    ColourByZ1->setChecked(true);
    colour_btn->setChecked(true);
    colour_optionsClick();
}

void TFMain::colour_optionsClick() {
    apply_colours();
    store_colour_choice();
    redraw();
}

} // namespace tessaline
