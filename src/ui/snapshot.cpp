// The snapshot: the visible frame, drawn afresh after the dialog closed over
// it, written as a PNG of the view's size in device pixels; or, at a scale,
// the same view drawn into a hidden frame that many times larger, for print.
#include "main_window.h"

#include "view_panel.h"

#include "view/opengl_screen.h"
#include "view/png_writer.h"
#include "view/space.h"

#include <cmath>

namespace tessaline {

pixel_size scaled_size(pixel_size view, double scale) {
    return {static_cast<int>(std::lround(view.width * scale)),
            static_cast<int>(std::lround(view.height * scale))};
}

QString TFMain::save_snapshot(const QString& path, double scale) {
    if (!screen) return tr("The view has no picture to save: OpenGL is not available");
    rgb_image image;
    if (scale == 1) {
        screen->render(GL_RENDER);
        image = screen->grab_frame();
    } else {
        const pixel_size size = scaled_size(space_panel->device_size(), scale);
        space_panel->makeCurrent();
        QString error;
        if (!space_panel->begin_offscreen(size, error)) return error;
        // Dots grow with the picture, as the 3-D labels do.
        space& s = screen->get_space();
        s.set_point_size(static_cast<std::int32_t>(std::lround(point_size * scale)));
        screen->render(GL_RENDER);
        image = screen->grab_frame();
        s.set_point_size(point_size);
        space_panel->end_offscreen();
        redraw();
    }
    // Written aside and renamed into place, so a failed write keeps the old file.
    const png_save_result result = save_png(path.toStdString(), image);
    return result.ok ? QString() : QString::fromStdString(result.error);
}

} // namespace tessaline
