// A tool button that shows a colour and drops down a palette of common
// colours, with "&Other..." for any colour through the colour dialog.
#pragma once

#include <QColor>
#include <QToolButton>

#include <cstdint>

class QMenu;

namespace tessaline {

class color_button : public QToolButton {
    Q_OBJECT
  public:
    explicit color_button(QWidget* parent = nullptr);

    QColor color() const { return color_; }
    // Emits color_changed only when the colour differs from the current one.
    void set_color(const QColor& color);

    // The colour as graph files and the scene take it: red in the lowest
    // byte, then green, then blue.
    std::uint32_t color_value() const;
    void set_color_value(std::uint32_t value);

    // The palette's colours, in menu order.
    static const QList<QColor>& palette_colors();

  signals:
    void color_changed(const QColor& color);

  private:
    void choose_other();
    void show_color();

    QColor color_ = Qt::black;
    QMenu* menu_ = nullptr;
};

} // namespace tessaline
