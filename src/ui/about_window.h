// The About window: what the program is, its version and where its maker is.
#pragma once

class QWidget;

namespace tessaline {

void show_about_window(QWidget* parent);

} // namespace tessaline
