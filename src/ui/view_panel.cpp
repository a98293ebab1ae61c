#include "view_panel.h"

#include <QMouseEvent>
#include <QOpenGLContext>
#include <QOpenGLFramebufferObject>
#include <QOpenGLFunctions>

#include <algorithm>
#include <cmath>

namespace tessaline {

view_panel::view_panel(QWidget* parent) : QOpenGLWidget(parent) {
    // Hover picking needs moves without a button held.
    setMouseTracking(true);
    // Whole frames are drawn every time; nothing needs to survive between them.
    setUpdateBehavior(QOpenGLWidget::NoPartialUpdate);
}

view_panel::~view_panel() {
    // The base class destroys the context after this part of the object is
    // gone: its goodbye must not reach this object any more.
    if (context()) disconnect(context(), nullptr, this, nullptr);
    // The id framebuffer belongs to this widget's context.
    if (id_picture_ && context()) {
        makeCurrent();
        id_picture_.reset();
        doneCurrent();
    }
}

pixel_size view_panel::device_size() const {
    const qreal ratio = devicePixelRatioF();
    return {static_cast<int>(std::lround(width() * ratio)),
            static_cast<int>(std::lround(height() * ratio))};
}

pixel_size view_panel::surface_size() const {
    if (offscreen_) return {offscreen_->width(), offscreen_->height()};
    return device_size();
}

bool view_panel::begin_offscreen(pixel_size size, QString& error) {
    QOpenGLFunctions* gl = context()->functions();
    GLint largest = 0, viewport[2] = {0, 0};
    gl->glGetIntegerv(GL_MAX_RENDERBUFFER_SIZE, &largest);
    gl->glGetIntegerv(GL_MAX_VIEWPORT_DIMS, viewport);
    largest = std::min({largest, viewport[0], viewport[1]});
    if (size.width < 1 || size.height < 1 || size.width > largest || size.height > largest) {
        error = tr("A picture of %1 x %2 pixels is larger than this OpenGL draws: at most %3 "
                   "pixels a side")
                    .arg(size.width)
                    .arg(size.height)
                    .arg(largest);
        return false;
    }
    QOpenGLFramebufferObjectFormat format;
    format.setAttachment(QOpenGLFramebufferObject::Depth);
    offscreen_ = std::make_unique<QOpenGLFramebufferObject>(QSize(size.width, size.height), format);
    if (!offscreen_->isValid()) {
        offscreen_.reset();
        error = tr("OpenGL cannot make a picture of %1 x %2 pixels: not enough graphics memory")
                    .arg(size.width)
                    .arg(size.height);
        return false;
    }
    return true;
}

void view_panel::end_offscreen() {
    offscreen_.reset();
}

void view_panel::bind_target(render_target target) {
    QOpenGLFunctions* gl = context()->functions();
    if (target == render_target::frame) {
        if (offscreen_)
            offscreen_->bind();
        else
            gl->glBindFramebuffer(GL_FRAMEBUFFER, defaultFramebufferObject());
        return;
    }
    const pixel_size s = surface_size();
    const QSize wanted(std::max(s.width, 1), std::max(s.height, 1));
    if (!id_picture_ || id_picture_->size() != wanted) {
        QOpenGLFramebufferObjectFormat format;
        format.setAttachment(QOpenGLFramebufferObject::Depth);
        id_picture_ = std::make_unique<QOpenGLFramebufferObject>(wanted, format);
    }
    id_picture_->bind();
}

QPoint view_panel::device_point(QPointF logical) const {
    const qreal ratio = devicePixelRatioF();
    return {static_cast<int>(std::floor(logical.x() * ratio)),
            static_cast<int>(std::floor(logical.y() * ratio))};
}

void view_panel::initializeGL() {
    // A context can be replaced (the widget moved to another top-level window);
    // whatever was built in the old one is gone with it.
    connect(context(), &QOpenGLContext::aboutToBeDestroyed, this, [this] {
        makeCurrent();
        id_picture_.reset();
        emit context_lost();
        doneCurrent();
    });
    emit context_ready();
}

void view_panel::resizeGL(int, int) {
    emit resized();
}

void view_panel::paintGL() {
    emit painting();
    // Smoothed lines and blended faces leave alpha below 1 in the frame; the
    // widget is opaque, so its picture must be too, or composing and grabbing
    // it mix the scene with what lies behind.
    QOpenGLFunctions* gl = context()->functions();
    gl->glColorMask(GL_FALSE, GL_FALSE, GL_FALSE, GL_TRUE);
    gl->glClearColor(0, 0, 0, 1);
    gl->glClear(GL_COLOR_BUFFER_BIT);
    gl->glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
}

void view_panel::mousePressEvent(QMouseEvent* event) {
    emit pressed(event->position());
}

void view_panel::mouseMoveEvent(QMouseEvent* event) {
    emit moved(event->position());
}

void view_panel::mouseReleaseEvent(QMouseEvent*) {
    emit released();
}

void view_panel::mouseDoubleClickEvent(QMouseEvent* event) {
    // The double-click is told first, then the second press is a press like
    // any other: a double-click on a point leaves it selected.
    if (event->button() == Qt::LeftButton) emit double_clicked(event->position());
    emit pressed(event->position());
}

} // namespace tessaline
