// The snapshot: the visible frame, drawn afresh after the dialog closed over
// it, written as a PNG of the view's size in device pixels.
#include "main_window.h"

#include "view_panel.h"

#include "view/opengl_screen.h"
#include "view/png_writer.h"

namespace tessaline {

QString TFMain::save_snapshot(const QString& path) {
    if (!screen) return tr("The view has no picture to save: OpenGL is not available");
    screen->render(GL_RENDER);
    const rgb_image image = screen->grab_frame();
    // Written aside and renamed into place, so a failed write keeps the old file.
    const png_save_result result = save_png(path.toStdString(), image);
    return result.ok ? QString() : QString::fromStdString(result.error);
}

} // namespace tessaline
