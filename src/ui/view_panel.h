// The 3-D view's widget: an OpenGL widget that the screen draws on. It hands
// the screen its context, its framebuffer and a hidden one for the id picture,
// all in device pixels, and passes its mouse events and paints to the window.
#pragma once

#include "view/surface.h"

#include <QOpenGLWidget>

#include <functional>
#include <memory>

class QOpenGLFramebufferObject;

namespace tessaline {

class view_panel : public QOpenGLWidget {
    Q_OBJECT
  public:
    explicit view_panel(QWidget* parent = nullptr);
    ~view_panel() override;

    // What the screen draws on.
    surface& gl_surface() { return surface_; }
    pixel_size device_size() const;

    // A pointer position in device pixels, as the screen picks.
    QPoint device_point(QPointF logical) const;

    // While on, the screen draws into a hidden frame of `size` instead of the
    // widget's (a snapshot larger than the view); false, with the reason in
    // `error`, when this OpenGL cannot make one that large. Needs the context current.
    bool begin_offscreen(pixel_size size, QString& error);
    void end_offscreen();

  signals:
    void context_ready();
    void context_lost();
    void painting();
    void resized();
    void pressed(QPointF position);
    void moved(QPointF position);
    void released();
    void double_clicked(QPointF position);

  protected:
    void initializeGL() override;
    void resizeGL(int w, int h) override;
    void paintGL() override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

  private:
    class panel_surface final : public surface {
      public:
        explicit panel_surface(view_panel& panel) : panel_(panel) {}
        pixel_size size() const override { return panel_.surface_size(); }
        void make_current() override { panel_.makeCurrent(); }
        void bind_target(render_target target) override { panel_.bind_target(target); }
        // The widget shows its framebuffer itself once painted.
        void present() override {}

      private:
        view_panel& panel_;
    };

    void bind_target(render_target target);
    pixel_size surface_size() const;

    panel_surface surface_{*this};
    std::unique_ptr<QOpenGLFramebufferObject> id_picture_;
    std::unique_ptr<QOpenGLFramebufferObject> offscreen_;
};

} // namespace tessaline
