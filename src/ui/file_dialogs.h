// What every file dialog of the program does around its run: it offers the
// last choice as a name to type over, and leaves no completion list behind.
#pragma once

#include <QString>

class QFileDialog;

namespace tessaline {

// Runs the dialog; the chosen path, or empty when it was cancelled.
QString run_file_dialog(QFileDialog* dialog);

} // namespace tessaline
