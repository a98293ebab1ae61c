#include "color_button.h"

#include <QColorDialog>
#include <QMenu>
#include <QPainter>
#include <QPixmap>

namespace tessaline {

namespace {

QIcon swatch(const QColor& color, QSize size) {
    QPixmap pixmap(size);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setPen(QColor(96, 96, 96));
    painter.setBrush(color);
    painter.drawRect(QRect(QPoint(0, 0), size - QSize(1, 1)));
    return QIcon(pixmap);
}

} // namespace

const QList<QColor>& color_button::palette_colors() {
    // The sixteen colours every palette offers, black first: the label default.
    static const QList<QColor> colors = {
        QColor(0, 0, 0),       QColor(128, 0, 0),   QColor(0, 128, 0),   QColor(128, 128, 0),
        QColor(0, 0, 128),     QColor(128, 0, 128), QColor(0, 128, 128), QColor(128, 128, 128),
        QColor(192, 192, 192), QColor(255, 0, 0),   QColor(0, 255, 0),   QColor(255, 255, 0),
        QColor(0, 0, 255),     QColor(255, 0, 255), QColor(0, 255, 255), QColor(255, 255, 255),
    };
    return colors;
}

color_button::color_button(QWidget* parent) : QToolButton(parent) {
    menu_ = new QMenu(this);
    menu_->setObjectName(QStringLiteral("font_color_menu"));
    for (const QColor& c : palette_colors()) {
        QAction* action = menu_->addAction(swatch(c, QSize(16, 16)), c.name());
        connect(action, &QAction::triggered, this, [this, c] { set_color(c); });
    }
    menu_->addSeparator();
    QAction* other = menu_->addAction(tr("&Other..."));
    other->setObjectName(QStringLiteral("font_color_other"));
    connect(other, &QAction::triggered, this, &color_button::choose_other);
    setMenu(menu_);
    setPopupMode(QToolButton::InstantPopup);
    show_color();
}

void color_button::set_color(const QColor& color) {
    if (color.rgb() == color_.rgb()) return;
    color_ = QColor(color.rgb());
    show_color();
    emit color_changed(color_);
}

std::uint32_t color_button::color_value() const {
    return static_cast<std::uint32_t>(color_.red()) |
           static_cast<std::uint32_t>(color_.green()) << 8 |
           static_cast<std::uint32_t>(color_.blue()) << 16;
}

void color_button::set_color_value(std::uint32_t value) {
    set_color(QColor(value & 0xff, value >> 8 & 0xff, value >> 16 & 0xff));
}

void color_button::choose_other() {
    const QColor chosen = QColorDialog::getColor(color_, this);
    if (chosen.isValid()) set_color(chosen);
}

void color_button::show_color() {
    setIcon(swatch(color_, QSize(24, 12)));
}

} // namespace tessaline
