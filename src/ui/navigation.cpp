// Mouse, wheel and keyboard navigation of the view: dragging turns, moves or
// zooms the camera by the chosen mode, pointing hovers a point, a press
// selects one, the wheel zooms.
#include "main_window.h"

#include "view_panel.h"

#include "view/opengl_screen.h"

#include <QTimer>
#include <QToolButton>
#include <QWheelEvent>

namespace tessaline {

namespace {

// One wheel notch in eighths of a degree.
constexpr int wheel_notch = 120;
// Camera distance change per notch, by the screen's zoom rule.
constexpr float wheel_zoom_step = 7;
// Camera units per pixel of a drag.
constexpr float drag_factor = 4;

} // namespace

void TFMain::connect_navigation() {
    wheel_settle_ = new QTimer(this);
    wheel_settle_->setSingleShot(true);
    wheel_settle_->setInterval(250);
    connect(wheel_settle_, &QTimer::timeout, this, [this] {
        if (!screen || mouse_down) return;
        screen->set_interacting(false);
        redraw();
    });
    connect(space_panel, &view_panel::context_ready, this, &TFMain::create_screen);
    connect(space_panel, &view_panel::context_lost, this, [this] {
        // The scene's display lists go with the context; a new context brings
        // a new screen, which gets the controls' state again.
        screen.reset();
        screen_ready = false;
    });
    connect(space_panel, &view_panel::painting, this, [this] {
        if (screen) screen->render(GL_RENDER);
    });
    connect(space_panel, &view_panel::resized, this, &TFMain::space_panelResize);
    connect(space_panel, &view_panel::pressed, this, &TFMain::space_panelMouseDown);
    connect(space_panel, &view_panel::moved, this, &TFMain::space_panelMouseMove);
    connect(space_panel, &view_panel::released, this, &TFMain::space_panelMouseUp);
    connect(space_panel, &view_panel::double_clicked, this, &TFMain::space_panelDblClick);
}

void TFMain::space_panelMouseDown(QPointF position) {
    last_mouse_x = static_cast<float>(position.x());
    last_mouse_y = static_cast<float>(position.y());
    mouse_down = true;
    if (!screen) return;
    const QPoint pixel = space_panel->device_point(position);
    screen->get_space().select_point(screen->pick_point(pixel.x(), pixel.y()));
}

void TFMain::space_panelMouseMove(QPointF position) {
    const float x = static_cast<float>(position.x());
    const float y = static_cast<float>(position.y());
    if (mouse_down) {
        if (screen) {
            screen->drag(drag_factor * (last_mouse_x - x), drag_factor * (y - last_mouse_y));
            screen->set_interacting(true);
        }
        last_mouse_x = x;
        last_mouse_y = y;
    } else if (screen) {
        const QPoint pixel = space_panel->device_point(position);
        screen->hover_at(pixel.x(), pixel.y());
    }
    redraw();
}

void TFMain::space_panelMouseUp() {
    mouse_down = false;
    // The frames of the drag were reduced: the whole graph once it ends.
    if (screen && screen->interacting() && !wheel_settle_->isActive()) {
        screen->set_interacting(false);
        redraw();
    }
}

void TFMain::space_panelDblClick() {
    if (space* s = scene()) s->select_point(-1);
}

void TFMain::space_panelResize() {
    if (screen_ready && screen) {
        space_panel->makeCurrent();
        screen->set_projection();
    }
}

void TFMain::wheel_turning() {
    if (!screen) return;
    screen->set_interacting(true);
    // The whole graph once the wheel rests.
    wheel_settle_->start();
}

void TFMain::wheelEvent(QWheelEvent* event) {
    // Whole notches only; a touchpad's small steps add up to one.
    wheel_rest_ += event->angleDelta().y();
    while (wheel_rest_ <= -wheel_notch) {
        wheel_rest_ += wheel_notch;
        MouseWheelDown();
    }
    while (wheel_rest_ >= wheel_notch) {
        wheel_rest_ -= wheel_notch;
        MouseWheelUp();
    }
    event->accept();
}

void TFMain::MouseWheelDown() {
    wheel_turning();
    if (screen) screen->zoom(wheel_zoom_step);
    redraw();
}

void TFMain::MouseWheelUp() {
    wheel_turning();
    if (screen) screen->zoom(-wheel_zoom_step);
    redraw();
}

// The three mode buttons are one group in which at most one is down; a click
// on the one that is down raises it, and its mode stays.
void TFMain::mode_buttonClick(QToolButton* button) {
    for (QToolButton* other : {RotateModeButton, MoveModeButton, ZoomModeButton})
        if (other != button && button->isChecked()) other->setChecked(false);
    if (!screen) return;
    if (button == RotateModeButton) screen->set_mode_rotate();
    if (button == MoveModeButton) screen->set_mode_move();
    if (button == ZoomModeButton) screen->set_mode_zoom();
}

void TFMain::ResetButtonClick() {
    if (screen) screen->frame_view();
    redraw();
}

void TFMain::V1Click() {
    RotateModeButton->setChecked(true);
    mode_buttonClick(RotateModeButton);
}

void TFMain::Move1Click() {
    MoveModeButton->setChecked(true);
    mode_buttonClick(MoveModeButton);
}

void TFMain::Zoom1Click() {
    ZoomModeButton->setChecked(true);
    mode_buttonClick(ZoomModeButton);
}

void TFMain::Reset1Click() {
    if (screen) screen->frame_view();
}

} // namespace tessaline
